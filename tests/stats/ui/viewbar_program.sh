#!/bin/sh
# The program itself with vbShow=1 in registry.ini, on the display that
# with_x11.sh --openbox provides: a window captioned "ViewBar" must be mapped,
# 28 pixels high across the bottom of the screen, reserving 28 pixels at the
# bottom with _NET_WM_STRUT_PARTIAL.
# Usage: with_x11.sh --openbox viewbar_program.sh PATH/TO/wirevane
set -u
program=$1
home=$(mktemp -d)
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$home"' EXIT
printf '[WVN3PRO\\Settings]\r\nvbShow=1\r\nshowSplash=0\r\n' >"$home/registry.ini"
WIREVANE_HOME=$home XDG_RUNTIME_DIR=$home "$program" >"$home/out.txt" 2>&1 &
pid=$!

fail() { echo "FAIL: $*"; cat "$home/out.txt"; exit 1; }

# Bounded wait for the bar to be mapped.
i=0
while [ $i -lt 100 ]; do
  info=$(xwininfo -name ViewBar 2>/dev/null) && echo "$info" | grep -q 'IsViewable' && break
  sleep 0.1; i=$((i + 1))
done
[ $i -lt 100 ] || fail "no ViewBar window was mapped"
screen_w=$(xwininfo -root | sed -n 's/^ *Width: //p')
screen_h=$(xwininfo -root | sed -n 's/^ *Height: //p')
# Openbox may place the bar a moment after mapping it.
i=0
while [ $i -lt 50 ]; do
  info=$(xwininfo -name ViewBar)
  x=$(echo "$info" | sed -n 's/^ *Absolute upper-left X: *//p')
  y=$(echo "$info" | sed -n 's/^ *Absolute upper-left Y: *//p')
  w=$(echo "$info" | sed -n 's/^ *Width: //p')
  h=$(echo "$info" | sed -n 's/^ *Height: //p')
  [ "$x,$y,$w,$h" = "0,$((screen_h - 28)),$screen_w,28" ] && break
  sleep 0.1; i=$((i + 1))
done
echo "ViewBar at $x,$y size ${w}x$h on a ${screen_w}x$screen_h screen"
[ "$h" = 28 ] || fail "height $h, not 28"
[ "$w" = "$screen_w" ] || fail "width $w, not the screen's $screen_w"
[ "$x,$y" = "0,$((screen_h - 28))" ] || fail "not at the bottom edge"
type=$(xprop -name ViewBar _NET_WM_WINDOW_TYPE)
echo "$type"
echo "$type" | grep -q _NET_WM_WINDOW_TYPE_DOCK || fail "not a dock window"
strut=$(xprop -name ViewBar _NET_WM_STRUT_PARTIAL)
echo "$strut"
[ "$strut" = "_NET_WM_STRUT_PARTIAL(CARDINAL) = 0, 0, 0, 28, 0, 0, 0, 0, 0, 0, 0, $((screen_w - 1))" ] ||
  fail "strut does not reserve 28 pixels at the bottom"
echo PASS
