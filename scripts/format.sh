#!/usr/bin/env bash
# Checks that every C++ file keeps the house format (.clang-format).
#   format.sh          report files that differ and fail
#   format.sh --fix    rewrite them in place
set -euo pipefail
cd "$(dirname "$0")/.."
cf=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$cf" ]; then
  scripts/deps.sh format
  cf=$(command -v clang-format-14 || command -v clang-format)
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$cf" -i "${files[@]}"
  exit 0
fi
if ! "$cf" --dry-run -Werror "${files[@]}" 2>/tmp/wirevane-format.$$; then
  grep -oE '^[^ :]+\.(cpp|h):[0-9]+:[0-9]+: (warning|error)' /tmp/wirevane-format.$$ | cut -d: -f1 | sort -u | sed 's/$/: not formatted/' >&2
  rm -f /tmp/wirevane-format.$$
  echo "Run scripts/format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/wirevane-format.$$
echo "format: ${#files[@]} files checked"
