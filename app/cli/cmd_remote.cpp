#include "app/cli/CliSupport.h"
#include "app/cli/ConnectionRows.h"
#include "app/cli/RemoteCommands.h"
#include "engine/PloverIpConnectionList.h"
#include "remote/RemoteSnapshotSource.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace wv::cli {

namespace {

IpAddressBytes addressBytes(const QString &dotted)
{
    const quint32 a = QHostAddress(dotted).toIPv4Address();
    return {quint8(a >> 24), quint8(a >> 16), quint8(a >> 8), quint8(a)};
}

Ip6AddressBytes address6Bytes(const QString &text)
{
    const Q_IPV6ADDR a = QHostAddress(text).toIPv6Address();
    Ip6AddressBytes b;
    std::copy(std::begin(a.c), std::end(a.c), b.begin());
    return b;
}

QString oidText(const quint32 *name, std::size_t length)
{
    QString s;
    for (std::size_t i = 0; i < length; ++i)
        s += QLatin1Char('.') + QString::number(name[i]);
    return s;
}

// The type name and value of an object, as snmpwalk -On prints them.
std::pair<QString, QJsonValue> typedValue(const RemoteVarBind &v)
{
    switch (v.type) {
    case ASN_INTEGER:
        return {QStringLiteral("INTEGER"), v.integer};
    case ASN_COUNTER32:
        return {QStringLiteral("Counter32"), v.integer};
    case ASN_GAUGE32:
        return {QStringLiteral("Gauge32"), v.integer};
    case ASN_UNSIGNED32:
        return {QStringLiteral("Unsigned32"), v.integer};
    case ASN_TIMETICKS:
        return {QStringLiteral("Timeticks"), v.integer};
    case ASN_COUNTER64:
        return {QStringLiteral("Counter64"), QString::number(quint64(v.integer))};
    case ASN_IPADDRESS: {
        QStringList parts;
        for (char c : v.octets)
            parts << QString::number(quint8(c));
        return {QStringLiteral("IpAddress"), parts.join(QLatin1Char('.'))};
    }
    case ASN_OBJECT_ID:
        return {QStringLiteral("OID"), QString::fromLatin1(v.octets)};
    case ASN_OCTET_STRING:
    case ASN_OPAQUE: {
        bool printable = true;
        for (char c : v.octets)
            printable = printable && (quint8(c) >= 0x20 || c == '\n' || c == '\r' || c == '\t');
        const QString text = printable ? QString::fromUtf8(v.octets)
                                       : QString::fromLatin1(v.octets.toHex(' ').toUpper());
        return {printable ? QStringLiteral("STRING") : QStringLiteral("Hex-STRING"), text};
    }
    default:
        return {QStringLiteral("type 0x%1").arg(v.type, 2, 16, QLatin1Char('0')), QJsonValue()};
    }
}

} // namespace

int remoteConnections(const RemoteAgent &agent, bool tcp, bool udp, bool json,
                      const RowOptions &options)
{
    try {
        RemoteSnapshotSource source(agent);
        const QList<SnapshotRow> rows = source.snapshot(tcp, udp);
        std::vector<TIpConnInfo> list;
        list.reserve(size_t(rows.size()));
        for (const SnapshotRow &r : rows) {
            TIpConnInfo c(r.protocol);
            c.setLocalAddress(addressBytes(r.localAddress));
            c.setLocalPort(r.localPort);
            c.setRemoteAddress(addressBytes(r.remoteAddress));
            c.setRemotePort(r.remotePort);
            c.setState(r.state);
            if (r.family == 6)
                c.setIpv6(address6Bytes(r.localAddress), address6Bytes(r.remoteAddress));
            list.push_back(std::move(c));
        }
        const OutputWriter toStdout = [](const char *data, qsizetype size) {
            std::fwrite(data, 1, size_t(size), stdout);
        };
        if (json)
            writeConnectionsJson(list, toStdout, options);
        else
            writeConnectionsText(list, toStdout, options);
        std::fflush(stdout);
        return 0;
    } catch (const EngineException &e) {
        err(QStringLiteral("wirevane-cli connections: %1\n").arg(e.Message()));
        return 1;
    }
}

int remoteWalk(const RemoteAgent &agent, const Oid &root, bool json)
{
    try {
        SnmpClient client(agent);
        QString text;
        QJsonArray objects;
        const auto record = [&](const RemoteVarBind &v) {
            const QString name = oidText(v.name, v.length);
            const auto [type, value] = typedValue(v);
            QString shown = type;
            if (!value.isNull())
                shown += QStringLiteral(": ") +
                         (value.isString() ? value.toString() : QString::number(value.toInteger()));
            text += name + QStringLiteral(" = ") + shown + QLatin1Char('\n');
            objects.append(QJsonObject{{QStringLiteral("oid"), name},
                                       {QStringLiteral("type"), type},
                                       {QStringLiteral("value"), value}});
        };
        int count = client.walk(root, record);
        // An identifier that names one object (a scalar's .0) has no subtree.
        if (count == 0) {
            client.get(root, [&](const RemoteVarBind &v) {
                if (v.type != SNMP_NO_SUCH_OBJECT && v.type != SNMP_NO_SUCH_INSTANCE &&
                    v.type != SNMP_END_OF_MIB_VIEW) {
                    record(v);
                    ++count;
                }
            });
        }
        if (json) {
            printJson(QJsonDocument(objects));
            return 0;
        }
        if (count == 0)
            text = oidText(root.data(), root.size()) +
                   QStringLiteral(" = No Such Object available on this agent at this OID\n");
        out(text);
        return 0;
    } catch (const EngineException &e) {
        err(QStringLiteral("wirevane-cli walk: %1\n").arg(e.Message()));
        return 1;
    }
}

} // namespace wv::cli
