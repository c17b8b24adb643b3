#!/bin/sh
# Runs a program on a private X display (Xvfb, 1024x768) so that windows meet
# a real X server. Options, before the program:
#   --openbox  openbox manages the windows, so that window types, struts and
#              maximised windows are a real window manager's business
#   --tray     a tray host (trayer) runs; the program is told to expect it
#              (WV_EXPECT_TRAY=1) and fails if it never comes
# Skips (77) when a tool it needs is absent.
# Usage: with_x11.sh [--openbox] [--tray] PROGRAM [ARGUMENTS...]
wm=0
tray=0
while :; do
  case $1 in
    --openbox) wm=1; shift ;;
    --tray) tray=1; shift ;;
    *) break ;;
  esac
done
command -v xvfb-run >/dev/null 2>&1 || exit 77
if [ $wm = 1 ]; then
  command -v openbox >/dev/null 2>&1 || exit 77
  command -v xprop >/dev/null 2>&1 || exit 77
fi
if [ $tray = 1 ]; then
  command -v trayer >/dev/null 2>&1 || exit 77
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wm=$1; tray=$2; shift 2
  helpers=
  if [ $wm = 1 ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    helpers="$helpers $!"
    # Bounded wait until openbox has taken the screen.
    i=0
    while [ $i -lt 50 ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
      sleep 0.1; i=$((i + 1))
    done
  fi
  if [ $tray = 1 ]; then
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false \
      >/dev/null 2>&1 &
    helpers="$helpers $!"
    export WV_EXPECT_TRAY=1
  fi
  QT_QPA_PLATFORM=xcb "$@"
  rc=$?
  [ -z "$helpers" ] || kill $helpers 2>/dev/null
  exit $rc' sh "$wm" "$tray" "$@"
