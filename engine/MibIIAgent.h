#pragma once

#include "engine/MibTypes.h"
#include "engine/MibView.h"

#include <QString>

namespace wv {

// The in-process MIB-II agent: answers GETNEXT over the ip, icmp, tcp and udp
// groups with the tables and counters of this machine. A request whose name is
// the identifier the agent returned last continues the walk on the same
// captured tables; any other request starts a new walk.
class MibIIAgent : public MibAgent
{
public:
    MibIIAgent(std::unique_ptr<SocketSource> sockets, std::unique_ptr<CounterSource> counters);

    bool init(quint32 uptimeReference) override;
    bool query(quint8 requestType, SnmpVarBindList &list, qint32 &errorStatus,
               qint32 &errorIndex) override;

    void setDetails(bool owners, bool traffic) override;
    QString programOf(quint32 pid) const override { return m_view.programOf(pid); }
    bool tcpTraffic(const Oid &name, qint64 &sent, qint64 &received) override
    {
        return m_view.tcpTraffic(name, sent, received);
    }

    bool answeredFromUnchangedTable() const override
    {
        return m_walking && m_view.lastTableUnchanged();
    }

    QString sourceName() const { return m_sockets->name(); }

private:
    std::unique_ptr<SocketSource> m_sockets;
    std::unique_ptr<CounterSource> m_counters;
    MibView m_view;
    Oid m_lastName;
    bool m_walking = false;
};

enum class SocketSourceChoice
{
    Automatic,
    Netlink,
    Proc
};

// The agent of this machine: the netlink socket tables where they work, else
// the /proc/net files (Automatic; the environment variable WIREVANE_MIB_SOURCE
// set to "proc" or "netlink" forces one). Null when no source can be read.
std::unique_ptr<MibAgent>
loadSystemAgent(SocketSourceChoice choice = SocketSourceChoice::Automatic);
// The socket tables that agent reads; null when no source can be read.
std::unique_ptr<SocketSource>
loadSystemSockets(SocketSourceChoice choice = SocketSourceChoice::Automatic);
AgentLoader systemAgentLoader(SocketSourceChoice choice);

} // namespace wv
