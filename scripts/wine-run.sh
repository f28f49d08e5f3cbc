#!/usr/bin/env bash
# Runs a Windows program of the cross build under wine: the tests' launcher.
# The wine prefix lives in the build tree (WINEPREFIX, set by CTest), wine's
# own diagnostics are off, and the program's exit status is passed through.
#   wine-run.sh PROGRAM.exe [ARGS...]      run one program
#   wine-run.sh --start | --stop           make the prefix and keep one wine server alive
#                                          for a whole test run (start-up costs ~2 s otherwise)
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$PWD/wine}
export WINEARCH=win64
# No desktop integration or Mono/Gecko prompts in a scratch prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=;winemenubuilder.exe=}
WINE=$(command -v wine64 || command -v wine || true)
[ -x /usr/lib/wine/wine64 ] && WINE=/usr/lib/wine/wine64
if [ -z "$WINE" ]; then
  echo "wine-run.sh: wine is not installed (bash scripts/install-deps.sh --windows)" >&2
  exit 1
fi
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
[ -x /usr/lib/wine/wineserver64 ] && WINESERVER=/usr/lib/wine/wineserver64

case "${1:-}" in
  --start)
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$WINE" wineboot --init >/dev/null 2>&1
      "$WINESERVER" -w
    fi
    # -p: the server stays when the last program ends, until --stop. It fails
    # when one is already running for the prefix, which is as good.
    "$WINESERVER" -p >/dev/null 2>&1 || true
    # The first program of a server starts wine's own services; let that
    # happen here rather than inside the first test's time.
    "$WINE" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
    ;;
  --stop)
    "$WINESERVER" -k >/dev/null 2>&1 || true
    ;;
  *)
    exec "$WINE" "$@"
    ;;
esac
