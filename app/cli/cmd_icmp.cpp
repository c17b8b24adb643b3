#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "tools/icmp/IcmpStatus.h"
#include "tools/icmp/TMSicmp.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>

namespace wv::cli {

namespace {

QCommandLineOption dnsOption()
{
    return QCommandLineOption(
        QStringLiteral("dns"),
        QStringLiteral("Ask this name server (repeatable) instead of the system's."),
        QStringLiteral("HOST:PORT"));
}

// Runs a task until it finishes or fails; returns the error text, empty when
// it finished.
QString runTask(TMSicmpTask &task, const QString &target)
{
    QEventLoop loop;
    QString error;
    QObject::connect(&task, &TMSicmp::OnError, &loop, [&](QObject *, qint32, const QString &text) {
        error = text.isEmpty() ? QStringLiteral("failed") : text;
        loop.quit();
    });
    QObject::connect(&task, &TMSicmpTask::OnFinished, &loop, [&] { loop.quit(); });
    task.Start(target);
    if (task.Busy())
        loop.exec();
    return error;
}

QString replyTtl(const TMSicmp &echo)
{
    return echo.Reply().Options.Ttl ? QString::number(echo.Reply().Options.Ttl)
                                    : QStringLiteral("-");
}

} // namespace

int ping(const QStringList &args)
{
    const QString command = QStringLiteral("ping");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends ICMP echo requests to a host and prints every reply with its status. "
        "Exit status 0 when at least one echo was answered (by the host or by a router "
        "on the way), 1 when none was or the host cannot be resolved."));
    parser.addPositionalArgument(QStringLiteral("HOST"),
                                 QStringLiteral("Host name or IPv4 address."));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Echoes to send, 1 to 1000 (default 4)."),
                                   QStringLiteral("N"));
    const QCommandLineOption ttl(QStringLiteral("ttl"),
                                 QStringLiteral("Time-to-live, 1 to 255 (default 32)."),
                                 QStringLiteral("N"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Bytes of echo data, 0 to 65500 (default 56; "
                                                 "less than 8 sends 8)."),
                                  QStringLiteral("N"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Wait for each reply, 1 to 65535 milliseconds (default 2500)."),
        QStringLiteral("MS"));
    const QCommandLineOption dns = dnsOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({count, ttl, size, timeout, dns, json});
    int code = 0;
    if (!parseArgs(parser, command, args, code))
        return code;
    const QString target = singleArgument(parser, command, QStringLiteral("HOST"));
    int n = 4, t = TMSicmp::DefaultTimeToLive, bytes = TMSicmp::DefaultPacketSize,
        ms = TMSicmp::DefaultTimeOut;
    if (target.isEmpty() || !intOption(parser, count, command, 1, 1000, n) ||
        !intOption(parser, ttl, command, 1, 255, t) ||
        !intOption(parser, size, command, 0, TMSicmp::MaxPacketSize, bytes) ||
        !intOption(parser, timeout, command, 1, 65535, ms))
        return 2;

    TMSicmpTask task;
    if (!task.dns().setServers(parser.values(dns))) {
        err(QStringLiteral("wirevane-cli ping: --dns takes numeric addresses\n"));
        return 2;
    }
    task.setCount(n);
    task.setTimeToLive(quint8(t));
    task.setPacketSize(bytes);
    task.setTimeOut(quint16(ms));
    const bool asJson = parser.isSet(json);
    QJsonArray echoes;
    QList<QStringList> rows;
    int answered = 0;
    bool headerShown = false;
    QObject::connect(&task, &TMSicmpTask::OnData, &task, [&] {
        const bool gotReply = task.Reply().Address != IcmpEchoReply::NoAddress;
        answered += gotReply ? 1 : 0;
        const QString from = gotReply ? task.HopAddress() : QString();
        if (asJson) {
            QJsonObject o;
            o[QStringLiteral("seq")] = task.EchoNumber();
            o[QStringLiteral("from")] = from;
            o[QStringLiteral("status")] = task.Status();
            o[QStringLiteral("statusText")] = task.StatusText();
            o[QStringLiteral("time")] = qint64(task.RoundTripTime());
            o[QStringLiteral("bytes")] = int(task.Reply().DataSize);
            o[QStringLiteral("ttl")] = int(task.Reply().Options.Ttl);
            echoes.append(o);
            return;
        }
        if (!headerShown) {
            headerShown = true;
            out(QStringLiteral("Pinging %1 [%2] with %3 bytes of data:\n")
                    .arg(task.TargetName(), task.TargetAddressText())
                    .arg(task.PacketSize()));
        }
        out(QStringLiteral("%1  %2  bytes=%3  time=%4ms  TTL=%5  %6\n")
                .arg(task.EchoNumber())
                .arg(from.isEmpty() ? QStringLiteral("-") : from)
                .arg(task.Reply().DataSize)
                .arg(task.RoundTripTime())
                .arg(replyTtl(task), task.StatusText()));
    });
    const QString error = runTask(task, target);
    if (!error.isEmpty()) {
        err(QStringLiteral("wirevane-cli ping: %1\n").arg(error));
        return 1;
    }
    if (asJson) {
        QJsonObject o;
        o[QStringLiteral("host")] = target;
        o[QStringLiteral("name")] = task.TargetName();
        o[QStringLiteral("address")] = task.TargetAddressText();
        o[QStringLiteral("size")] = task.PacketSize();
        o[QStringLiteral("echoes")] = echoes;
        printJson(QJsonDocument(o));
    }
    return answered > 0 ? 0 : 1;
}

int trace(const QStringList &args)
{
    const QString command = QStringLiteral("trace");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Traces the route to a host with ICMP echoes of growing time-to-live, one hop at a "
        "time, and prints each hop as the lookup window lists it (names from the DNS "
        "cache). Exit status 0 when at least one hop answered."));
    parser.addPositionalArgument(QStringLiteral("HOST"),
                                 QStringLiteral("Host name or IPv4 address."));
    const QCommandLineOption maxHops(QStringLiteral("max-hops"),
                                     QStringLiteral("Largest time-to-live, 1 to 255 (default 32)."),
                                     QStringLiteral("N"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Wait for each hop, 1 to 65535 milliseconds (default 2000)."),
        QStringLiteral("MS"));
    const QCommandLineOption dns = dnsOption();
    const QCommandLineOption noCache(
        QStringLiteral("no-cache"),
        QStringLiteral("Neither read hop names from the DNS cache nor store them there."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({maxHops, timeout, dns, noCache, json});
    int code = 0;
    if (!parseArgs(parser, command, args, code))
        return code;
    const QString target = singleArgument(parser, command, QStringLiteral("HOST"));
    int hops = TMSicmp::DefaultTimeToLive, ms = 2000;
    if (target.isEmpty() || !intOption(parser, maxHops, command, 1, 255, hops) ||
        !intOption(parser, timeout, command, 1, 65535, ms))
        return 2;

    RegistryStore registry;
    SettingsStore store(registry);
    store.ReadRegistry();
    Settings settings = store.values();
    settings.Expires = false;
    if (parser.isSet(noCache))
        settings.cacheDNS = false;
    DnsCache cache;
    HostNameResolver resolver(settings, cache);
    TMSTrace trace;
    if (!resolver.setServers(parser.values(dns)) || !trace.dns().setServers(parser.values(dns))) {
        err(QStringLiteral("wirevane-cli trace: --dns takes numeric addresses\n"));
        return 2;
    }
    trace.setTimeToLive(quint8(hops));
    trace.setTimeOut(quint16(ms));
    const bool asJson = parser.isSet(json);
    QJsonArray rows;
    int answered = 0;
    bool headerShown = false;
    QObject::connect(&trace, &TMSicmpTask::OnData, &trace, [&] {
        const bool gotReply = trace.Reply().Address != IcmpEchoReply::NoAddress;
        answered += gotReply ? 1 : 0;
        const int hop = trace.CurrentTTL();
        const QString ip = trace.HopAddress();
        const quint32 time = trace.RoundTripTime();
        const qint32 status = trace.Status();
        const QString statusText = trace.StatusText();
        const QString host = resolver.GetHostName(ip);
        if (asJson) {
            QJsonObject o;
            o[QStringLiteral("hop")] = hop;
            o[QStringLiteral("host")] = host;
            o[QStringLiteral("ip")] = ip;
            o[QStringLiteral("time")] = qint64(time);
            o[QStringLiteral("answered")] = gotReply;
            o[QStringLiteral("status")] = status;
            o[QStringLiteral("statusText")] = statusText;
            rows.append(o);
            return;
        }
        if (!headerShown) {
            headerShown = true;
            out(QStringLiteral("Tracing [%1] ...\n").arg(target));
        }
        out(QStringLiteral("%1  %2  %3  %4  %5\n")
                .arg(QString::number(hop).rightJustified(2))
                .arg(host.isEmpty() ? QStringLiteral("-") : host, -30)
                .arg(ip, -15)
                .arg(QString::number(time).rightJustified(5))
                .arg(statusText));
    });
    const QString error = runTask(trace, target);
    if (!error.isEmpty()) {
        err(QStringLiteral("wirevane-cli trace: Error: %1\n").arg(error));
        return 1;
    }
    const QString done = QStringLiteral("Done: %1 hops").arg(trace.CurrentTTL());
    if (asJson) {
        QJsonObject o;
        o[QStringLiteral("host")] = target;
        o[QStringLiteral("name")] = trace.TargetName();
        o[QStringLiteral("address")] = trace.TargetAddressText();
        o[QStringLiteral("hops")] = rows;
        o[QStringLiteral("status")] = done;
        printJson(QJsonDocument(o));
    } else {
        out(done + QLatin1Char('\n'));
    }
    return answered > 0 ? 0 : 1;
}

} // namespace wv::cli
