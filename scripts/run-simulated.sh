#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on its built-in
# simulated instrument. Without a display it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  exec xvfb-run -a ./build/bin/vela --simulate "$@"
fi
exec ./build/bin/vela --simulate "$@"
