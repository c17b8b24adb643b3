#include "stats/advstat/AdapterStatistics.h"

#include "settings/RegistryStore.h"
#include "stats/dialup/DefaultRoute.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wv {

namespace {

std::optional<qint64> readNumber(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // sysfs answers a read of "speed" on a link that is down with EINVAL.
    const QByteArray text = file.read(32).trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<AdapterStatistics> readAdapterStatistics(const QString &interfaceName,
                                                       const QString &sysClassNet)
{
    if (!SysfsAdapterCounters::isValidInterfaceName(interfaceName))
        return std::nullopt;
    const QString base = sysClassNet + QLatin1Char('/') + interfaceName + QLatin1Char('/');
    const auto tx = readNumber(base + QStringLiteral("statistics/tx_bytes"));
    const auto rx = readNumber(base + QStringLiteral("statistics/rx_bytes"));
    const auto frames = readNumber(base + QStringLiteral("statistics/rx_packets"));
    if (!tx || !rx || !frames || *tx < 0 || *rx < 0 || *frames < 0)
        return std::nullopt;
    AdapterStatistics s;
    s.interfaceName = interfaceName;
    s.bytesSent = quint64(*tx);
    s.bytesReceived = quint64(*rx);
    s.framesReceived = quint64(*frames);
    // "speed" is in megabits per second; -1 (or a failed read) means unknown.
    if (const auto mbps = readNumber(base + QStringLiteral("speed")); mbps && *mbps > 0)
        s.connectSpeed = quint64(*mbps) * 1000000u;
    return s;
}

QString adapterDescription(const QString &interfaceName, const QString &sysClassNet)
{
    if (!SysfsAdapterCounters::isValidInterfaceName(interfaceName))
        return {};
    const QFileInfo driver(sysClassNet + QLatin1Char('/') + interfaceName +
                           QStringLiteral("/device/driver"));
    const QString driverName =
        driver.isSymLink() ? QFileInfo(driver.symLinkTarget()).fileName() : QString();
    if (driverName.isEmpty())
        return interfaceName;
    return interfaceName + QStringLiteral(" (") + driverName + QLatin1Char(')');
}

QStringList networkInterfaces(const QString &sysClassNet)
{
    QStringList names =
        QDir(sysClassNet).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    names.removeIf([](const QString &n) { return !SysfsAdapterCounters::isValidInterfaceName(n); });
    return names;
}

AdapterChoice::AdapterChoice(RegistryStore &registry, QString routeFile)
    : m_registry(registry), m_routeFile(std::move(routeFile))
{
}

QString AdapterChoice::named() const
{
    const QString name = m_registry.readString(QLatin1String(Key), QLatin1String(Value)).trimmed();
    return SysfsAdapterCounters::isValidInterfaceName(name) ? name : QString();
}

bool AdapterChoice::setNamed(const QString &interfaceName)
{
    const QString name = interfaceName.trimmed();
    if (!name.isEmpty() && !SysfsAdapterCounters::isValidInterfaceName(name))
        return false;
    return m_registry.writeString(QLatin1String(Key), QLatin1String(Value), name);
}

QString AdapterChoice::current() const
{
    const QString name = named();
    return name.isEmpty() ? defaultRouteInterface(m_routeFile) : name;
}

std::optional<AdapterTotals> ChosenAdapterCounters::read()
{
    const auto stats = readAdapterStatistics(m_choice.current(), m_sysClassNet);
    if (!stats)
        return std::nullopt;
    return stats->totals();
}

} // namespace wv
