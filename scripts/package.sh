#!/usr/bin/env bash
# Builds a Debian package of Wirevane in build-deb/ (wirevane_VERSION_ARCH.deb).
# Install it with: sudo apt install ./build-deb/wirevane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
scripts/build.sh build-deb -DWV_TESTS=OFF -DWV_BENCH=OFF -DCMAKE_BUILD_TYPE=Release
cd build-deb
cpack -G DEB
ls -1 "$PWD"/wirevane_*.deb
