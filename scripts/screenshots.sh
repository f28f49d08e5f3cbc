#!/usr/bin/env bash
# Takes pictures of the main window for the documentation: blocks 1 and 3, in
# English and in Japanese, under a virtual X server, into docs/images/. Needs a built
# tree (scripts/build.sh); installs xdotool and ImageMagick if missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
vela=$root/build/bin/vela
[ -x "$vela" ] || { echo "screenshots: build first (bash scripts/build.sh)" >&2; exit 1; }

missing=()
command -v xdotool >/dev/null || missing+=(xdotool)
command -v import >/dev/null || missing+=(imagemagick)
command -v xvfb-run >/dev/null || missing+=(xvfb xauth)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# One run of the window in the given language; the settings live in a
# throw-away folder so the user's own are never touched.
shoot() {
  local lang=$1 suffix=$2
  local home
  home=$(mktemp -d)
  mkdir -p "$home/VANTORIX"
  printf '[Lang]\nNumber=%s\n' "$lang" >"$home/VANTORIX/vela.conf"
  XDG_CONFIG_HOME=$home LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -e
    "$1" & pid=$!
    trap "kill $pid 2>/dev/null || true" EXIT
    wid=$(xdotool search --sync --onlyvisible --name "CFG Version" | head -1)
    sleep 1
    xdotool windowfocus --sync "$wid"
    # The list has the focus: Right moves one block on.
    xdotool key Right
    sleep 0.5
    import -window "$wid" "$2/docs/images/main_window_block1_$3.png"
    xdotool key Right Right
    sleep 0.5
    import -window "$wid" "$2/docs/images/main_window_block3_$3.png"
  ' _ "$vela" "$root" "$suffix"
  rm -rf "$home"
}

mkdir -p docs
shoot 0 en
shoot 1 ja
ls -1 docs/images/main_window_*.png
