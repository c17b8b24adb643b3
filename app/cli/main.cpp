#include "app/cli/CliSupport.h"
#include "app/cli/Commands.h"
#include "settings/Version.h"

#include <QCoreApplication>

namespace {

struct Command
{
    const char *name;
    int (*run)(const QStringList &);
    const char *summary;
};

const Command kCommands[] = {
    {"connections", wv::cli::connections, "list TCP connections and UDP listeners"},
    {"counters", wv::cli::counters, "show the IP, ICMP, TCP and UDP counters"},
    {"stats", wv::cli::stats, "show the pages of the advanced statistics window"},
    {"walk", wv::cli::walk, "walk a MIB-II subtree (numeric, like snmpwalk -On)"},
    {"watch", wv::cli::watch, "run the refresh cycle and print its events"},
    {"resolve", wv::cli::resolve, "look up the host name of an address through the cache"},
    {"port", wv::cli::port, "look a port up in the port database"},
    {"rules", wv::cli::rules, "list the rules, or add, edit, delete, enable, disable one"},
    {"settings", wv::cli::settings, "show the current settings, or change them with --set"},
    {"dns", wv::cli::dns, "show or set the system's DNS servers"},
    {"profile", wv::cli::profile, "export or import a configuration profile (.wcf)"},
    {"ping", wv::cli::ping, "send ICMP echo requests to a host"},
    {"trace", wv::cli::trace, "trace the route to a host"},
    {"whois", wv::cli::whois, "query a WHOIS server"},
    {"quickdns", wv::cli::quickdns, "look a host name or an address up (quick DNS)"},
    {"finger", wv::cli::finger, "send a finger query to a host"},
    {"netbios", wv::cli::netbios, "list a host's NetBIOS name table"},
    {"probe", wv::cli::probe, "connect to a port and print what the service sends"},
    {"mail", wv::cli::mail, "send an e-mail through the relay, as the e-mail action does"},
};

int usage(FILE *to)
{
    QString text = QStringLiteral("Usage: wirevane-cli COMMAND [OPTIONS]\n\nCommands:\n");
    for (const Command &c : kCommands)
        text +=
            QStringLiteral("  %1%2\n")
                .arg(QString::fromLatin1(c.name).leftJustified(13), QString::fromLatin1(c.summary));
    text += QStringLiteral("\n'wirevane-cli COMMAND --help' describes a command's options.\n");
    if (to == stdout)
        wv::cli::out(text);
    else
        wv::cli::err(text);
    return to == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wirevane-cli"));
    QCoreApplication::setApplicationVersion(wv::programVersion());
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage(stderr);
    const QString name = args.takeFirst();
    if (name == QLatin1String("-h") || name == QLatin1String("--help") ||
        name == QLatin1String("help"))
        return usage(stdout);
    if (name == QLatin1String("--version")) {
        wv::cli::out(QStringLiteral("wirevane-cli %1\n").arg(wv::programVersion()));
        return 0;
    }
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name))
            return wv::cli::finishOutput(c.run(args));
    }
    wv::cli::err(QStringLiteral("wirevane-cli: unknown command '%1'\n").arg(name));
    return usage(stderr);
}
