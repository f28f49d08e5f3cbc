#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's machine would meet it:
# its contents, lintian, the desktop and AppStream files, then installs it
# (as root or with sudo: it changes this machine) and runs the installed programs from
# /usr/bin. The package is removed again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
deb=$root/$(bash scripts/package.sh | tail -1)
echo "package-check: $deb ($(du -k "$deb" | cut -f1) KiB)"
scratch=$(mktemp -d)
installed=0
cleanup() {
  [ $installed -eq 0 ] || $SUDO dpkg -r vela >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "package-check: $*" >&2; exit 1; }
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# 1. The files a user gets.
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's#^\./#/#' >"$scratch/contents"
app=com.vantorix.vela
for f in /usr/bin/vela /usr/bin/vela-cli /usr/bin/kt5rs-sim \
         /usr/libexec/vela/vela /usr/libexec/vela/vela-cli /usr/libexec/vela/VELA_jpn.so \
         /usr/share/man/man1/vela.1.gz /usr/share/man/man1/vela-cli.1.gz /usr/share/man/man1/kt5rs-sim.1.gz \
         /usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml \
         /usr/share/mime/packages/vela.xml /usr/share/bash-completion/completions/vela-cli \
         /usr/share/icons/hicolor/scalable/apps/$app.svg \
         /usr/share/doc/vela/copyright /usr/share/doc/vela/changelog.gz; do
  grep -qx "$f" "$scratch/contents" || fail "$f is missing from the package"
done
for size in 16 22 24 32 48 64 128 256; do
  grep -qx "/usr/share/icons/hicolor/${size}x${size}/apps/$app.png" "$scratch/contents" ||
    fail "the ${size}x${size} icon is missing"
done
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "Depends lacks the Qt libraries"
dpkg-deb --field "$deb" Recommends | grep -q fonts-ipafont-gothic || fail "the CJK font is not recommended"
echo "package-check: contents ok ($(wc -l <"$scratch/contents") entries)"

# 2. Lintian: no errors and no warnings; the remaining tags (information
# only) are listed.
lintian --fail-on error,warning --display-info "$deb" | tee "$scratch/lintian" ||
  fail "lintian found errors or warnings"
echo "package-check: lintian ok ($(grep -c '^[EWI]:' "$scratch/lintian" || true) tags)"

# 3. Desktop entry and AppStream data as shipped.
dpkg-deb -x "$deb" "$scratch/tree"
desktop-file-validate "$scratch/tree/usr/share/applications/$app.desktop"
appstreamcli validate --no-net "$scratch/tree/usr/share/metainfo/$app.metainfo.xml"
echo "package-check: desktop entry and metainfo ok"

# 4. Installed: the programs from /usr/bin. Containers may leave manual pages
# out of every package; ours are asked for, so keep them.
# Another apt or dpkg run may hold the package database for a while: wait.
for attempt in $(seq 120); do
  if $SUDO dpkg --path-include='/usr/share/man/man1/*' -i "$deb" >"$scratch/dpkg.log" 2>&1; then
    installed=1
    break
  fi
  grep -q 'lock' "$scratch/dpkg.log" || { cat "$scratch/dpkg.log" >&2; fail "dpkg -i failed"; }
  sleep 5
done
[ $installed -eq 1 ] || fail "the package database stayed locked"
cd "$scratch"
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
version=$(dpkg-deb --field "$deb" Version)
[ "$(/usr/bin/vela-cli --version)" = "vela-cli $version" ] || fail "vela-cli --version"
[ "$(/usr/bin/vela --version)" = "vela $version" ] || fail "vela --version"
[ "$(/usr/bin/kt5rs-sim --version)" = "kt5rs-sim $version" ] || fail "kt5rs-sim --version"
/usr/bin/vela-cli --simulate upload -o x.cfg
grep -q '^MODEL=KT5RS' x.cfg || fail "the simulated upload wrote no KT5RS set"
[ "$(man -w vela-cli)" = /usr/share/man/man1/vela-cli.1.gz ] || fail "man -w vela-cli: $(man -w vela-cli)"
default=$(xdg-mime query default text/x-vela-cfg)
[ "$default" = "$app.desktop" ] || fail "xdg-mime names '$default' for .cfg files"
# The file managers take the type from the shared MIME database.
grep -q ':text/x-vela-cfg:\*\.cfg$' /usr/share/mime/globs2 || fail "the MIME database lacks *.cfg"
# Completion: the commands, after the system's completion library.
completion=$(bash -c 'source /usr/share/bash-completion/bash_completion
  source /usr/share/bash-completion/completions/vela-cli
  COMP_WORDS=(vela-cli des); COMP_CWORD=1; COMP_LINE="vela-cli des"; COMP_POINT=${#COMP_LINE}
  _vela_cli; echo "${COMPREPLY[*]}"')
[ "$completion" = describe ] || fail "completion of 'vela-cli des' gave '$completion'"

# The Japanese library, found beside the real program behind the /usr/bin link:
# the window starts in English, Alt+L switches, and the library is then mapped
# from the installed folder.
mkdir -p "$XDG_CONFIG_HOME/VANTORIX"
printf '[Lang]\nNumber=0\n' >"$XDG_CONFIG_HOME/VANTORIX/vela.conf"
timeout 120 xvfb-run -a bash -c '
  /usr/bin/vela >"$1/vela.log" 2>&1 & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "CFG Version" | head -1)
  [ -n "$wid" ] || { echo "no window"; exit 1; }
  ! grep -q VELA_jpn.so /proc/$pid/maps || { echo "loaded before the switch"; exit 1; }
  xdotool windowfocus --sync "$wid" key alt+l
  for _ in $(seq 100); do
    grep -q /usr/libexec/vela/VELA_jpn.so /proc/$pid/maps && exit 0
    sleep 0.1
  done
  echo "not loaded after the switch"; exit 1
' _ "$scratch" || fail "language switch of the installed vela: $(cat "$scratch/vela.log")"
grep -q '^Number=1' "$XDG_CONFIG_HOME/VANTORIX/vela.conf" || fail "the switch did not keep Japanese"
ja=$(/usr/bin/vela-cli --lang ja diff /nonexistent.cfg x.cfg 2>&1 || true)
# Japanese text: bytes outside ASCII.
printf '%s' "$ja" | LC_ALL=C grep -q '[^ -~]' || fail "vela-cli --lang ja: $ja"
echo "package-check: installed programs ok"
cd "$root"
