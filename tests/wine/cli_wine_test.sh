#!/usr/bin/env bash
# vela-cli.exe as a Windows user runs it, under wine, against the Linux
# simulator: each simulator's pseudo-terminal is made a COM port of the wine
# prefix (a link in its dosdevices folder), and the Linux vela-cli of the
# native build reads the same instrument for comparison.
#   cli_wine_test.sh WINDOWS_BIN_DIR HOST_BIN_DIR
# Needs WINEPREFIX with a running wine server (see scripts/wine-run.sh).
set -uo pipefail
WIN_BIN=$1
HOST_BIN=$2
HERE=$(cd "$(dirname "$0")" && pwd)
RUN="$HERE/../../scripts/wine-run.sh"
SIM=$HOST_BIN/kt5rs-sim
LINUX_CLI=$HOST_BIN/vela-cli
for f in "$SIM" "$LINUX_CLI" "$WIN_BIN/vela-cli.exe" "$WIN_BIN/VELA_jpn.dll"; do
  [ -x "$f" ] || [ -f "$f" ] || { echo "missing $f (build the native tree first: bash scripts/build.sh)"; exit 1; }
done

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -f "$WINEPREFIX"/dosdevices/com2[0-9]
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
check() { # check NAME CONDITION-STATUS DETAIL
  if [ "$2" -eq 0 ]; then echo "ok   $1"; else echo "FAIL $1: $3"; failures=$((failures + 1)); fi
}

# start_sim NAME COM ARGS...: a simulator reading commands from a fifo, its
# terminal linked as COM<n>; sets DEV_<NAME>.
start_sim() {
  local name=$1 com=$2
  shift 2
  mkfifo "$WORK/$name.in"
  "$SIM" --no-register "$@" <"$WORK/$name.in" >"$WORK/$name.out" 2>"$WORK/$name.err" &
  PIDS+=($!)
  exec {fd}>"$WORK/$name.in"
  eval "FD_$name=$fd"
  local line=""
  for _ in $(seq 100); do
    line=$(head -n1 "$WORK/$name.out" 2>/dev/null)
    [ -n "$line" ] && break
    sleep 0.05
  done
  local dev=${line#- }
  [ -c "$dev" ] || { echo "simulator $name did not start: $(cat "$WORK/$name.err")"; exit 1; }
  ln -sfn "$dev" "$WINEPREFIX/dosdevices/com$com"
  eval "DEV_$name=$dev"
}

# win ARGS...: vela-cli.exe with English messages; sets STATUS, OUT, ERR.
# wine's own output (it talks about the terminals it held) goes to a file.
win() {
  "$RUN" "$WIN_BIN/vela-cli.exe" --lang en "$@" >"$WORK/out" 2>"$WORK/err" </dev/null
  STATUS=$?
  OUT=$(cat "$WORK/out")
  ERR=$(tr -d '\r' <"$WORK/err")
}

start_sim main 21
start_sim paced 22 --pace --log "$WORK/paced.log"
start_sim kt7w 23 --model KT7W

# Upload: the same bytes as the Linux build's file.
win upload --port COM21 -o "Z:$WORK/win.cfg"
check "upload" $STATUS "status $STATUS: $ERR"
"$LINUX_CLI" --lang en upload --port "$DEV_main" -o "$WORK/linux.cfg" >/dev/null 2>&1
cmp -s "$WORK/win.cfg" "$WORK/linux.cfg"
check "uploaded file is byte-identical to the Linux build's ($(stat -c %s "$WORK/win.cfg") bytes)" $? \
  "$(cmp "$WORK/win.cfg" "$WORK/linux.cfg" 2>&1)"

# Set one value, see compare find it, then download the file with verify.
win set --port COM21 1.0 2.5
check "set" $STATUS "status $STATUS: $ERR"
win compare --port COM21 "Z:$WORK/win.cfg"
[ $STATUS -eq 1 ]
check "compare finds the changed value" $? "status $STATUS: $OUT $ERR"
win download --port COM21 "Z:$WORK/win.cfg"
check "download with verify" $STATUS "status $STATUS: $ERR"
win compare --port COM21 "Z:$WORK/win.cfg"
check "compare after download" $STATUS "status $STATUS: $OUT $ERR"

win monitor --port COM21 --count 3
[ $STATUS -eq 0 ] && [ "$(printf '%s\n' "$OUT" | wc -l)" -eq 4 ]
check "monitor: a header and three rows" $? "status $STATUS: $OUT $ERR"

# The Windows build has no history database, and says so.
win history
[ $STATUS -eq 4 ] && [[ "$ERR" == *"keeps no history"* ]]
check "history: none in this build" $? "status $STATUS: $OUT $ERR"

# Another model is refused with the system's message.
win upload --port COM23 -o "Z:$WORK/kt7w.cfg"
[ $STATUS -eq 4 ] && [[ "$ERR" == *"The connection device is not supported."* ]]
check "another model: 214" $? "status $STATUS: $ERR"

# A silent line: the time-out message after about a second more than an
# answered command takes (wine's start-up is in both).
start=$(date +%s%N)
win get --port COM21 0.0
answered=$((($(date +%s%N) - start) / 1000000))
echo "fault silence" >&"$FD_main"
sleep 0.2
start=$(date +%s%N)
win get --port COM21 0.0
elapsed=$((($(date +%s%N) - start) / 1000000))
[ $STATUS -eq 3 ] && [[ "$ERR" == *"Receive command response timeout."* ]] && [ $((elapsed - answered)) -lt 1600 ]
check "silent line: 300 after ${elapsed} ms (an answered get: ${answered} ms)" $? "status $STATUS: $ERR"
echo "fault clear" >&"$FD_main"

# Paced at 9600 baud: the upload's time on the line against the time its bytes need.
win upload --port COM22 -o "Z:$WORK/paced.cfg"
check "paced upload" $STATUS "status $STATUS: $ERR"
# The log has one line per command and reply, "HH:MM:SS.mmm > text" and
# "... < text"; each line went over the wire with its carriage return.
python3 - "$WORK/paced.log" <<'PY'
import sys
def sec(t):
    h, m, s = t.split(':')
    return int(h) * 3600 + int(m) * 60 + float(s)
lines = [l.rstrip('\n') for l in open(sys.argv[1], encoding='latin-1') if l[12:15] in (' > ', ' < ')]
wire = sum(len(l[15:]) + 1 for l in lines) * 10 / 9600
span = sec(lines[-1][:12]) - sec(lines[0][:12]) + (len(lines[-1][15:]) + 1) * 10 / 9600
print("paced upload: %.2f s on the line, %.2f s of bytes at 9600 baud: %.3fx" % (span, wire, span / wire))
PY

if [ $failures -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
