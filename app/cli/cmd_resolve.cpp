#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "monitor/ReverseLookup.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"

#include <QJsonObject>

namespace wv::cli {

int resolve(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Looks up the host name of an address the way the connection table does: the DNS "
        "cache first, a reverse look-up otherwise, the answer written back to the cache. "
        "A look-up that times out gives the address itself."));
    parser.addPositionalArgument(QStringLiteral("ADDRESS"),
                                 QStringLiteral("Numeric IPv4 or IPv6 address."));
    const QCommandLineOption noCache(
        QStringLiteral("no-cache"),
        QStringLiteral("Neither read names from the DNS cache nor store them there."));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Ask this name server (repeatable) instead of the system's."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Time-out in milliseconds, 50 to 120000 (default: the setting)."),
        QStringLiteral("MS"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({noCache, server, timeout, json});
    int code = 0;
    if (!parseArgs(parser, QStringLiteral("resolve"), args, code))
        return code;
    const QString address =
        singleArgument(parser, QStringLiteral("resolve"), QStringLiteral("ADDRESS"));
    if (address.isEmpty())
        return 2;
    if (!isNumericAddress(address)) {
        err(QStringLiteral("wirevane-cli resolve: '%1' is not a numeric IPv4 or IPv6 address\n")
                .arg(address));
        return 2;
    }

    RegistryStore registry;
    SettingsStore store(registry);
    store.ReadRegistry();
    Settings settings = store.values();
    settings.Expires = false;
    if (parser.isSet(noCache))
        settings.cacheDNS = false;
    int ms = settings.dnsTimeoutWait;
    if (!intOption(parser, timeout, QStringLiteral("resolve"), 50, 120000, ms,
                   QStringLiteral("milliseconds")))
        return 2;
    settings.dnsTimeoutWait = ms;

    DnsCache cache;
    HostNameResolver resolver(settings, cache);
    if (parser.isSet(server) && !resolver.setServers(parser.values(server))) {
        err(QStringLiteral("wirevane-cli resolve: %1\n").arg(resolver.lastError()));
        return 2;
    }

    const bool fromCache = settings.cacheDNS && !cache.lookup(address).isEmpty();
    const QString name = resolver.GetHostName(address);
    QString source;
    if (fromCache)
        source = QStringLiteral("cache");
    else if (name.isEmpty())
        source = QStringLiteral("no name");
    else if (name == address)
        source = QStringLiteral("timeout");
    else
        source = QStringLiteral("network");

    if (parser.isSet(json)) {
        QJsonObject o;
        o[QStringLiteral("address")] = address;
        o[QStringLiteral("name")] = name;
        o[QStringLiteral("source")] = source;
        o[QStringLiteral("cached")] = settings.cacheDNS;
        printJson(QJsonDocument(o));
    } else {
        out(formatTable(
            {QStringLiteral("ADDRESS"), QStringLiteral("NAME"), QStringLiteral("SOURCE")},
            {{address, name.isEmpty() ? QStringLiteral("-") : name, source}}));
    }
    return 0;
}

} // namespace wv::cli
