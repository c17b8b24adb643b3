# A Debian package of what `cmake --install` puts in place: the two programs,
# the data folder, the desktop entry and the icons. `cpack -G DEB` in a build
# folder makes it; scripts/package.sh does the whole thing.
set(CPACK_PACKAGE_NAME wirevane)
set(CPACK_PACKAGE_VENDOR "Wirevane developers")
set(CPACK_PACKAGE_CONTACT "Wirevane developers <wirevane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Live monitor of the network connections of this computer")
set(CPACK_PACKAGE_DESCRIPTION
  "Wirevane shows every TCP connection of the machine in one live table, the
listening TCP and UDP ports, a persistent reverse-DNS cache, user rules that
log, mark, alert, play sounds, launch programs or send e-mail, network tools
(WHOIS, trace route, quick DNS, finger, NetBIOS, a port tester, a port
database), protocol counters, traffic lights and a docked view bar.
The command-line companion wirevane-cli drives the same parts without a display.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Shared libraries are found by dpkg-shlibdeps; the rest is what the programs
# load or start at run time: Qt's platform plugins
# and the command-line tools some tools call (recommended).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "traceroute, network-manager, finger, samba-common-bin")
include(CPack)
