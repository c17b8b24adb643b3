#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "monitor/DnsCache.h"
#include "tools/porttest/PlainText.h"
#include "tools/porttest/TelnetSession.h"
#include "tools/quick/CommandCapture.h"
#include "tools/quick/FingerQuery.h"
#include "tools/quick/QuickDnsLookup.h"
#include "tools/quick/TextRules.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

namespace wv::cli {

namespace {

const QCommandLineOption kJson(QStringLiteral("json"), QStringLiteral("Print JSON."));

} // namespace

int quickdns(const QStringList &args)
{
    const QString cmd = QStringLiteral("quickdns");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quick DNS lookup: a host name gives its address, an address its host name. "
                       "The DNS cache is read (with --cache), never written."));
    parser.addPositionalArgument(QStringLiteral("NAME|ADDRESS"),
                                 QStringLiteral("Host name, or numeric address."));
    const QCommandLineOption cache(QStringLiteral("cache"),
                                   QStringLiteral("Take an address's name from the DNS cache "
                                                  "when it holds one."));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Give up after MS milliseconds (1 to 120000); a timed-out lookup "
                       "answers with the text asked."),
        QStringLiteral("MS"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Ask this name server (repeatable) instead of the system's."),
        QStringLiteral("HOST:PORT"));
    parser.addOptions({cache, timeout, server, kJson});
    int code = 0;
    if (!parseArgs(parser, cmd, args, code))
        return code;
    if (parser.positionalArguments().size() != 1) {
        err(QStringLiteral("wirevane-cli quickdns: give exactly one NAME or ADDRESS\n"));
        return 2;
    }
    const QString text = parser.positionalArguments().first().trimmed();
    if (text.isEmpty()) {
        err(QStringLiteral("wirevane-cli quickdns: the name or address is empty\n"));
        return 2;
    }
    int ms = 0;
    if (!intOption(parser, timeout, cmd, 1, 120000, ms, QStringLiteral("milliseconds")))
        return 2;
    if (!containsLetter(text) && QHostAddress(text).isNull()) {
        err(QStringLiteral("wirevane-cli quickdns: '%1' is neither a host name nor a numeric "
                           "address\n")
                .arg(text));
        return 2;
    }

    DnsCache dnsCache;
    QuickDnsLookup lookup(&dnsCache);
    if (parser.isSet(server) && !lookup.setServers(parser.values(server))) {
        err(QStringLiteral("wirevane-cli quickdns: %1\n").arg(lookup.lastError()));
        return 2;
    }
    if (ms > 0)
        lookup.setTimeoutInterval(ms);
    const QuickDnsLookup::Result r = lookup.lookup(text, parser.isSet(cache), ms > 0);
    const bool forward = containsLetter(text);
    const bool found = forward ? !r.ip.isEmpty() && r.ip != QLatin1String("???")
                               : !r.host.isEmpty() && !r.timedOut;
    QString source = r.fromCache  ? QStringLiteral("cache")
                     : r.timedOut ? QStringLiteral("timeout")
                     : found      ? QStringLiteral("network")
                                  : QStringLiteral("not found");
    if (parser.isSet(kJson)) {
        QJsonObject o;
        o[QStringLiteral("query")] = text;
        o[QStringLiteral("hostname")] = r.host;
        o[QStringLiteral("ip")] = r.ip;
        o[QStringLiteral("source")] = source;
        o[QStringLiteral("found")] = found;
        printJson(QJsonDocument(o));
    } else {
        out(QStringLiteral("Hostname: %1\nIP: %2\n").arg(r.host, r.ip));
        if (!found)
            err(QStringLiteral("wirevane-cli quickdns: %1\n")
                    .arg(r.timedOut ? QStringLiteral("the lookup timed out")
                                    : QStringLiteral("no answer for '%1'").arg(text)));
    }
    return found ? 0 : 1;
}

