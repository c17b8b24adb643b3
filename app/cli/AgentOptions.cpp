#include "app/cli/AgentOptions.h"

#include "app/cli/CliSupport.h"

#include <cmath>

namespace wv::cli {

namespace {

QCommandLineOption option(const char *name, const QString &help, const char *value)
{
    return QCommandLineOption(QString::fromLatin1(name), help, QString::fromLatin1(value));
}

} // namespace

AgentOptions::AgentOptions(bool several)
    : m_several(several),
      m_agent(option("agent",
                     several ? QStringLiteral("Read this host's SNMP agent instead of this "
                                              "machine (repeatable: one stream for all).")
                             : QStringLiteral("Read this host's SNMP agent instead of this "
                                              "machine."),
                     "[udp:|tcp:]HOST[:PORT]")),
      m_community(option("community", QStringLiteral("SNMPv2c community (default: public)."), "C")),
      m_user(option("v3-user", QStringLiteral("Speak SNMPv3 as this user."), "U")),
      m_authProto(option("auth-proto",
                         QStringLiteral("SNMPv3 authentication: %1.")
                             .arg(RemoteAgent::authProtocols().join(QStringLiteral(", "))),
                         "P")),
      m_authPass(option("auth-pass", QStringLiteral("SNMPv3 authentication pass phrase."), "S")),
      m_privProto(option("priv-proto",
                         QStringLiteral("SNMPv3 privacy: %1.")
                             .arg(RemoteAgent::privProtocols().join(QStringLiteral(", "))),
                         "P")),
      m_privPass(option("priv-pass", QStringLiteral("SNMPv3 privacy pass phrase."), "S")),
      m_timeout(
          option("timeout", QStringLiteral("Seconds to wait for each answer (default 2)."), "S")),
      m_retries(option("retries", QStringLiteral("Tries after the first (default 1)."), "N"))
{
}

void AgentOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({m_agent, m_community, m_user, m_authProto, m_authPass, m_privProto,
                       m_privPass, m_timeout, m_retries});
}

bool AgentOptions::read(const QCommandLineParser &parser, const QString &command,
                        QList<RemoteAgent> &agents) const
{
    const auto bad = [&](const QString &why) {
        err(QStringLiteral("wirevane-cli %1: %2\n").arg(command, why));
        return false;
    };
    agents.clear();
    const QStringList names = parser.values(m_agent);
    if (names.isEmpty()) {
        for (const QCommandLineOption *o : {&m_community, &m_user, &m_authProto, &m_authPass,
                                            &m_privProto, &m_privPass, &m_timeout, &m_retries}) {
            if (parser.isSet(*o))
                return bad(QStringLiteral("--%1 needs --agent").arg(o->names().first()));
        }
        return true;
    }
    if (names.size() > 1 && !m_several)
        return bad(QStringLiteral("give one --agent"));
    RemoteAgent base;
    if (parser.isSet(m_user)) {
        if (parser.isSet(m_community))
            return bad(QStringLiteral("--community is for SNMPv2c, --v3-user for SNMPv3: give "
                                      "one of them"));
        base.version = RemoteAgent::Version::V3;
        base.user = parser.value(m_user);
        base.authProtocol = parser.value(m_authProto).toUpper();
        base.authPassphrase = parser.value(m_authPass);
        base.privProtocol = parser.value(m_privProto).toUpper();
        base.privPassphrase = parser.value(m_privPass);
        // A pass phrase alone asks for the usual protocol with it.
        if (base.authProtocol.isEmpty() && !base.authPassphrase.isEmpty())
            base.authProtocol = QStringLiteral("SHA");
        if (base.privProtocol.isEmpty() && !base.privPassphrase.isEmpty())
            base.privProtocol = QStringLiteral("AES");
        if (!base.authProtocol.isEmpty() && base.authPassphrase.isEmpty())
            return bad(QStringLiteral("--auth-proto needs --auth-pass"));
        if (!base.privProtocol.isEmpty() && base.privPassphrase.isEmpty())
            return bad(QStringLiteral("--priv-proto needs --priv-pass"));
    } else {
        for (const QCommandLineOption *o : {&m_authProto, &m_authPass, &m_privProto, &m_privPass}) {
            if (parser.isSet(*o))
                return bad(QStringLiteral("--%1 needs --v3-user").arg(o->names().first()));
        }
        if (parser.isSet(m_community))
            base.community = parser.value(m_community);
    }
    if (parser.isSet(m_timeout)) {
        bool ok = false;
        const double s = parser.value(m_timeout).toDouble(&ok);
        if (!ok || !std::isfinite(s) || s < 0.01 || s > 600)
            return bad(QStringLiteral("--timeout wants seconds between 0.01 and 600, not '%1'")
                           .arg(parser.value(m_timeout)));
        base.timeoutMs = int(std::lround(s * 1000));
    }
    if (parser.isSet(m_retries)) {
        bool ok = false;
        base.retries = parser.value(m_retries).toInt(&ok);
        if (!ok || base.retries < 0 || base.retries > 20)
            return bad(QStringLiteral("--retries wants a number from 0 to 20, not '%1'")
                           .arg(parser.value(m_retries)));
    }
    for (const QString &name : names) {
        RemoteAgent a = base;
        QString why;
        if (!a.setAddress(name, &why))
            return bad(QStringLiteral("--agent %1").arg(why));
        const QString problem = a.validate();
        if (!problem.isEmpty())
            return bad(problem);
        agents.append(a);
    }
    return true;
}

} // namespace wv::cli
