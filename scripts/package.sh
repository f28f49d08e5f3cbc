#!/usr/bin/env bash
# Builds the Debian package build/vela_<version>_amd64.deb: installs what is
# missing, builds ./build (reused when it exists) and packs the install rules.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
deb=build/vela_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "package: $deb was not made" >&2; exit 1; }
echo "$deb"
