#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz/ and runs
# each for SECONDS (default 60). Usage: fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}; shift || true
scripts/deps.sh fuzz
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DWV_FUZZ=ON -DWV_TESTS=OFF -DWV_BENCH=OFF \
  -DWV_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cd build-fuzz/bin && ls fuzz_* 2>/dev/null)
fi
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  seeds=fuzz/seeds/${t#fuzz_}
  echo "== $t for ${secs}s"
  ASAN_OPTIONS=detect_leaks=0 build-fuzz/bin/"$t" -max_total_time="$secs" -rss_limit_mb=4096 \
    "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) 2>&1 | tail -n 3
done
