#include "app/cli/AgentOptions.h"
#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "app/cli/ConnectionRows.h"
#include "app/cli/RemoteCommands.h"
#include "engine/AgentLink.h"
#include "engine/EngineErrors.h"
#include "engine/MibIIAgent.h"
#include "engine/NetstatCounters.h"
#include "engine/PloverIpConnectionList.h"
#include "remote/RemoteSnapshotSource.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace wv::cli {

namespace {

QCommandLineOption sourceOption()
{
    return QCommandLineOption(QStringLiteral("source"),
                              QStringLiteral("Where the socket tables come from: auto (default), "
                                             "netlink or proc."),
                              QStringLiteral("source"), QStringLiteral("auto"));
}

bool pickSource(const QString &command, const QString &text, AgentLoader &loader)
{
    if (text == QLatin1String("auto"))
        loader = systemAgentLoader(SocketSourceChoice::Automatic);
    else if (text == QLatin1String("netlink"))
        loader = systemAgentLoader(SocketSourceChoice::Netlink);
    else if (text == QLatin1String("proc"))
        loader = systemAgentLoader(SocketSourceChoice::Proc);
    else {
        err(QStringLiteral("wirevane-cli %1: unknown source '%2' (auto, netlink or proc)\n")
                .arg(command, text));
        return false;
    }
    return true;
}

QString oidText(const Oid &oid)
{
    QString s;
    for (quint32 c : oid)
        s += QLatin1Char('.') + QString::number(c);
    return s;
}

// The type name and value of a returned object, as snmpwalk prints them.
std::pair<QString, QJsonValue> typedValue(const AsnAny &v)
{
    switch (v.asnType) {
    case ASN_INTEGER:
        return {QStringLiteral("INTEGER"), v.number};
    case ASN_IPADDRESS:
        return {QStringLiteral("IpAddress"), QStringLiteral("%1.%2.%3.%4")
                                                 .arg(v.address[0])
                                                 .arg(v.address[1])
                                                 .arg(v.address[2])
                                                 .arg(v.address[3])};
    case ASN_COUNTER32:
        return {QStringLiteral("Counter32"), qint64(v.unsigned32)};
    case ASN_GAUGE32:
        return {QStringLiteral("Gauge32"), qint64(v.unsigned32)};
    case ASN_UNSIGNED32:
        return {QStringLiteral("Unsigned32"), qint64(v.unsigned32)};
    default:
        return {QStringLiteral("type 0x%1").arg(v.asnType, 2, 16, QLatin1Char('0')), QJsonValue()};
    }
}

QString valueText(const AsnAny &v)
{
    const auto [type, value] = typedValue(v);
    if (value.isNull())
        return type;
    return type + QStringLiteral(": ") +
           (value.isString() ? value.toString() : QString::number(value.toInteger()));
}

bool parseOid(const QString &text, Oid &oid)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('.')))
        t.remove(0, 1);
    const QStringList parts = t.split(QLatin1Char('.'));
    if (t.isEmpty() || parts.size() > 128)
        return false;
    for (const QString &p : parts) {
        bool ok = false;
        const qulonglong c = p.toULongLong(&ok);
        if (!ok || c > 0xFFFFFFFFull || p.startsWith(QLatin1Char('+')))
            return false;
        oid.push_back(quint32(c));
    }
    return true;
}

} // namespace

int connections(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the TCP connections and UDP listeners of this machine, or of "
                       "another host through its SNMP agent (--agent)."));
    const QCommandLineOption tcp(QStringLiteral("tcp"), QStringLiteral("TCP rows only."));
    const QCommandLineOption udp(QStringLiteral("udp"), QStringLiteral("UDP rows only."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption family(QStringLiteral("family"),
                                    QStringLiteral("Rows of one address family: 4, 6 or all."),
                                    QStringLiteral("4|6|all"), QStringLiteral("all"));
    const QCommandLineOption process(QStringLiteral("process"),
                                     QStringLiteral("Show the owning process of each row."));
    const QCommandLineOption bytes(QStringLiteral("bytes"),
                                   QStringLiteral("Show the bytes sent and received."));
    const QCommandLineOption source = sourceOption();
    parser.addOptions({tcp, udp, json, family, process, bytes, source});
    const AgentOptions agentOptions;
    agentOptions.addTo(parser);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("connections"), args, code))
        return code;
    AgentLoader loader;
    QList<RemoteAgent> agents;
    if (!noPositional(parser, QStringLiteral("connections")) ||
        !pickSource(QStringLiteral("connections"), parser.value(source), loader) ||
        !agentOptions.read(parser, QStringLiteral("connections"), agents))
        return 2;
    TIpProtocols protocols;
    if (parser.isSet(tcp))
        protocols |= tcp_ip;
    if (parser.isSet(udp))
        protocols |= udp_ip;
    if (!protocols)
        protocols = TIpProtocols(tcp_ip) | udp_ip;
    RowOptions options;
    const QString familyText = parser.value(family);
    if (familyText == QLatin1String("4") || familyText == QLatin1String("6")) {
        options.family = familyText.toInt();
    } else if (familyText != QLatin1String("all")) {
        err(QStringLiteral("wirevane-cli connections: --family takes 4, 6 or all, not \"%1\"\n")
                .arg(familyText));
        return 2;
    }
    options.process = parser.isSet(process);
    options.bytes = parser.isSet(bytes);
    if (!agents.isEmpty())
        return remoteConnections(agents.first(), protocols.testFlag(tcp_ip),
                                 protocols.testFlag(udp_ip), parser.isSet(json), options);

    try {
        TPloverIpConnectionList list(nullptr, loader);
        list.setProtocols(protocols);
        list.setDetails(options.process, options.bytes);
        list.Refresh();
        const OutputWriter toStdout = [](const char *data, qsizetype size) {
            std::fwrite(data, 1, size_t(size), stdout);
        };
        if (parser.isSet(json))
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

int counters(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the IP, ICMP, TCP and UDP counters of this machine, or of another "
                       "host through its SNMP agent (--agent)."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    const AgentOptions agentOptions;
    agentOptions.addTo(parser);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("counters"), args, code))
        return code;
    QList<RemoteAgent> agents;
    if (!noPositional(parser, QStringLiteral("counters")) ||
        !agentOptions.read(parser, QStringLiteral("counters"), agents))
        return 2;
    try {
        // Every counter of a remote host is read through one session.
        AgentLoader loader;
        if (!agents.isEmpty())
            loader = remoteAgentLoader(std::make_shared<SnmpClient>(agents.first()));
        TIpStats ip(nullptr, loader);
        TIcmpStats icmp(nullptr, loader);
        TTCPStats tcp(nullptr, loader);
        TUdpStats udp(nullptr, loader);
        const std::pair<const char *, TCounterList *> groups[] = {
            {"ip", &ip}, {"icmp", &icmp}, {"tcp", &tcp}, {"udp", &udp}};
        QJsonArray doc; // an array keeps the groups and counters in list order
        QList<QStringList> rows;
        for (const auto &[group, list] : groups) {
            for (int i = 0; i < list->Count(); ++i) {
                TNetstatCounterObject *c = list->Counters(i);
                const qint32 v = c->Value();
                doc.append(QJsonObject{{QStringLiteral("group"), QLatin1String(group)},
                                       {QStringLiteral("name"), c->Name()},
                                       {QStringLiteral("value"), v}});
                rows.append({c->Name(), QString::asprintf("%d", v)});
            }
        }
        if (parser.isSet(json))
            printJson(QJsonDocument(doc));
        else
            out(formatTable({QStringLiteral("NAME"), QStringLiteral("VALUE")}, rows));
        return 0;
    } catch (const EngineException &e) {
        err(QStringLiteral("wirevane-cli counters: %1\n").arg(e.Message()));
        return 1;
    }
}

