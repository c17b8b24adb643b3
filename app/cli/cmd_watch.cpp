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
    explicit PrintingSummary(bool json) : m_json(json) {}
    void AddSummaryEvent(const QString &text) override
    {
        const QDateTime now = QDateTime::currentDateTime();
        if (m_json) {
            const QJsonObject o{{QStringLiteral("time"), SummaryLog::timeText(now)},
                                {QStringLiteral("iso"), now.toString(Qt::ISODateWithMs)},
                                {QStringLiteral("event"), text}};
            out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) +
                QLatin1Char('\n'));
        } else {
            out(SummaryLog::timeText(now) + QStringLiteral("  ") + text + QLatin1Char('\n'));
        }
    }

private:
    bool m_json;
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
                       "session summary as it happens."));
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
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("watch"), args, code))
        return code;
    if (!noPositional(parser, QStringLiteral("watch")))
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

    EngineSnapshotSource source;
    if (!source.isAvailable()) {
        err(QStringLiteral("wirevane-cli watch: the connection tables cannot be read here\n"));
        return 1;
    }
    PrintingSummary summary(parser.isSet(json));
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
    ConnectionTableModel table;
    ListenPortsModel listen;
    RefreshCycle::Services services;
    services.source = &source;
    services.hosts = &hosts;
    services.names = &names;
    services.summary = &summary;
    RefreshCycle cycle(values, services, table, listen);

    const int waitMs = static_cast<int>(std::lround(seconds * 1000));
    for (int done = 0; cycles == 0 || done < cycles; ++done) {
        if (done > 0)
            waitMilliseconds(waitMs);
        try {
            cycle.RefreshConnections();
        } catch (const std::exception &e) {
            err(QStringLiteral("wirevane-cli watch: %1\n").arg(QString::fromLocal8Bit(e.what())));
            return 1;
        }
    }
    return 0;
}

} // namespace wv::cli
