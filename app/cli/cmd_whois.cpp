#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "tools/lookup/WhoisLookup.h"
#include "tools/lookup/WhoisText.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>

namespace wv::cli {

int whois(const QStringList &args)
{
    const QString command = QStringLiteral("whois");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends one WHOIS query and prints the reply as the lookup window shows "
                       "it: the registry's legal notice removed and, when the reply refers to "
                       "another server, that server's reply after it. The status goes to "
                       "standard error. Exit status 0 when a server answered."));
    parser.addPositionalArgument(QStringLiteral("QUERY"),
                                 QStringLiteral("Domain, address or handle to look up."));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("WHOIS server (default %1).").arg(WhoisServers().constFirst()),
        QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption noReferral(QStringLiteral("no-referral"),
                                        QStringLiteral("Do not follow a referral."));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Give up when the server is silent this long, 100 to 600000 "
                       "milliseconds (default 30000)."),
        QStringLiteral("MS"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({server, noReferral, timeout, json});
    int code = 0;
    if (!parseArgs(parser, command, args, code))
        return code;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || QueryLine(positional.first()).trimmed().isEmpty()) {
        err(QStringLiteral("wirevane-cli whois: give exactly one QUERY\n"));
        return 2;
    }
    const QString serverText =
        parser.isSet(server) ? parser.value(server) : WhoisServers().constFirst();
    if (!ParseWhoisServer(serverText)) {
        err(QStringLiteral("wirevane-cli whois: '%1' is not a HOST or HOST:PORT\n")
                .arg(serverText));
        return 2;
    }
    int idle = 30000;
    if (parser.isSet(timeout)) {
        bool ok = false;
        idle = parser.value(timeout).toInt(&ok);
        if (!ok || idle < 100 || idle > 600000) {
            err(QStringLiteral("wirevane-cli whois: --timeout takes 100 to 600000 milliseconds, "
                               "not '%1'\n")
                    .arg(parser.value(timeout)));
            return 2;
        }
    }

    WhoisLookup lookup;
    lookup.setFollowReferral(!parser.isSet(noReferral));
    lookup.setIdleTimeout(idle);
    QEventLoop loop;
    QObject::connect(&lookup, &WhoisLookup::finished, &loop, &QEventLoop::quit);
    lookup.start(positional.first(), serverText);
    if (lookup.isRunning())
        loop.exec();

    const QString text = StripNotice(lookup.text());
    const QString status = lookup.finalStatus();
    if (parser.isSet(json)) {
        QJsonObject o;
        o[QStringLiteral("query")] = QueryLine(positional.first());
        o[QStringLiteral("server")] = serverText;
        o[QStringLiteral("status")] = status;
        QJsonArray replies;
        for (const WhoisLookup::Reply &r : lookup.replies()) {
            QJsonObject reply;
            reply[QStringLiteral("server")] = r.server.text();
            reply[QStringLiteral("text")] = StripNotice(r.lines.join(QLatin1Char('\n')));
            replies.append(reply);
        }
        o[QStringLiteral("replies")] = replies;
        o[QStringLiteral("text")] = text;
        printJson(QJsonDocument(o));
    } else {
        if (!text.isEmpty())
            out(text + QLatin1Char('\n'));
        err(status + QLatin1Char('\n'));
    }
    return lookup.reached() && !lookup.timedOut() ? 0 : 1;
}

} // namespace wv::cli
