#!/usr/bin/env bash
# Installs the Debian 12 packages the program and its tests need (as root, or with sudo).
# The Japanese font lets the Japanese window show its texts on a fresh machine,
# and the toolkit's translations give its own buttons and dialogs in Japanese.
# The second group builds and checks the Debian package (scripts/package.sh,
# scripts/package-check.sh); the tests read JSON with python3.
set -euo pipefail
pkgs=(g++ cmake make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth locales
      poppler-utils fonts-ipafont-gothic qt6-translations-l10n libsqlite3-dev
      python3 dpkg-dev file lintian desktop-file-utils appstream shared-mime-info xdg-utils man-db bash-completion xdotool)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The tests check that numbers keep their '.' under a German locale and that a
# Japanese locale picks the Japanese resources: make both locales available.
if [ "$(id -u)" -eq 0 ] && command -v locale-gen >/dev/null; then
  need=0
  for l in de_DE.UTF-8 ja_JP.UTF-8; do
    locale -a 2>/dev/null | grep -qi "^${l%%.*}\.utf-\?8$" || need=1
  done
  if [ $need -eq 1 ]; then
    sed -i -E 's/^# *(de_DE.UTF-8 UTF-8)/\1/; s/^# *(ja_JP.UTF-8 UTF-8)/\1/' /etc/locale.gen
    locale-gen >/dev/null
  fi
fi
