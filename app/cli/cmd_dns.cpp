#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "settings/DnsServerList.h"

#include <QJsonArray>
#include <QJsonObject>

namespace wv::cli {

namespace {

const char *const kCaptions[4] = {
    "Primary DNS server:", "Secondary DNS server:", "Third DNS server:", "Fourth DNS server:"};

} // namespace

int dns(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the system's four DNS servers (the nameserver lines of the "
                       "resolver file); with --set, writes them."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("Up to four servers, separated by commas; an "
                                                "empty text removes them all."),
                                 QStringLiteral("A,B,C,D"));
    parser.addOptions({json, set});
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("dns"), args, code))
        return code;
    if (!noPositional(parser, QStringLiteral("dns")))
        return 2;

    DnsServerList list;
    if (parser.isSet(set)) {
        const QStringList pieces = parser.value(set).split(QLatin1Char(','));
        int used = int(pieces.size());
        while (used > 0 && pieces.at(used - 1).trimmed().isEmpty())
            --used;
        if (used > 4) {
            err(QStringLiteral("wirevane-cli dns: at most four DNS servers, not %1\n").arg(used));
            return 2;
        }
        DnsServerFields fields;
        for (int i = 0; i < used; ++i) {
            fields[size_t(i)] = pieces.at(i).trimmed();
            if (!DnsServerList::acceptServerText(fields[size_t(i)])) {
                err(QStringLiteral("wirevane-cli dns: %1: %2\n")
                        .arg(fields[size_t(i)], DnsServerList::RejectMessage));
                return 2;
            }
        }
        const QString by = list.managedBy();
        if (!by.isEmpty())
            err(QStringLiteral("wirevane-cli dns: warning: %1 is managed by %2, which will "
                               "overwrite this change\n")
                    .arg(list.path(), by));
        if (!list.SaveDNSServers(fields)) {
            err(QStringLiteral("wirevane-cli dns: %1\n").arg(list.lastError()));
            return 1;
        }
    }

    const DnsServerFields fields = list.LoadDNSServers();
    if (parser.isSet(json)) {
        QJsonArray servers;
        for (const QString &f : fields)
            servers.append(f);
        QJsonObject doc;
        doc[QStringLiteral("file")] = list.path();
        doc[QStringLiteral("servers")] = servers;
        doc[QStringLiteral("nameServer")] = DnsServerList::joinFields(fields);
        const QString by = list.managedBy();
        if (!by.isEmpty())
            doc[QStringLiteral("managedBy")] = by;
        printJson(QJsonDocument(doc));
        return 0;
    }
    QList<QStringList> rows;
    for (int i = 0; i < 4; ++i)
        rows.append({QString::fromLatin1(kCaptions[i]), fields[size_t(i)]});
    out(QStringLiteral("Resolver file: %1\n").arg(list.path()) +
        formatTable({QStringLiteral("SERVER"), QStringLiteral("ADDRESS")}, rows));
    return 0;
}

} // namespace wv::cli
