#include "stats/dialup/DefaultRoute.h"

#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>

#include <limits>

namespace wv {

QString parseDefaultRouteInterface(const QByteArray &table)
{
    constexpr unsigned RtfUp = 0x1;
    QString best;
    qint64 bestMetric = std::numeric_limits<qint64>::max();
    const QList<QByteArray> lines = table.split('\n');
    // The first line names the columns: Iface Destination Gateway Flags
    // RefCnt Use Metric Mask ...
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool okDest = false, okMask = false, okFlags = false, okMetric = false;
        const quint32 dest = f[1].toUInt(&okDest, 16);
        const unsigned flags = f[3].toUInt(&okFlags, 16);
        const qint64 metric = f[6].toLongLong(&okMetric);
        const quint32 mask = f[7].toUInt(&okMask, 16);
        if (!okDest || !okMask || !okFlags || !okMetric)
            continue;
        if (dest != 0 || mask != 0 || !(flags & RtfUp))
            continue;
        if (metric < bestMetric) {
            bestMetric = metric;
            best = QString::fromLatin1(f[0]);
        }
    }
    return best;
}

QString defaultRouteInterface(const QString &routeFile)
{
    QFile file(routeFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // /proc files report size 0, so read until the end rather than by size.
    return parseDefaultRouteInterface(file.readAll());
}

QString defaultRouteAddress(const QString &routeFile)
{
    const QString name = defaultRouteInterface(routeFile);
    if (name.isEmpty())
        return {};
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(name);
    for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return entry.ip().toString();
    }
    return {};
}

} // namespace wv
