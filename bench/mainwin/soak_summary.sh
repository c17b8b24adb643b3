#!/usr/bin/env bash
# Soak: the program left running while connections come and go, to show that
# its resident memory stops growing once the session summary holds its limit
# of events.
#
# Starts build/bin/wirevane offscreen with automatic refresh every 2 s and no
# name look-ups, BASE loopback connections held by mkconns (each refresh that
# finds a vanished row rebuilds the table, so every held connection is
# reported again: the summary fills quickly), and a churn of RATE connections
# opened and closed per second. Prints the resident memory every STEP seconds.
#
# Usage: soak_summary.sh BIN_DIR [SECONDS=600] [BASE=500] [MAX_EVENTS=100000] [RATE=20] [STEP=15]
set -euo pipefail
bin=$(cd "$1" && pwd); secs=${2:-600}; base=${3:-500}; max=${4:-100000}; rate=${5:-20}
step=${6:-15}
here=$(cd "$(dirname "$0")" && pwd)
mkconns=$here/../engine/mkconns
tmp=$(mktemp -d /tmp/wv-soak.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

mkdir -p "$tmp/home"
cat > "$tmp/home/registry.ini" <<INI
[WVN3PRO\Settings]
autoRefresh=1
RefreshDelay=2
autoResolve=0
showSplash=0
showListens=1

[Wirevane\Summary]
MaxEvents=$max
INI

"$mkconns" -n "$base" -t $((secs + 60)) > "$tmp/mk" 2>&1 & pids+=($!)
for _ in $(seq 600); do grep -q ready "$tmp/mk" && break; sleep 0.2; done

# The churn: every 1/RATE s a connection opens; each lives one second and is
# reset (no TIME_WAIT rows left behind).
/usr/bin/python3 - "$rate" "$secs" > /dev/null 2>&1 <<'PY' & pids+=($!)
import socket, struct, sys, time, collections
rate, secs = float(sys.argv[1]), float(sys.argv[2])
lst = socket.socket(); lst.bind(("127.0.0.1", 0)); lst.listen(256)
port = lst.getsockname()[1]
linger0 = struct.pack("ii", 1, 0)
live = collections.deque()
end = time.monotonic() + secs + 30
while time.monotonic() < end:
    c = socket.socket(); c.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, linger0)
    c.connect(("127.0.0.1", port))
    s, _ = lst.accept(); s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, linger0)
    live.append((time.monotonic(), c, s))
    while live and time.monotonic() - live[0][0] >= 1.0:
        _, a, b = live.popleft(); a.close(); b.close()
    time.sleep(1.0 / rate)
PY

QT_QPA_PLATFORM=offscreen WIREVANE_HOME=$tmp/home XDG_CONFIG_HOME=$tmp/xdg \
  "$bin/wirevane" > /dev/null 2>&1 & wv=$!; pids+=($wv)
echo "soak: ${secs}s, $base held connections, $rate connections/s opened and closed," \
     "summary limit $max events"
start=$(date +%s)
while :; do
  sleep "$step"
  now=$(( $(date +%s) - start ))
  [ -d /proc/$wv ] || { echo "soak: the program ended early"; exit 1; }
  rss=$(awk '/VmRSS/{printf "%.1f", $2/1024}' /proc/$wv/status)
  echo "t=${now}s rss_mib=$rss"
  [ "$now" -ge "$secs" ] && break
done
