#include "app/cli/AgentOptions.h"
#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"
#include "monitor/HostNameResolver.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "refresh/ServiceAdapters.h"
#include "remote/RemoteSnapshotSource.h"
#include "settings/RegistryStore.h"
#include "settings/SettingRanges.h"
#include "settings/SettingsStore.h"
#include "stats/SummaryLog.h"

#include <QEventLoop>
#include <QJsonObject>
#include <QTimer>

#include <cmath>

namespace wv::cli {

namespace {

// Prints each event the moment the cycle reports it, stamped as the session
// summary stamps its lines.
class PrintingSummary : public SummarySink
{
public:
    // host: the agent's name, put in every line when another host is watched.
    PrintingSummary(bool json, const QString &host) : m_json(json), m_host(host) {}
    void AddSummaryEvent(const QString &text) override
    {
        const QDateTime now = QDateTime::currentDateTime();
        if (m_json) {
            QJsonObject o{{QStringLiteral("time"), SummaryLog::timeText(now)},
                          {QStringLiteral("iso"), now.toString(Qt::ISODateWithMs)},
                          {QStringLiteral("event"), text}};
            if (!m_host.isEmpty())
                o.insert(QStringLiteral("host"), m_host);
            out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) +
                QLatin1Char('\n'));
        } else if (m_host.isEmpty()) {
            out(SummaryLog::timeText(now) + QStringLiteral("  ") + text + QLatin1Char('\n'));
        } else {
            out(SummaryLog::timeText(now) + QStringLiteral("  ") + m_host + QStringLiteral("  ") +
                text + QLatin1Char('\n'));
        }
    }

private:
    bool m_json;
    QString m_host;
};

// One host followed: its source, table and cycle.
struct Watched
{
    QString host; // empty for this machine
    std::unique_ptr<SnapshotSource> source;
    std::unique_ptr<PrintingSummary> summary;
    std::unique_ptr<ConnectionTableModel> table;
    std::unique_ptr<ListenPortsModel> listen;
    std::unique_ptr<RefreshCycle> cycle;
    bool failing = false;
};

void waitMilliseconds(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int watch(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs the refresh cycle every few seconds and prints each event of the "
                       "session summary as it happens; with --agent, on other hosts through "
                       "their SNMP agents, each line naming its host."));
    const QCommandLineOption interval(
        QStringLiteral("interval"),
        QStringLiteral("Seconds between refreshes (default: the RefreshDelay setting)."),
        QStringLiteral("S"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Stop after N refreshes (default: run until "
                                                  "interrupted)."),
                                   QStringLiteral("N"));
    const QCommandLineOption noResolve(
        QStringLiteral("no-resolve"), QStringLiteral("Show addresses, do not look up host names."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("One JSON object per event and line."));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Ask this name server (repeatable) instead of the system's."),
        QStringLiteral("HOST:PORT"));
    parser.addOptions({interval, count, noResolve, server, json});
    const AgentOptions agentOptions(true);
    agentOptions.addTo(parser);
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("watch"), args, code))
        return code;
    QList<RemoteAgent> agents;
    if (!noPositional(parser, QStringLiteral("watch")) ||
        !agentOptions.read(parser, QStringLiteral("watch"), agents))
        return 2;

    RegistryStore registry;
    SettingsStore settings(registry);
    settings.ReadRegistry();
    Settings &values = settings.values();
    clampToRanges(values);

    double seconds = values.RefreshDelay;
    if (parser.isSet(interval)) {
        bool ok = false;
        seconds = parser.value(interval).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0.1 || seconds > 86400) {
            err(QStringLiteral("wirevane-cli watch: --interval wants seconds between 0.1 and "
                               "86400, not '%1'\n")
                    .arg(parser.value(interval)));
            return 2;
        }
    }
    int cycles = 0;
    if (parser.isSet(count)) {
        bool ok = false;
        cycles = parser.value(count).toInt(&ok);
        if (!ok || cycles < 1) {
            err(QStringLiteral("wirevane-cli watch: --count wants a positive number, not '%1'\n")
                    .arg(parser.value(count)));
            return 2;
        }
    }
    if (parser.isSet(noResolve))
        values.autoResolve = false;

    // Names come through the same cached resolver and recognized names as in
    // the window.
    DnsCache cache;
    HostNameResolver resolver(values, cache);
    if (parser.isSet(server) && !resolver.setServers(parser.values(server))) {
        err(QStringLiteral("wirevane-cli watch: %1\n").arg(resolver.lastError()));
        return 2;
    }
    ResolverHostNames hosts(resolver);
    FriendlyNames friendly;
    RecognizedNames names(friendly);
    std::vector<Watched> watched;
    const auto follow = [&](const QString &host, std::unique_ptr<SnapshotSource> source) {
        Watched w;
        w.host = host;
        w.source = std::move(source);
        w.summary = std::make_unique<PrintingSummary>(parser.isSet(json), host);
        w.table = std::make_unique<ConnectionTableModel>();
        w.listen = std::make_unique<ListenPortsModel>();
        RefreshCycle::Services services;
        services.source = w.source.get();
        services.hosts = &hosts;
        services.names = &names;
        services.summary = w.summary.get();
        w.cycle = std::make_unique<RefreshCycle>(values, services, *w.table, *w.listen);
        watched.push_back(std::move(w));
    };
    if (agents.isEmpty()) {
        auto local = std::make_unique<EngineSnapshotSource>();
        if (!local->isAvailable()) {
            err(QStringLiteral("wirevane-cli watch: the connection tables cannot be read here\n"));
            return 1;
        }
        follow(QString(), std::move(local));
    }
    for (const RemoteAgent &a : agents)
        follow(a.displayName(), std::make_unique<RemoteSnapshotSource>(a));

    const int waitMs = static_cast<int>(std::lround(seconds * 1000));
    bool anyFailure = false;
    for (int done = 0; cycles == 0 || done < cycles; ++done) {
        if (done > 0)
            waitMilliseconds(waitMs);
        for (Watched &w : watched) {
            try {
                w.cycle->RefreshConnections();
                if (w.failing)
                    err(QStringLiteral("wirevane-cli watch: %1 answers again\n").arg(w.host));
                w.failing = false;
            } catch (const std::exception &e) {
                const QString what = QString::fromLocal8Bit(e.what());
                // One host alone: its failure ends the watch. With several, the
                // others go on and a host that fails is reported once until it
                // answers again.
                if (watched.size() == 1) {
                    err(QStringLiteral("wirevane-cli watch: %1\n").arg(what));
                    return 1;
                }
                if (!w.failing)
                    err(QStringLiteral("wirevane-cli watch: %1\n").arg(what));
                w.failing = true;
                anyFailure = true;
            }
        }
        // Nobody reads what a watch that cannot write prints.
        if (outputFailed())
            return 1;
    }
    return anyFailure ? 1 : 0;
}

} // namespace wv::cli
