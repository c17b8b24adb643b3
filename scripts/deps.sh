#!/usr/bin/env bash
# Installs the Debian packages Wirevane needs to build, run and test.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

build_pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libgl-dev libc-ares-dev libtelnet-dev libvterm-dev)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth dnsmasq-base
  snmpd snmp iproute2 python3 procps trayer traceroute)
fuzz_pkgs=(clang libclang-rt-14-dev)

want=("${build_pkgs[@]}")
case "${1:-}" in
  test) want+=("${test_pkgs[@]}") ;;
  fuzz) want+=("${test_pkgs[@]}" "${fuzz_pkgs[@]}") ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
