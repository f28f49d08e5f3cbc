#!/usr/bin/env bash
# The whole upload of the Windows vela-cli.exe under wine against the
# simulator paced at 9600 baud, beside the Linux vela-cli on the same line:
# the time from the first command to the end of the last reply on the line
# (the simulator's log) against the time its bytes need on the wire.
#   bench/wine/paced_upload.sh [RUNS]     (after bash scripts/test-windows.sh)
# Target: the Windows build within 1.05x of the wire time.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUNS=${1:-3}
WIN_BIN=$ROOT/build-windows/bin
HOST_BIN=$ROOT/build/bin
RUN=$ROOT/scripts/wine-run.sh
export WINEPREFIX=${WINEPREFIX:-$ROOT/build-windows/wine}
for f in "$HOST_BIN/kt5rs-sim" "$HOST_BIN/vela-cli" "$WIN_BIN/vela-cli.exe"; do
  [ -x "$f" ] || { echo "missing $f: bash scripts/build.sh and bash scripts/test-windows.sh first" >&2; exit 1; }
done

WORK=$(mktemp -d)
SIM_PID=
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
  wait 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com29"
  rm -rf "$WORK"
}
trap cleanup EXIT
"$RUN" --start

mkfifo "$WORK/sim.in"
"$HOST_BIN/kt5rs-sim" --no-register --pace --log "$WORK/paced.log" <"$WORK/sim.in" >"$WORK/sim.out" 2>"$WORK/sim.err" &
SIM_PID=$!
exec 3>"$WORK/sim.in"
for _ in $(seq 100); do
  DEV=$(head -n1 "$WORK/sim.out" 2>/dev/null | sed 's/^- //')
  [ -n "$DEV" ] && break
  sleep 0.05
done
[ -c "$DEV" ] || { echo "the simulator did not start: $(cat "$WORK/sim.err")" >&2; exit 1; }
ln -sfn "$DEV" "$WINEPREFIX/dosdevices/com29"

# The span of the log's lines written since the given line count.
ratio() {
  python3 - "$WORK/paced.log" "$1" <<'PY'
import sys
def sec(t):
    h, m, s = t.split(':')
    return int(h) * 3600 + int(m) * 60 + float(s)
lines = [l.rstrip('\n') for l in open(sys.argv[1], encoding='latin-1')][int(sys.argv[2]):]
lines = [l for l in lines if l[12:15] in (' > ', ' < ')]
# Each line went over the wire with its carriage return, 10 bits a byte.
wire = sum(len(l[15:]) + 1 for l in lines) * 10 / 9600
span = sec(lines[-1][:12]) - sec(lines[0][:12]) + (len(lines[-1][15:]) + 1) * 10 / 9600
print("%.2f s on the line, %.2f s of bytes at 9600 baud: %.3fx" % (span, wire, span / wire))
PY
}

for run in $(seq "$RUNS"); do
  mark=$(wc -l <"$WORK/paced.log")
  "$RUN" "$WIN_BIN/vela-cli.exe" --lang en upload --port COM29 -o "Z:$WORK/win.cfg" >/dev/null 2>"$WORK/err" </dev/null ||
    { echo "upload failed: $(cat "$WORK/err")" >&2; exit 1; }
  echo "windows (wine) run $run: $(ratio "$mark")"
  mark=$(wc -l <"$WORK/paced.log")
  "$HOST_BIN/vela-cli" --lang en upload --port "$DEV" -o "$WORK/linux.cfg" >/dev/null 2>&1
  echo "linux          run $run: $(ratio "$mark")"
  cmp -s "$WORK/win.cfg" "$WORK/linux.cfg" || echo "the two files differ" >&2
done
