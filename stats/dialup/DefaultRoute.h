#pragma once

#include <QByteArray>
#include <QString>

namespace wv {

// The kernel's IPv4 routing table as /proc/net/route lists it.
inline constexpr const char *ProcNetRoute = "/proc/net/route";

// Name of the interface that carries the IPv4 default route (destination and
// mask 0, route up); with several, the one of the lowest metric. Empty when
// the table has none or cannot be read.
QString defaultRouteInterface(const QString &routeFile = QString::fromLatin1(ProcNetRoute));
QString parseDefaultRouteInterface(const QByteArray &table);

// The first IPv4 address of the default-route interface, dotted; empty when
// there is no default route or the interface has no IPv4 address.
QString defaultRouteAddress(const QString &routeFile = QString::fromLatin1(ProcNetRoute));

} // namespace wv
