#!/usr/bin/env bash
# CPU seconds per minute the window uses while nobody touches it: offline, and
# online while it polls a simulated KT5RS (paced at 9600 baud), beside a bare
# client that sends the same poll cycle with nothing but system calls.
#
#   bash bench/cpu/cpu_per_minute.sh [--seconds N] [BUILD_DIR]
#
# Each figure is measured over N seconds (default 60) and scaled to a minute.
# Runs under its own Xvfb with openbox; needs a built tree (scripts/build.sh)
# and installs xdotool and openbox when they are missing. Targets: offline at
# most 0.05 s a minute, online at most twice the bare client.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
seconds=60
build=build
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    *) build=$1; shift ;;
  esac
done
bin=$(cd "$build/bin" && pwd)
[ -x "$bin/vela" ] && [ -x "$bin/kt5rs-sim" ] || { echo "cpu_per_minute: build first (bash scripts/build.sh)" >&2; exit 1; }

missing=()
command -v xdotool >/dev/null || missing+=(xdotool)
command -v openbox >/dev/null || missing+=(openbox)
command -v Xvfb >/dev/null || missing+=(xvfb)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

g++ -O2 -std=c++20 -o "$work/bare_poll_client" "$root/bench/cpu/bare_poll_client.cpp"

# A display of our own, with a window manager so the window takes the keys.
display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)

# Settings and the COM port map in a throw-away folder.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/VANTORIX"
export LANG=C.UTF-8

ticks_per_second=$(getconf CLK_TCK)
# User and system time of every thread of the process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# CPU seconds a minute of process $1 over the measuring window.
measure() {
  local before after
  before=$(cpu_ticks "$1")
  sleep "$seconds"
  after=$(cpu_ticks "$1")
  awk -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$seconds" 'BEGIN { printf "%.3f", t / hz * 60 / s }'
}
# G01 commands the simulator took since line $1 of its log: one a cycle.
cycles_since() { tail -n +"$1" "$work/sim.log" | grep -c '> G01' || true; }
start_window() {
  "$bin/vela" >>"$work/vela.log" 2>&1 &
  vela=$!
  pids+=($vela)
  for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --pid "$vela" --name "CFG Version" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && return
    sleep 0.1
  done
  echo "cpu_per_minute: the window did not show" >&2
  cat "$work/vela.log" >&2
  exit 1
}

# Offline: the window at rest, after it has settled.
start_window
sleep 3
offline=$(measure "$vela")
kill "$vela"; wait "$vela" 2>/dev/null || true

# The simulated instrument, registered under a COM number the window offers.
"$bin/kt5rs-sim" --pace --log "$work/sim.log" </dev/null >"$work/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
read -r com device <"$work/sim.out"
printf '[Settings]\nCOMPort=%s\n' "$com" >"$XDG_CONFIG_HOME/VANTORIX/vela.conf"

# Online: Connect (Alt+C), take the port the dialog offers (Enter), wait for
# the upload to end and the polling to begin.
start_window
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 1
xdotool key alt+c
sleep 2
xdotool key Return
for _ in $(seq 600); do grep -q '> I04' "$work/sim.log" 2>/dev/null && break; sleep 0.1; done
grep -q '> I04' "$work/sim.log" || { echo "cpu_per_minute: the window did not go online" >&2; exit 1; }
sleep 3
mark=$(($(wc -l <"$work/sim.log") + 1))
online=$(measure "$vela")
online_cycles=$(cycles_since "$mark")
kill "$vela"; wait "$vela" 2>/dev/null || true

# The bare client on the same instrument.
sleep 1
"$work/bare_poll_client" "$device" >"$work/bare.out" &
bare=$!
pids+=($bare)
sleep 3
mark=$(($(wc -l <"$work/sim.log") + 1))
bare_cpu=$(measure "$bare")
bare_cycles=$(cycles_since "$mark")
kill "$bare"; wait "$bare" 2>/dev/null || true

echo "window offline:  $offline s CPU a minute (target <= 0.050)"
echo "window online:   $online s CPU a minute, $online_cycles poll cycles in ${seconds} s"
echo "bare client:     $bare_cpu s CPU a minute, $bare_cycles poll cycles in ${seconds} s"
awk -v o="$online" -v b="$bare_cpu" 'BEGIN {
  if (b > 0) printf "online / bare:   %.2f (target <= 2.00)\n", o / b; else print "online / bare:   bare client used no measurable CPU" }'
echo "(measured over ${seconds} s each, scaled to a minute; clock tick $((1000 / ticks_per_second)) ms)"
