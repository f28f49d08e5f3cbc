#!/usr/bin/env bash
# The Windows build of the core and vela-cli: installs the MinGW-w64 cross
# compiler and wine, cross-builds into ./build-windows (cmake --preset windows),
# packs the ZIP and runs the tests under wine. The end-to-end test runs against
# the native build's simulator (bash scripts/build.sh first; scripts/test.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows
cmake --preset windows >/dev/null
cmake --build --preset windows
(cd build-windows && cpack -G ZIP >/dev/null && ls -l vela-cli-*.zip)
ctest --preset windows "$@"
