#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "engine/EngineErrors.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "stats/advstat/AdapterStatistics.h"
#include "stats/advstat/NetworkManagerSource.h"
#include "stats/advstat/StatsPages.h"
#include "stats/dialup/TrafficLights.h"

#include <QJsonArray>
#include <QJsonObject>

#include <memory>

namespace wv::cli {

namespace {

struct ConnectionPage
{
    QString adapter;
    QString device;
    std::optional<AdapterStatistics> stats;
    QList<DialUpConnection> connections;
};

ConnectionPage readConnectionPage(const QString &adapter, bool hasRAS)
{
    ConnectionPage p;
    p.adapter = adapter;
    p.device = adapterDescription(adapter);
    p.stats = readAdapterStatistics(adapter);
    if (hasRAS)
        p.connections = NetworkManagerSource().activeConnections();
    return p;
}

QString connectRate(const ConnectionPage &p)
{
    return p.stats && p.stats->connectSpeed ? QString::number(*p.stats->connectSpeed) : QString();
}

QJsonObject connectionJson(const ConnectionPage &p)
{
    QJsonObject o;
    o[QStringLiteral("page")] = statsPageName(StatsPage::Connection);
    o[QStringLiteral("caption")] = statsPageCaption(StatsPage::Connection);
    o[QStringLiteral("adapter")] = p.adapter;
    o[QStringLiteral("device")] = p.device;
    if (p.stats) {
        o[QStringLiteral("bytesReceived")] = double(p.stats->bytesReceived);
        o[QStringLiteral("bytesSent")] = double(p.stats->bytesSent);
        o[QStringLiteral("framesReceived")] = double(p.stats->framesReceived);
    }
    o[QStringLiteral("connectRate")] = p.stats && p.stats->connectSpeed
                                           ? QJsonValue(double(*p.stats->connectSpeed))
                                           : QJsonValue();
    QJsonArray list;
    for (const DialUpConnection &c : p.connections)
        list.append(QJsonObject{{QStringLiteral("connection"), c.entryName},
                                {QStringLiteral("status"), c.stateText},
                                {QStringLiteral("deviceType"), c.deviceType},
                                {QStringLiteral("deviceName"), c.deviceName},
                                {QStringLiteral("interface"), c.interfaceName}});
    o[QStringLiteral("connections")] = list;
    return o;
}

QString connectionText(const ConnectionPage &p)
{
    QList<QStringList> rows = {
        {QStringLiteral("Network device:"), p.device},
        {QStringLiteral("Bytes received:"),
         p.stats ? formatByteCount(p.stats->bytesReceived) : QString()},
        {QStringLiteral("Bytes sent:"), p.stats ? formatByteCount(p.stats->bytesSent) : QString()},
        {QStringLiteral("Frames received:"),
         p.stats ? formatByteCount(p.stats->framesReceived) : QString()},
    };
    QString text = statsPageCaption(StatsPage::Connection) + QLatin1Char('\n') +
                   formatTable({QStringLiteral("NAME"), QStringLiteral("VALUE")}, rows);
    if (p.connections.isEmpty())
        return text + QStringLiteral("No active dial-up connection.\n");
    for (const DialUpConnection &c : p.connections) {
        QList<QStringList> conn;
        for (const QStringList &r : connectionRows(c, connectRate(p)))
            conn.append({r.value(1), r.value(2)});
        text += QLatin1Char('\n') +
                formatTable({QStringLiteral("NAME"), QStringLiteral("VALUE")}, conn);
    }
    return text;
}

} // namespace

int stats(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows the pages of the advanced statistics window: the dial-up adapter's traffic and "
        "active dial-up connections, and the ICMP, IP, TCP and UDP counters."));
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("One page: connection, icmp, ip, tcp or udp."),
                                  QStringLiteral("page"));
    const QCommandLineOption adapter(
        QStringLiteral("adapter"),
        QStringLiteral("The interface to count (default: the one chosen in the window, else the "
                       "default route's)."),
        QStringLiteral("interface"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(page);
    parser.addOption(adapter);
    parser.addOption(json);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("stats"), args, code))
        return code;
    if (!noPositional(parser, QStringLiteral("stats")))
        return 2;

    QList<StatsPage> pages;
    if (parser.isSet(page)) {
        const auto p = statsPageFromName(parser.value(page));
        if (!p) {
            err(QStringLiteral("wirevane-cli stats: unknown page '%1' (connection, icmp, ip, tcp "
                               "or udp)\n")
                    .arg(parser.value(page)));
            return 2;
        }
        pages.append(*p);
    } else {
        for (int i = 0; i < StatsPageCount; ++i)
            pages.append(StatsPage(i));
    }

    RegistryStore registry;
    SettingsStore settings(registry);
    settings.ReadRegistry();
    AdapterChoice choice(registry);
    QString interfaceName = choice.current();
    if (parser.isSet(adapter)) {
        interfaceName = parser.value(adapter);
        if (!SysfsAdapterCounters::isValidInterfaceName(interfaceName)) {
            err(QStringLiteral("wirevane-cli stats: '%1' is not an interface name\n")
                    .arg(interfaceName));
            return 2;
        }
    }

    std::unique_ptr<StatsCounterSet> counters;
    QJsonArray doc;
    QString text;
    try {
        for (StatsPage p : pages) {
            if (p == StatsPage::Connection) {
                const ConnectionPage c =
                    readConnectionPage(interfaceName, settings.values().hasRAS);
                doc.append(connectionJson(c));
                text += connectionText(c);
                continue;
            }
            if (!counters)
                counters = std::make_unique<StatsCounterSet>();
            const CounterRows rows = readCounterRows(*counters->listFor(p));
            if (rows.error) {
                err(QStringLiteral("wirevane-cli stats: %1 (%2)\n")
                        .arg(QLatin1String(ProtocolStatsError), *rows.error));
                return 1;
            }
            QJsonArray list;
            for (const QStringList &r : rows.rows)
                list.append(QJsonObject{{QStringLiteral("index"), r[0].toInt()},
                                        {QStringLiteral("name"), r[1]},
                                        {QStringLiteral("value"), r[2].toInt()}});
            doc.append(QJsonObject{{QStringLiteral("page"), statsPageName(p)},
                                   {QStringLiteral("caption"), statsPageCaption(p)},
                                   {QStringLiteral("counters"), list}});
            text +=
                statsPageCaption(p) + QLatin1Char('\n') +
                formatTable({QStringLiteral("#"), QStringLiteral("NAME"), QStringLiteral("VALUE")},
                            rows.rows);
        }
    } catch (const EngineException &e) {
        err(QStringLiteral("wirevane-cli stats: %1\n").arg(e.Message()));
        return 1;
    }
    if (parser.isSet(json)) {
        // One page prints its object; all pages an array of them, in page order.
        if (pages.size() == 1)
            printJson(QJsonDocument(doc.first().toObject()));
        else
            printJson(QJsonDocument(doc));
    } else {
        out(text);
    }
    return 0;
}

} // namespace wv::cli
