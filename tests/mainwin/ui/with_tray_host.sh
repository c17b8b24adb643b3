#!/bin/sh
# Runs a window test on a private X display with a tray host (trayer), so the
# tray paths are exercised for real. Skips (77) when Xvfb or trayer is absent;
# with both there, the test waits for the tray and fails if it never comes
# (WV_EXPECT_TRAY).
# Usage: with_tray_host.sh TEST_EXECUTABLE [test function...]
command -v xvfb-run >/dev/null 2>&1 || exit 77
command -v trayer >/dev/null 2>&1 || exit 77
exe=$1; shift
exec xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
  trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false \
    >/dev/null 2>&1 &
  host=$!
  WV_EXPECT_TRAY=1 QT_QPA_PLATFORM=xcb "$@"
  rc=$?
  kill $host 2>/dev/null
  exit $rc' sh "$exe" "$@"
