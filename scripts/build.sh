#!/usr/bin/env bash
# Configures and builds one build tree. Usage: build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
launcher=()
# A compiler cache makes rebuilds of several trees cheap where one is installed.
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A build folder made by another generator (say, plain make) is configured
# anew for Ninja rather than refused.
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
  echo "Reconfiguring $dir for Ninja." >&2
  rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
else
  # Re-apply the options so a changed flag takes effect; cheap when nothing changed.
  [ $# -eq 0 ] || cmake -S . -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
