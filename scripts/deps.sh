#!/usr/bin/env bash
# Installs the Debian packages Wirevane needs to build, run and test.
#   deps.sh           what building needs
#   deps.sh headless  that, and a virtual X server to run the window without a display
#   deps.sh test      that, and what the tests need
#   deps.sh fuzz      that, and clang for the fuzz targets
#   deps.sh package   that, and what making the Debian package needs
#   deps.sh format    that, and clang-format for the format check
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

build_pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libgl-dev libc-ares-dev libtelnet-dev libvterm-dev libxcb1-dev qtkeychain-qt6-dev)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth dnsmasq-base
  snmpd snmp iproute2 python3 procps trayer traceroute hyperfine
  openbox x11-utils dbus-daemon python3-dbus python3-gi socat fingerd finger inetutils-telnetd
  dropbear-bin samba samba-common-bin python3-aiosmtpd openssl)
fuzz_pkgs=(clang libclang-rt-14-dev)
headless_pkgs=(xvfb xauth)
package_pkgs=(dpkg-dev file)
format_pkgs=(clang-format-14)

want=("${build_pkgs[@]}")
case "${1:-}" in
  headless) want+=("${headless_pkgs[@]}") ;;
  test) want+=("${test_pkgs[@]}") ;;
  format) want+=("${format_pkgs[@]}") ;;
  package) want+=("${package_pkgs[@]}") ;;
  fuzz) want+=("${test_pkgs[@]}" "${fuzz_pkgs[@]}") ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "Missing packages: ${missing[*]}; run as root or install sudo." >&2; exit 1; }
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The tests start their own SNMP daemon on a loopback port; the package's
# system service must not be left running. A policy-rc.d that refuses every
# start keeps package scripts from starting services during the install.
policy=/usr/sbin/policy-rc.d
own_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
  $SUDO chmod 755 "$policy"
  own_policy=1
fi
cleanup() { [ "$own_policy" -eq 0 ] || $SUDO rm -f "$policy"; }
trap cleanup EXIT
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
# Where the service was enabled for the next boot, disable it.
if [[ " ${missing[*]} " == *" snmpd "* ]] && command -v systemctl >/dev/null 2>&1; then
  $SUDO systemctl disable --now snmpd >/dev/null 2>&1 || true
fi