int walk(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Walks a MIB-II subtree with GETNEXT and prints each object's numeric "
                       "identifier, type and value; with --agent, any subtree of another "
                       "host's SNMP agent, with GETBULK."));
    parser.addPositionalArgument(QStringLiteral("OID"),
                                 QStringLiteral("The subtree, for example 1.3.6.1.2.1.6.13."));
    const QCommandLineOption source = sourceOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({source, json});
    const AgentOptions agentOptions;
    agentOptions.addTo(parser);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("walk"), args, code))
        return code;
    AgentLoader loader;
    QList<RemoteAgent> agents;
    if (!pickSource(QStringLiteral("walk"), parser.value(source), loader) ||
        !agentOptions.read(parser, QStringLiteral("walk"), agents))
        return 2;
    const QStringList pos = parser.positionalArguments();
    Oid root;
    if (pos.size() != 1 || !parseOid(pos.first(), root)) {
        err(QStringLiteral("wirevane-cli walk: give one numeric object identifier, for example "
                           "1.3.6.1.2.1.6.13\n"));
        return 2;
    }
    if (!agents.isEmpty())
        return remoteWalk(agents.first(), root, parser.isSet(json));
    try {
        AgentLink link;
        link.OpenAgentLink(loader);
        SnmpVarBindList list(1);
        QString text;
        QJsonArray objects;
        int count = 0;
        const auto record = [&](const Oid &name, const AsnAny &v) {
            text += oidText(name) + QStringLiteral(" = ") + valueText(v) + QLatin1Char('\n');
            const auto [type, value] = typedValue(v);
            objects.append(QJsonObject{{QStringLiteral("oid"), oidText(name)},
                                       {QStringLiteral("type"), type},
                                       {QStringLiteral("value"), value}});
            ++count;
        };
        // One GETNEXT; false once the agent is past the end. An answer that
        // does not move forward would loop for ever.
        const auto next = [&] {
            const Oid previous = list[0].name;
            if (!link.QueryNext(list))
                throw EConnListRefreshError(QString::fromLatin1(msg::QueryFailed));
            if (list[0].value.asnType == ASN_NULL)
                return false;
            if (compareOid(list[0].name, previous) <= 0)
                throw EConnListRefreshError(QString::fromLatin1(msg::QueryFailed));
            return true;
        };
        list[0].name = root;
        while (next()) {
            const Oid &name = list[0].name;
            if (name.size() < root.size() || !std::equal(root.begin(), root.end(), name.begin()))
                break;
            record(name, list[0].value);
        }
        // An identifier that names one object (a scalar's .0, a table cell)
        // has no subtree below it: show that object itself.
        if (count == 0 && root.size() > 1) {
            list[0].name.assign(root.begin(), root.end() - 1);
            while (next() && compareOid(list[0].name, root) <= 0) {
                if (compareOid(list[0].name, root) == 0) {
                    record(list[0].name, list[0].value);
                    break;
                }
            }
        }
        if (parser.isSet(json)) {
            printJson(QJsonDocument(objects));
            return 0;
        }
        if (count == 0)
            text = oidText(root) + QStringLiteral(" = No Such Object available on this agent at "
                                                  "this OID\n");
        out(text);
        return 0;
    } catch (const EngineException &e) {
        err(QStringLiteral("wirevane-cli walk: %1\n").arg(e.Message()));
        return 1;
    }
}

} // namespace wv::cli
