#!/usr/bin/env bash
# Reads the window through the desktop accessibility bus, as a screen reader
# does, connected to a simulated instrument, in English and Japanese; fails
# when a value box or meter has no name, an unlabelled button is offered or
# an internal object name shows. Needs a built tree (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/build/bin
[ -x "$bin/vela" ] || { echo "a11y-check: build first (bash scripts/build.sh)" >&2; exit 1; }

missing=()
command -v xdotool >/dev/null || missing+=(xdotool)
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v openbox >/dev/null || missing+=(openbox)
command -v dbus-run-session >/dev/null || missing+=(dbus)
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi2-core)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# check LANG: one run against its own simulator; the walker's report on stdout.
check() {
  local lang=$1 home display fifo sim simpid xpid wmpid vpid wid status=0
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
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp &
  xpid=$!
  sleep 1
  DISPLAY=$display openbox &
  wmpid=$!
  sleep 1
  export DISPLAY=$display
  dbus-run-session -- bash -c '
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME='"$home"' LANG=C.UTF-8 "'"$bin"'/vela" &
    vpid=$!
    wid=$(xdotool search --sync --onlyvisible --name "CFG Version" | head -1)
    sleep 1
    xdotool windowfocus --sync "$wid"
    xdotool key alt+c
    sleep 1
    xdotool key Return
    sleep 4
    # Input Value: the block with the most utility buttons.
    xdotool key Right
    sleep 1
    /usr/bin/python3 "'"$root"'/scripts/a11y_walk.py" "$(basename "'"$bin"'/vela")"
    status=$?
    kill $vpid 2>/dev/null; sleep 0.5; kill -9 $vpid 2>/dev/null
    exit $status' || status=$?
  echo quit >&7 || true
  exec 7>&-
  kill "$simpid" "$wmpid" "$xpid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$home"
  return $status
}

result=0
for lang in 0 1; do
  echo "== language $lang"
  check "$lang" || result=1
done
exit $result