int finger(const QStringList &args)
{
    const QString cmd = QStringLiteral("finger");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends a finger query (RFC 1288) for USER to HOST and prints the answer."));
    parser.addPositionalArgument(QStringLiteral("USER@HOST"),
                                 QStringLiteral("The user (may be empty) and the host."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("TCP port (default: the finger service, 79)."),
                                  QStringLiteral("N"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Ask for extra information (\"/w\")."));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Give up after MS milliseconds without progress (default 15000)."),
        QStringLiteral("MS"));
    parser.addOptions({port, verbose, timeout, kJson});
    int code = 0;
    if (!parseArgs(parser, cmd, args, code))
        return code;
    const QString address = singleArgument(parser, cmd, QStringLiteral("USER@HOST"));
    if (address.isEmpty())
        return 2;
    const FingerAddress a = splitFingerAddress(address);
    if (!a.ok || a.host.trimmed().isEmpty()) {
        err(QStringLiteral("wirevane-cli finger: '%1' is not of the form USER@HOST\n")
                .arg(address));
        return 2;
    }
    FingerQuery query;
    if (parser.isSet(port)) {
        const quint16 p = servicePort(parser.value(port));
        if (p == 0) {
            err(QStringLiteral("wirevane-cli finger: --port takes 1 to 65535 or a service "
                               "name, not '%1'\n")
                    .arg(parser.value(port)));
            return 2;
        }
        query.setPort(p);
    }
    int ms = FingerQuery::DefaultTimeoutSeconds * 1000;
    if (!intOption(parser, timeout, cmd, 1, 600000, ms, QStringLiteral("milliseconds")))
        return 2;
    query.setTimeout(ms);

    const bool json = parser.isSet(kJson);
    QStringList lines;
    QString status;
    FingerQuery::Outcome outcome = FingerQuery::Outcome::Failed;
    QEventLoop loop;
    QObject::connect(&query, &FingerQuery::statusChanged, [&](const QString &s) { status = s; });
    QObject::connect(&query, &FingerQuery::lineReceived, [&](const QString &line, qsizetype) {
        lines << line;
        if (!json)
            out(line + QLatin1Char('\n'));
    });
    QObject::connect(&query, &FingerQuery::finished, [&](FingerQuery::Outcome o) {
        outcome = o;
        loop.quit();
    });
    if (!query.start(address, parser.isSet(verbose)))
        return 2;
    loop.exec();
    const bool ok = outcome == FingerQuery::Outcome::Done;
    if (json) {
        QJsonObject o;
        o[QStringLiteral("user")] = a.user;
        o[QStringLiteral("host")] = a.host;
        o[QStringLiteral("port")] = int(query.port());
        o[QStringLiteral("query")] = QString::fromUtf8(query.sentBytes());
        o[QStringLiteral("status")] = status;
        o[QStringLiteral("lines")] = QJsonArray::fromStringList(lines);
        printJson(QJsonDocument(o));
    } else if (!ok) {
        err(QStringLiteral("wirevane-cli finger: %1\n").arg(status));
    }
    return ok ? 0 : 1;
}

int netbios(const QStringList &args)
{
    const QString cmd = QStringLiteral("netbios");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the NetBIOS name table of a host (\"nmblookup -A ADDRESS\")."));
    parser.addPositionalArgument(QStringLiteral("ADDRESS"), QStringLiteral("IPv4 address."));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Stop the command after MS milliseconds (default 30000)."),
        QStringLiteral("MS"));
    parser.addOptions({timeout, kJson});
    int code = 0;
    if (!parseArgs(parser, cmd, args, code))
        return code;
    const QString address = singleArgument(parser, cmd, QStringLiteral("ADDRESS"));
    if (address.isEmpty())
        return 2;
    if (QHostAddress(address).protocol() != QAbstractSocket::IPv4Protocol ||
        containsLetter(address)) {
        err(QStringLiteral("wirevane-cli netbios: '%1' is not an IPv4 address\n").arg(address));
        return 2;
    }
    int ms = 30000;
    if (!intOption(parser, timeout, cmd, 100, 600000, ms, QStringLiteral("milliseconds")))
        return 2;
    CommandCapture capture;
    capture.setTimeout(ms);
    const bool json = parser.isSet(kJson);
    if (!json)
        QObject::connect(&capture, &CommandCapture::outputReceived,
                         [](const QByteArray &chunk) { out(QString::fromLocal8Bit(chunk)); });
    const QString program = qEnvironmentVariable("WIREVANE_NMBLOOKUP", NetBiosCommand::Program);
    const int result = capture.run(program, NetBiosCommand::arguments(address));
    if (json) {
        QJsonObject o;
        o[QStringLiteral("address")] = address;
        o[QStringLiteral("command")] =
            (QStringList{program} + NetBiosCommand::arguments(address)).join(QLatin1Char(' '));
        o[QStringLiteral("result")] = result;
        o[QStringLiteral("output")] = QString::fromLocal8Bit(capture.output());
        if (result == CommandCapture::NotStarted)
            o[QStringLiteral("error")] = NetBiosCommand::notInstalledText(program).trimmed();
        printJson(QJsonDocument(o));
    } else if (result == CommandCapture::NotStarted) {
        err(NetBiosCommand::notInstalledText(program));
    } else if (result == CommandCapture::TimedOut) {
        err(NetBiosCommand::timedOutText(ms).trimmed() + QLatin1Char('\n'));
    }
    return result == 0 ? 0 : 1;
}

