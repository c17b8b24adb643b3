#!/bin/sh
# A chain of network namespaces for echo and trace-route tests:
#
#   TAGs --link1-- TAGr1 --link2-- TAGr2 --link3-- TAGr3 --link4-- TAGr4 --link5-- TAGd
#
# Link k joins node k-1 (address 10.201.k.1) and node k (address 10.201.k.2),
# so router k answers from 10.201.k.2 and the far end is 10.201.5.2, five hops
# from TAGs. Router 3 answers "host unreachable" for 10.202.0.0/24; router 4
# drops 10.203.0.0/24 without a word. Every device lives inside the chain's
# own namespaces, so nothing touches the host's network.
#
# Usage: netns_chain.sh up TAG | down TAG
set -eu
cmd=$1
tag=$2
nodes="${tag}s ${tag}r1 ${tag}r2 ${tag}r3 ${tag}r4 ${tag}d"

if [ "$cmd" = down ]; then
  for n in $nodes; do ip netns del "$n" 2>/dev/null || true; done
  exit 0
fi

node() { echo "$nodes" | cut -d' ' -f$(($1 + 1)); }

for n in $nodes; do
  ip netns add "$n"
  ip -n "$n" link set lo up
  # Routers answer every probe: no ICMP rate limit.
  ip netns exec "$n" sysctl -q -w net.ipv4.icmp_ratelimit=0
  ip netns exec "$n" sysctl -q -w net.ipv4.ip_forward=1
done
for k in 1 2 3 4 5; do
  left=$(node $((k - 1)))
  right=$(node $k)
  ip -n "$left" link add "l$k" type veth peer name "r$k" netns "$right"
  ip -n "$left" addr add "10.201.$k.1/24" dev "l$k"
  ip -n "$right" addr add "10.201.$k.2/24" dev "r$k"
  ip -n "$left" link set "l$k" up
  ip -n "$right" link set "r$k" up
done
# Node j reaches link k through its right neighbour when k > j+1, through its
# left one when k < j.
for j in 0 1 2 3 4 5; do
  n=$(node $j)
  for k in 1 2 3 4 5; do
    if [ $k -gt $((j + 1)) ]; then
      ip -n "$n" route add "10.201.$k.0/24" via "10.201.$((j + 1)).2"
    elif [ $k -lt $j ]; then
      ip -n "$n" route add "10.201.$k.0/24" via "10.201.$j.1"
    fi
  done
done
for j in 0 1 2; do
  ip -n "$(node $j)" route add 10.202.0.0/16 via "10.201.$((j + 1)).2"
done
# Router 3 looks for 10.202.0.0/24 on link 4, where nobody answers its ARP
# request: after one request and 300 ms it reports the host unreachable.
# (An "unreachable" route would answer too, but the kernel drops the first
# such error to every new peer, whatever the ICMP rate limit says.)
ip -n "$(node 3)" route add 10.202.0.0/24 dev l4
ip netns exec "$(node 3)" sysctl -q -w net.ipv4.neigh.l4.mcast_solicit=1
ip netns exec "$(node 3)" sysctl -q -w net.ipv4.neigh.l4.retrans_time_ms=300
for j in 0 1 2 3; do
  ip -n "$(node $j)" route add 10.203.0.0/16 via "10.201.$((j + 1)).2"
done
ip -n "$(node 4)" route add blackhole 10.203.0.0/24
