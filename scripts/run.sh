#!/usr/bin/env bash
# Installs what is missing, builds Wirevane and starts it.
# Without a display it starts under a virtual X server (Xvfb), or set
# QT_QPA_PLATFORM=offscreen to run it without any screen at all.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build -DWV_TESTS=OFF -DWV_BENCH=OFF
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  scripts/deps.sh headless >/dev/null
  echo "No display found: starting Wirevane under Xvfb (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1280x800x24" build/bin/wirevane
fi
exec build/bin/wirevane
