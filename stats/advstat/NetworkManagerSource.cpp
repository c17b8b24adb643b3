#include "stats/advstat/NetworkManagerSource.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace wv {

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// An "ao" value arrives as a list of paths or, inside a variant map, still
// marshalled.
QList<QDBusObjectPath> objectPaths(const QVariant &value)
{
    QList<QDBusObjectPath> paths;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = value.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::ArrayType)
            arg >> paths;
    } else if (value.canConvert<QList<QDBusObjectPath>>()) {
        paths = value.value<QList<QDBusObjectPath>>();
    }
    return paths;
}

// "StateReason" is a (uu) structure: the state and its reason.
quint32 stateReason(const QVariant &value)
{
    if (!value.canConvert<QDBusArgument>())
        return 0;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentType() != QDBusArgument::StructureType)
        return 0;
    quint32 state = 0, reason = 0;
    arg.beginStructure();
    arg >> state >> reason;
    arg.endStructure();
    return reason;
}

} // namespace

NetworkManagerSource::NetworkManagerSource(QDBusConnection bus, int timeoutMs)
    : m_bus(std::move(bus)), m_timeoutMs(timeoutMs)
{
}

QVariantMap NetworkManagerSource::properties(const QString &path, const QString &interface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service), path, kProperties,
                                                       QStringLiteral("GetAll"));
    call << interface;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QVariant first = reply.arguments().first();
    QVariantMap map;
    if (first.canConvert<QDBusArgument>())
        first.value<QDBusArgument>() >> map;
    else
        map = first.toMap();
    return map;
}

QList<NmActiveAnswer> NetworkManagerSource::answers()
{
    QList<NmActiveAnswer> result;
    if (!m_bus.isConnected())
        return result;
    const QVariantMap manager = properties(kPath, kManager);
    for (const QDBusObjectPath &ac :
         objectPaths(manager.value(QStringLiteral("ActiveConnections")))) {
        const QVariantMap p = properties(ac.path(), kActive);
        if (p.isEmpty())
            continue; // gone between the two requests
        NmActiveAnswer a;
        a.id = p.value(QStringLiteral("Id")).toString();
        a.type = p.value(QStringLiteral("Type")).toString();
        a.state = p.value(QStringLiteral("State")).toUInt();
        for (const QDBusObjectPath &dev : objectPaths(p.value(QStringLiteral("Devices")))) {
            const QVariantMap d = properties(dev.path(), kDevice);
            if (d.isEmpty())
                continue;
            NmDeviceAnswer n;
            n.interface = d.value(QStringLiteral("Interface")).toString();
            n.ipInterface = d.value(QStringLiteral("IpInterface")).toString();
            n.driver = d.value(QStringLiteral("Driver")).toString();
            n.deviceType = d.value(QStringLiteral("DeviceType")).toUInt();
            n.state = d.value(QStringLiteral("State")).toUInt();
            n.stateReason = stateReason(d.value(QStringLiteral("StateReason")));
            a.devices.append(n);
        }
        result.append(a);
    }
    return result;
}

QList<DialUpConnection> NetworkManagerSource::activeConnections()
{
    return dialUpConnectionsFrom(answers());
}

} // namespace wv
