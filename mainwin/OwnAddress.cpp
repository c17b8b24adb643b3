#include "mainwin/OwnAddress.h"

#include "stats/dialup/DefaultRoute.h"

#include <QHostInfo>

namespace wv {

QString chooseOwnAddress(const QList<QHostAddress> &addresses,
                         const std::function<QString()> &loopbackFallback)
{
    if (addresses.isEmpty())
        return {};
    QString v4, v6;
    const qsizetype n = std::min<qsizetype>(addresses.size(), 11);
    for (qsizetype i = 0; i < n; ++i) {
        const QHostAddress &a = addresses[i];
        if (a.isLoopback() || a.isNull())
            continue;
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            v4 = a.toString();
        else
            v6 = a.toString();
    }
    if (!v4.isEmpty())
        return v4;
    if (!v6.isEmpty())
        return v6;
    return loopbackFallback ? loopbackFallback() : QString();
}

OwnAddressResolver::OwnAddressResolver(QObject *parent)
    : OwnAddressResolver(
          &QHostInfo::localHostName, [] { return defaultRouteAddress(); }, parent)
{
}

OwnAddressResolver::OwnAddressResolver(TextSource hostName, TextSource loopbackFallback,
                                       QObject *parent)
    : OwnAddressResolver(std::move(hostName), std::move(loopbackFallback), NameLookup(), parent)
{
}

OwnAddressResolver::OwnAddressResolver(TextSource hostName, TextSource loopbackFallback,
                                       NameLookup lookup, QObject *parent)
    : QObject(parent), m_hostName(std::move(hostName)), m_fallback(std::move(loopbackFallback)),
      m_lookup(std::move(lookup))
{
}

OwnAddressResolver::~OwnAddressResolver()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
}

void OwnAddressResolver::refresh()
{
    if (m_busy)
        return;
    const QString name = m_hostName ? m_hostName() : QString();
    if (name.isEmpty()) {
        QHostInfo none;
        none.setError(QHostInfo::HostNotFound);
        lookedUp(none);
        return;
    }
    m_busy = true;
    if (m_lookup)
        m_lookup(name, this, [this](const QHostInfo &info) { lookedUp(info); });
    else
        m_lookupId = QHostInfo::lookupHost(name, this, &OwnAddressResolver::lookedUp);
}

void OwnAddressResolver::lookedUp(const QHostInfo &info)
{
    m_lookupId = -1;
    m_busy = false;
    const QString address = info.error() == QHostInfo::NoError
                                ? chooseOwnAddress(info.addresses(), m_fallback)
                                : QString();
    if (address != m_address) {
        m_address = address;
        Q_EMIT addressChanged(m_address);
    }
    Q_EMIT lookupFinished();
}

} // namespace wv
