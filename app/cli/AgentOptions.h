#pragma once

#include "remote/RemoteAgent.h"

#include <QCommandLineParser>
#include <QList>

namespace wv::cli {

// The options that point an engine command at another host's SNMP agent:
// --agent [udp:|tcp:]HOST[:PORT] with --community C (v2c), or --v3-user U
// with --auth-proto/--auth-pass and --priv-proto/--priv-pass; --timeout and
// --retries.
class AgentOptions
{
public:
    explicit AgentOptions(bool several = false);
    void addTo(QCommandLineParser &parser) const;
    // The agents named (none: this machine). False, with the message printed,
    // when the options do not make a usable agent.
    bool read(const QCommandLineParser &parser, const QString &command,
              QList<RemoteAgent> &agents) const;

private:
    bool m_several;
    QCommandLineOption m_agent, m_community, m_user, m_authProto, m_authPass, m_privProto,
        m_privPass, m_timeout, m_retries;
};

} // namespace wv::cli
