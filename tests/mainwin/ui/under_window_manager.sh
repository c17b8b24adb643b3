#!/bin/sh
# Starts the program as a user does, on a private X display managed by a real
# window manager (openbox), with the default settings in a fresh per-user
# folder, and checks what the user sees once start-up is over: the main window
# and no other window of the program (the debug window stays unmapped while
# its option is off; the splash window has closed).
# Skips (77) when Xvfb, openbox or xprop is absent.
# Usage: under_window_manager.sh WIREVANE_EXECUTABLE
command -v Xvfb >/dev/null 2>&1 || exit 77
command -v openbox >/dev/null 2>&1 || exit 77
command -v xprop >/dev/null 2>&1 || exit 77
exe=$1
tmp=$(mktemp -d /tmp/wv-wm.XXXXXX)
trap 'kill $wv $wm $xv 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home"
# The defaults, except that no host name is looked up (tests talk to loopback
# only).
printf '[WVN3PRO\\Settings]\nautoResolve=0\n' > "$tmp/home/registry.ini"

# Xvfb picks a free display and writes its number to a descriptor.
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xv=$!
for i in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$tmp/display")
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager is up once it owns the screen's manager selection and
# has set _NET_SUPPORTING_WM_CHECK.
for i in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "openbox did not start"; exit 1; }

WIREVANE_HOME=$tmp/home XDG_CONFIG_HOME=$tmp/xdg WIREVANE_TRACE=1 QT_QPA_PLATFORM=xcb \
  "$exe" 2>"$tmp/trace" &
wv=$!
# Start-up is over once "done with StartUp;" is traced; the splash window
# closes half a second later.
for i in $(seq 300); do grep -q 'done with StartUp;' "$tmp/trace" 2>/dev/null && break; sleep 0.1; done
sleep 2
kill -0 $wv 2>/dev/null || { echo "the program ended"; cat "$tmp/trace"; exit 1; }

fail=0
mapped=""
for id in $(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,/ /g'); do
  pid=$(xprop -id "$id" _NET_WM_PID | sed 's/.*= //')
  [ "$pid" = "$wv" ] || continue
  name=$(xprop -id "$id" WM_NAME | sed 's/.*= //')
  mapped="$mapped $name"
done
echo "windows of the program managed by openbox:$mapped"
[ "$mapped" = ' "Wirevane 3.0"' ] || { echo "FAIL: expected the main window alone"; fail=1; }
exit $fail