int probe(const QStringList &args)
{
    const QString cmd = QStringLiteral("probe");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Connects to a port the way the port tester does (telnet options answered), prints "
        "what the service sends within the wait as plain text, and exits 0 when it "
        "connected."));
    parser.addPositionalArgument(QStringLiteral("HOST"), QStringLiteral("Host name or address."));
    parser.addPositionalArgument(QStringLiteral("PORT"),
                                 QStringLiteral("Port number or service name (\"smtp\")."));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("How long to listen, in milliseconds "
                                                 "(default 3000)."),
                                  QStringLiteral("MS"));
    parser.addOptions({wait, kJson});
    int code = 0;
    if (!parseArgs(parser, cmd, args, code))
        return code;
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2) {
        err(QStringLiteral("wirevane-cli probe: give HOST and PORT\n"));
        return 2;
    }
    if (servicePort(pos.at(1)) == 0) {
        err(QStringLiteral("wirevane-cli probe: '%1' is neither a port (1-65535) nor a known "
                           "service\n")
                .arg(pos.at(1)));
        return 2;
    }
    int ms = 3000;
    if (!intOption(parser, wait, cmd, 0, 600000, ms, QStringLiteral("milliseconds")))
        return 2;

    TelnetSession session;
    session.setHost(pos.at(0));
    session.setPort(pos.at(1));
    QByteArray received;
    bool connected = false;
    QEventLoop loop;
    QTimer waitTimer;
    waitTimer.setSingleShot(true);
    QObject::connect(&waitTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&session, &TelnetSession::sessionConnected, [&] {
        connected = true;
        waitTimer.start(ms);
    });
    QObject::connect(&session, &TelnetSession::sessionClosed, &loop, &QEventLoop::quit);
    QObject::connect(&session, &TelnetSession::dataAvailable,
                     [&](const QByteArray &bytes) { received += bytes; });
    // Connecting itself is bounded too, for a host that never answers.
    QTimer connectTimer;
    connectTimer.setSingleShot(true);
    QObject::connect(&connectTimer, &QTimer::timeout, &loop, [&] {
        if (!connected)
            loop.quit();
    });
    connectTimer.start(qMax(ms, 10000));
    session.connectToHost();
    loop.exec();
    const QString error = connected ? QString()
                          : session.errorText().isEmpty()
                              ? QStringLiteral("no connection within %1 ms").arg(qMax(ms, 10000))
                              : session.errorText();
    session.disconnectFromHost();
    const QString text = plainText(received);
    if (parser.isSet(kJson)) {
        QJsonObject o;
        o[QStringLiteral("host")] = pos.at(0);
        o[QStringLiteral("port")] = int(servicePort(pos.at(1)));
        o[QStringLiteral("connected")] = connected;
        o[QStringLiteral("text")] = text;
        o[QStringLiteral("negotiation")] = QJsonArray::fromStringList(session.negotiation());
        if (!error.isEmpty())
            o[QStringLiteral("error")] = error;
        printJson(QJsonDocument(o));
    } else {
        out(text.isEmpty() || text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n'));
        if (!connected)
            err(QStringLiteral("wirevane-cli probe: %1\n").arg(error));
    }
    return connected ? 0 : 1;
}

} // namespace wv::cli
