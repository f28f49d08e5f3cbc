#!/usr/bin/env bash
# Installs the Debian 12 packages the program and its tests need (as root, or with sudo).
set -euo pipefail
pkgs=(g++ cmake make qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth)
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
