#!/usr/bin/env bash
# Installs what is missing, builds Wirevane with its tests and runs them.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  ASan + UBSan build in build-asan/
# Extra arguments after the options go to ctest (for example -R engine).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
opts=(-DWV_TESTS=ON -DWV_BENCH=ON)
retry=()
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-asan
  opts=(-DWV_TESTS=ON -DWV_BENCH=OFF -DWV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  # Everything runs several times slower here: a test that ran out of time
  # waiting for a peer gets one more try (both runs are in the output).
  retry=(--repeat until-pass:2)
fi
scripts/deps.sh test
scripts/build.sh "$dir" "${opts[@]}"
cd "$dir"
ctest --output-on-failure --timeout 600 -j "$(nproc)" "${retry[@]}" "$@"
