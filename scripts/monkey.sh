#!/usr/bin/env bash
# Random keys and clicks on the window for a while, with its own simulated
# instrument (vela --simulate) misbehaving at random. Fails on a crash, on a
# window that stops answering for 5 s, and on a sanitizer report. Not part of
# CI: every run is different (the seed is printed, and taken back with --seed).
#
#   bash scripts/monkey.sh [--minutes N] [--build DIR] [--seed S]
#
# Build DIR (default build) with the asan preset to catch memory errors:
#   cmake --preset asan -DVELA_BUILD_UI=ON && cmake --build build-asan --target vela
# Needs Xvfb, openbox and xdotool. The faults reach the simulator through the
# pipe VELA_SIM_CONTROL names; VELA_SIM_LOG keeps its transcript, from which
# the connections are counted.
set -u

minutes=10
build=build
seed=$(date +%s)
while [ $# -gt 0 ]; do
  case "$1" in
  --minutes) minutes=$2; shift 2 ;;
  --build) build=$2; shift 2 ;;
  --seed) seed=$2; shift 2 ;;
  *) echo "usage: $0 [--minutes N] [--build DIR] [--seed S]" >&2; exit 2 ;;
  esac
done
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "monkey: $tool is missing (apt-get install xvfb openbox xdotool)" >&2; exit 2; }
done
bin=$(cd "$build/bin" 2>/dev/null && pwd) || { echo "monkey: no $build/bin" >&2; exit 2; }
[ -x "$bin/vela" ] || { echo "monkey: build vela in $build first" >&2; exit 2; }

RANDOM=$seed
work=$(mktemp -d /tmp/vela-monkey.XXXXXX)
echo "monkey: seed $seed, $minutes min, logs in $work"
# A home of its own: the port map, the settings and whatever the file
# dialogs save stay in here.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS="log_path=$work/sanitizer:detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="log_path=$work/sanitizer:print_stacktrace=1"
export TSAN_OPTIONS="log_path=$work/sanitizer"

display=:$((90 + RANDOM % 100))
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

# The window's instrument takes its faults from this pipe. Held open for
# reading and writing here, so a write never waits for a window to read.
mkfifo "$work/sim.in"
exec 7<>"$work/sim.in"
export VELA_SIM_CONTROL=$work/sim.in

keys=(alt+c alt+o alt+s alt+u alt+d alt+p alt+l alt+1 alt+2 alt+3 alt+4 alt+5 alt+6
      Return Return Escape Escape Tab shift+Tab Up Down Left Right space
      1 2 5 period minus BackSpace Delete y n)
faults=(silence late cut garbage nul endless slow-under slow-over hangup)
sent_keys=0 sent_clicks=0 injected=0 starts=0 connections=0 failure=""
online=0 last_poll_check=0

start_vela() {
  # Each run of the window has its own simulator, and its own transcript.
  export VELA_SIM_LOG=$work/sim.$((starts + 1)).log
  "$bin/vela" --simulate >>"$work/vela.log" 2>&1 &
  vela=$!
  echo "$vela" >"$work/vela.pid"
  pids+=($vela)
  starts=$((starts + 1))
  for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$vela" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 0
}

# The window stops answering when its main thread stays blocked on a lock
# (futex) or keeps running without rest. A sampler notes the last moment the
# main thread was neither: waiting in the event loop, or merely waiting for
# a processor on a loaded machine, which does not count against it.
sampler() {
  local pid wchan ticks last_ticks=0 last_at=0 now
  while :; do
    pid=$(cat "$work/vela.pid" 2>/dev/null)
    wchan=$(cat "/proc/$pid/task/$pid/wchan" 2>/dev/null)
    ticks=$(awk '{ print $14 + $15 }' "/proc/$pid/task/$pid/stat" 2>/dev/null)
    now=$(date +%s%3N)
    ticks=${ticks:-0}
    # Less than half the time on a processor since the last sample, and not
    # blocked on a lock: the thread is not stuck.
    if [[ "$wchan" != *futex* ]] && [ $(((ticks - last_ticks) * 10 * 2)) -lt $((now - last_at)) ]; then
      echo "$now" >"$work/answered.new" && mv -f "$work/answered.new" "$work/answered"
    fi
    last_ticks=$ticks last_at=$now
    sleep 0.2
  done
}
check_answering() {
  local at=0
  { read -r at <"$work/answered"; } 2>/dev/null
  at=${at:-0}
  [ "$at" -lt "$answering_since" ] && at=$answering_since
  [ $(($(date +%s%3N) - at)) -lt 5000 ]
}
sampler &
pids+=($!)

