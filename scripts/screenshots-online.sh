#!/usr/bin/env bash
# Pictures of the window connected to a simulated instrument, for the
# documentation: the status line, a meter in alarm, the fixed-output banner,
# the window maximised and at twice the scale, a trend graph's PDF page, in
# English and Japanese,
# under a virtual X server with a window manager, into docs/images/.
# Needs a built tree (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build/bin
[ -x "$bin/vela" ] || { echo "screenshots: build first (bash scripts/build.sh)" >&2; exit 1; }

missing=()
command -v xdotool >/dev/null || missing+=(xdotool)
command -v import >/dev/null || missing+=(imagemagick)
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v openbox >/dev/null || missing+=(openbox)
command -v pdftoppm >/dev/null || missing+=(poppler-utils)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# shoot LANG SUFFIX SCALE SCREEN: one run against its own simulator.
shoot() {
  local lang=$1 suffix=$2 scale=$3 screen=$4
  local home display fifo sim simpid xpid wmpid vpid wid
  home=$(mktemp -d)
  mkdir -p "$home/VANTORIX/ports"
  fifo=$home/sim.in
  mkfifo "$fifo"
  "$bin/kt5rs-sim" --ports "$home/VANTORIX/ports" --serial 240117 --tag TT-101 --input 42 <"$fifo" >"$home/sim.out" &
  simpid=$!
  exec 7>"$fifo"
  for _ in $(seq 50); do [ -s "$home/sim.out" ] && break; sleep 0.1; done
  sim=$(cut -d' ' -f1 "$home/sim.out")
  printf '[Lang]\nNumber=%s\n[Settings]\nCOMPort=%s\n' "$lang" "$sim" >"$home/VANTORIX/vela.conf"

  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 "${screen}x24" -nolisten tcp &
  xpid=$!
  sleep 1
  DISPLAY=$display openbox &
  wmpid=$!
  sleep 1
  DISPLAY=$display XDG_CONFIG_HOME=$home LANG=C.UTF-8 QT_SCALE_FACTOR=$scale "$bin/vela" &
  vpid=$!
  export DISPLAY=$display
  wid=$(xdotool search --sync --onlyvisible --name "CFG Version" | head -1)
  sleep 1
  xdotool windowfocus --sync "$wid"
  xdotool key alt+c
  sleep 1
  xdotool key Return
  sleep 4
  xdotool key Right
  sleep 1
  import -window root "$root/docs/images/online_status_$suffix.png"
  if [ "$scale" = 1 ]; then
    echo open >&7
    sleep 2
    xdotool key Right
    sleep 1
    import -window root "$root/docs/images/meter_alarm_$suffix.png"
    echo close-circuit >&7
    # Loop test, mode 2 at 12 mA: the banner.
    xdotool key Right Right Right
    sleep 0.5
    xdotool key alt+4
    sleep 1
    # The loop test's dialog: "Set output for specified value", 12, OK
    # (places in pixels of its client area at the normal scale).
    loop=$(xdotool getactivewindow)
    xdotool mousemove --window "$loop" 20 56 click 1
    xdotool key Tab
    xdotool type 12
    xdotool key Return
    sleep 2
    import -window root "$root/docs/images/fixed_output_$suffix.png"
    xdotool key alt+c
    sleep 1
    import -window root "$root/docs/images/fixed_output_question_$suffix.png"
    xdotool key Escape
    sleep 0.5
    xdotool key super+Up 2>/dev/null || true
    wmctrl -r "CFG Version" -b add,maximized_vert,maximized_horz 2>/dev/null || xdotool windowsize "$wid" 100% 100%
    sleep 1
    import -window root "$root/docs/images/maximised_$suffix.png"
  fi
  kill "$vpid" 2>/dev/null || true
  sleep 0.5
  kill -9 "$vpid" 2>/dev/null || true
  echo quit >&7 || true
  exec 7>&-
  kill "$simpid" "$wmpid" "$xpid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$home"
}

# trend LANG SUFFIX: half a minute of the simulator's wandering input on the
# trend graph, saved as a PDF, and its page as a picture.
trend() {
  local lang=$1 suffix=$2 home display fifo sim simpid xpid wmpid vpid wid x y
  home=$(mktemp -d)
  mkdir -p "$home/VANTORIX/ports"
  fifo=$home/sim.in
  mkfifo "$fifo"
  "$bin/kt5rs-sim" --ports "$home/VANTORIX/ports" --serial 240117 --tag TT-101 <"$fifo" >"$home/sim.out" &
  simpid=$!
  exec 7>"$fifo"
  for _ in $(seq 50); do [ -s "$home/sim.out" ] && break; sleep 0.1; done
  sim=$(cut -d' ' -f1 "$home/sim.out")
  printf '[Lang]\nNumber=%s\n[Settings]\nCOMPort=%s\n' "$lang" "$sim" >"$home/VANTORIX/vela.conf"

  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp &
  xpid=$!
  sleep 1
  DISPLAY=$display openbox &
  wmpid=$!
  sleep 1
  DISPLAY=$display XDG_CONFIG_HOME=$home LANG=C.UTF-8 "$bin/vela" &
  vpid=$!
  export DISPLAY=$display
  wid=$(xdotool search --sync --onlyvisible --name "CFG Version" | head -1)
  sleep 1
  xdotool windowfocus --sync "$wid"
  xdotool key alt+c
  sleep 1
  xdotool key Return
  sleep 3
  # Input Value, its Trend Graph; the panel's buttons sit on its bottom row.
  xdotool key Right
  sleep 0.5
  xdotool key alt+4
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  y=$((Y + HEIGHT - 52))
  xdotool mousemove $((X + WIDTH - 265)) "$y" click 1 # START
  sleep 30
  xdotool mousemove $((X + WIDTH - 172)) "$y" click 1 # STOP
  sleep 1
  xdotool mousemove $((X + 145)) "$y" click 1 # Save
  sleep 2
  xdotool type --delay 20 "$home/trend.pdf"
  xdotool key Return
  sleep 2
  pdftoppm -png -r 60 -singlefile "$home/trend.pdf" "$root/docs/images/trend_print_$suffix"
  kill "$vpid" 2>/dev/null || true
  sleep 0.5
  kill -9 "$vpid" 2>/dev/null || true
  echo quit >&7 || true
  exec 7>&-
  kill "$simpid" "$wmpid" "$xpid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$home"
}

mkdir -p docs/images
trend 0 en
trend 1 ja
shoot 0 en 1 1920x1080
shoot 1 ja 1 1920x1080
shoot 0 en_scale2 2 1366x768
ls -1 docs/images/*.png
