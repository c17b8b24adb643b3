#include "stats/dialup/AdapterCounters.h"

#include "stats/dialup/DefaultRoute.h"

#include <QFile>

namespace wv {

namespace {

std::optional<quint64> readCounter(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const quint64 value = file.read(32).trimmed().toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

SysfsAdapterCounters::SysfsAdapterCounters(QString interfaceName, QString sysClassNet,
                                           QString routeFile)
    : m_named(std::move(interfaceName)), m_sysClassNet(std::move(sysClassNet)),
      m_routeFile(std::move(routeFile))
{
}

bool SysfsAdapterCounters::isValidInterfaceName(const QString &name)
{
    // The kernel limits names to 15 bytes and forbids '/' and white space;
    // "." and ".." would climb out of the folder.
    if (name.isEmpty() || name.size() > 15 || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c.isSpace() || c.unicode() < 0x20)
            return false;
    }
    return true;
}

std::optional<AdapterTotals> SysfsAdapterCounters::read()
{
    m_current = m_named.isEmpty() ? defaultRouteInterface(m_routeFile) : m_named;
    if (!isValidInterfaceName(m_current)) {
        m_current.clear();
        return std::nullopt;
    }
    const QString base =
        m_sysClassNet + QLatin1Char('/') + m_current + QStringLiteral("/statistics/");
    const auto tx = readCounter(base + QStringLiteral("tx_bytes"));
    const auto rx = readCounter(base + QStringLiteral("rx_bytes"));
    if (!tx || !rx)
        return std::nullopt;
    return AdapterTotals{*tx, *rx};
}

} // namespace wv