# Online while the poller's group select ("G01") came within the last 3 s; a
# poll after a longer gap starts a new connection.
count_connections() {
  local last now
  last=$(tail -n 40 "$VELA_SIM_LOG" 2>/dev/null | grep '> G01' | tail -n 1 | cut -d' ' -f1)
  now=$(date +%s)
  if [ -n "$last" ] && [ $((now - $(date -d "$last" +%s 2>/dev/null || echo 0))) -le 3 ]; then
    [ "$online" -eq 0 ] && connections=$((connections + 1))
    online=1
  else
    online=0
  fi
}
# Every half minute offline: close what is open (Escape is Cancel) and
# connect to the simulated port the connect dialog offers first.
try_connect() {
  local main
  main=$(xdotool search --onlyvisible --pid "$vela" --name "CFG Version" 2>/dev/null | head -1)
  [ -n "$main" ] || return 0
  xdotool key --clearmodifiers Escape Escape 2>/dev/null
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool key --clearmodifiers alt+c 2>/dev/null
  sleep 1
  xdotool key --clearmodifiers Return 2>/dev/null
  sent_keys=$((sent_keys + 4))
}

start_vela
answering_since=$(date +%s%3N)
end=$(($(date +%s) + minutes * 60))
while [ "$(date +%s)" -lt "$end" ]; do
  if ! kill -0 "$vela" 2>/dev/null; then
    wait "$vela"
    status=$?
    # Closed by a key (the window has no key that closes it, a dialog's
    # button may) is an ordinary end; a signal or a failure code is not.
    if [ "$status" -ne 0 ]; then failure="vela ended with status $status"; break; fi
    start_vela
    answering_since=$(date +%s%3N)
    continue
  fi
  if ! check_answering; then
    failure="window not answering for 5 s"
    { cat "/proc/$vela/task/$vela/wchan"; echo; cat "/proc/$vela/task/$vela/stat"; echo
      command -v gdb >/dev/null && gdb -p "$vela" -batch -ex "thread apply all bt 12" 2>&1; } >"$work/hang.txt"
    break
  fi
  if ls "$work"/sanitizer* >/dev/null 2>&1; then failure="sanitizer report"; break; fi

  if [ $(($(date +%s) - last_poll_check)) -ge 1 ]; then
    count_connections
    if [ "$online" -eq 0 ] && [ $(($(date +%s) - ${last_connect_try:-0})) -ge 30 ]; then
      last_connect_try=$(date +%s)
      try_connect
    fi
    last_poll_check=$(date +%s)
  fi
  roll=$((RANDOM % 100))
  if [ $roll -lt 4 ]; then
    echo "fault ${faults[RANDOM % ${#faults[@]}]} $((RANDOM % 20)) $((1 + RANDOM % 5))" >&7
    injected=$((injected + 1))
  elif [ $roll -lt 6 ]; then
    echo "fault clear" >&7
  elif [ $roll -lt 45 ]; then
    # Inside whatever window is in front: the main window or a dialog.
    eval "$(xdotool getactivewindow getwindowgeometry --shell 2>/dev/null)" || continue
    xdotool mousemove "$((X + RANDOM % (WIDTH > 0 ? WIDTH : 1)))" "$((Y + RANDOM % (HEIGHT > 0 ? HEIGHT : 1)))" \
      click 1 2>/dev/null
    sent_clicks=$((sent_clicks + 1))
  else
    xdotool key --clearmodifiers "${keys[RANDOM % ${#keys[@]}]}" 2>/dev/null
    sent_keys=$((sent_keys + 1))
  fi
  sleep 0.$((RANDOM % 3))5
done

echo "fault clear" >&7
if [ -z "$failure" ] && kill -0 "$vela" 2>/dev/null; then
  # The end of the run is a kill: the window closes as its close would.
  kill -TERM "$vela"
  for _ in $(seq 50); do kill -0 "$vela" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$vela" 2>/dev/null; then
    failure="no exit within 5 s of SIGTERM"
  else
    wait "$vela" || failure="vela ended with status $? after SIGTERM"
  fi
fi
ls "$work"/sanitizer* >/dev/null 2>&1 && failure=${failure:-"sanitizer report"}

echo "monkey: $minutes min, $((sent_keys + sent_clicks)) actions ($sent_keys keys, $sent_clicks clicks), $connections connections, $injected faults injected, $starts window starts"
if [ -n "$failure" ]; then
  echo "monkey: FAILED: $failure (seed $seed; see $work)"
  cat "$work"/sanitizer* 2>/dev/null | head -60
  exit 1
fi
echo "monkey: clean"
