#!/usr/bin/env bash
# Pictures of the History window and of the first page of a commissioning
# report, in English and in Japanese, for the documentation (docs/images/).
# A visit is made with vela-cli against the simulator (as-found, two edits,
# as-left), then the window runs under a virtual X server with a window
# manager, Alt+H opens the History window, and its Report... button prints
# the PDF that pdftoppm turns into a picture. Needs a built tree
# (scripts/build.sh); installs the tools it needs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build/bin
[ -x "$bin/vela" ] || { echo "history-screenshots: build first (bash scripts/build.sh)" >&2; exit 1; }

missing=()
command -v xdotool >/dev/null || missing+=(xdotool)
command -v import >/dev/null || missing+=(imagemagick)
command -v xvfb-run >/dev/null || missing+=(xvfb xauth)
command -v openbox >/dev/null || missing+=(openbox)
command -v pdftoppm >/dev/null || missing+=(poppler-utils)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

shoot() {
  local lang=$1 suffix=$2
  local home
  home=$(mktemp -d)
  mkdir -p "$home/config/VANTORIX" "$home/data"
  printf '[Lang]\nNumber=%s\n' "$lang" >"$home/config/VANTORIX/vela.conf"
  XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data LANG=C.UTF-8 \
    xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    set -e
    bin=$1 root=$2 suffix=$3 home=$4
    openbox & wm=$!
    "$bin/kt5rs-sim" --serial A0000001 --tag "FT-101" --input 50 >"$home/sim.txt" & sim=$!
    trap "kill $sim $wm 2>/dev/null || true" EXIT
    for i in $(seq 50); do [ -s "$home/sim.txt" ] && break; sleep 0.1; done
    port=$(awk "{print \$2}" "$home/sim.txt" | head -1)
    "$bin/vela-cli" --lang en set --port "$port" 1.0 2.5 >/dev/null
    "$bin/vela-cli" --lang en set --port "$port" 5.1 0.12 >/dev/null
    "$bin/vela" & pid=$!
    trap "kill $pid $sim $wm 2>/dev/null || true" EXIT
    wid=$(xdotool search --sync --onlyvisible --name "CFG Version" | head -1)
    sleep 1
    xdotool windowactivate --sync "$wid"
    xdotool key alt+h
    hid=""
    for i in $(seq 50); do
      hid=$(xdotool search --onlyvisible --name "^(History|履歴)$" | head -1 || true)
      [ -n "$hid" ] && break
      sleep 0.1
    done
    sleep 1
    import -window "$hid" "$root/docs/images/history_window_$suffix.png"
    # Report... is the second button of the bottom row.
    eval "$(xdotool getwindowgeometry --shell "$hid")"
    xdotool mousemove --window "$hid" 150 $((HEIGHT - 25)) click 1
    sleep 1.5
    xdotool type --delay 20 "$home/report.pdf"
    xdotool key Return
    for i in $(seq 50); do [ -s "$home/report.pdf" ] && break; sleep 0.1; done
    sleep 0.5
  ' _ "$bin" "$root" "$suffix" "$home"
  pdftoppm -r 80 -f 1 -l 1 -png "$home/report.pdf" "$home/page"
  cp "$home"/page*.png "docs/images/report_page_$suffix.png"
  rm -rf "$home"
}

mkdir -p docs/images
shoot 0 en
shoot 1 ja
ls -1 docs/images/history_window_*.png docs/images/report_page_*.png
