#!/bin/sh
# Runs a program on a private X display (Xvfb, 1024x768) managed by openbox,
# so that window types, struts and maximised windows are a real window
# manager's business. Skips (77) when Xvfb or openbox is absent.
# Usage: with_openbox.sh PROGRAM [ARGUMENTS...]
command -v xvfb-run >/dev/null 2>&1 || exit 77
command -v openbox >/dev/null 2>&1 || exit 77
command -v xprop >/dev/null 2>&1 || exit 77
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  # Bounded wait until openbox has taken the screen.
  i=0
  while [ $i -lt 50 ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    sleep 0.1; i=$((i + 1))
  done
  QT_QPA_PLATFORM=xcb "$@"
  rc=$?
  kill $wm 2>/dev/null
  exit $rc' sh "$@"
