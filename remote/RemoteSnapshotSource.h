#pragma once

#include "engine/MibTypes.h"
#include "refresh/SnapshotSource.h"
#include "remote/RemoteTables.h"
#include "remote/SnmpClient.h"

#include <atomic>
#include <memory>
#include <optional>
#include <utility>

namespace wv {

// Another host's connections, read from its SNMP agent with GETBULK: the
// RFC 4022/4113 tables (tcpConnectionTable, tcpListenerTable,
// udpEndpointTable) where the agent has them, else MIB-II's tcpConnTable and
// udpTable. Throws RemoteAgentError when the agent does not answer or
// refuses; downstream everything works as on the local source.
class RemoteSnapshotSource : public SnapshotSource
{
public:
    explicit RemoteSnapshotSource(const RemoteAgent &agent);
    explicit RemoteSnapshotSource(std::shared_ptr<SnmpClient> client);
    ~RemoteSnapshotSource() override;

    QList<SnapshotRow> takeSnapshot() override { return snapshot(true, true); }
    // With details the rows carry the owning process the agent gives
    // (tcpConnectionProcess, tcpListenerProcess, udpEndpointProcess) and its
    // name from HOST-RESOURCES-MIB's hrSWRunName, one more walk each. May be
    // set from another thread than the one taking snapshots.
    void setDetails(bool on) override { m_details = on; }
    QList<SnapshotRow> snapshot(bool tcp, bool udp);

    // Which tables the last snapshot came from.
    enum class Tables
    {
        None,
        Rfc4022,
        MibII
    };
    Tables lastTcpTables() const { return m_tcpTables; }
    Tables lastUdpTables() const { return m_udpTables; }

    // The agent's icmpInEchos and icmpInEchoReps, read with one GET; nullopt
    // when it lacks them. Throws RemoteAgentError.
    std::optional<std::pair<qint64, qint64>> readEchoCounters();

    const RemoteAgent &agent() const { return m_client->agent(); }
    const std::shared_ptr<SnmpClient> &client() const { return m_client; }

private:
    void walkTcp();
    void walkUdp();
    void nameOwners(QList<SnapshotRow> &rows);

    std::shared_ptr<SnmpClient> m_client;
    RemoteTableDecoder m_decoder;
    std::atomic<bool> m_details{false};
    Tables m_tcpTables = Tables::None;
    Tables m_udpTables = Tables::None;
};

// A MIB agent that answers GETNEXT from a remote agent, so that the counter
// lists (and anything else built on an agent link) read another host. All
// agents made by one loader share its client.
class RemoteMibAgent : public MibAgent
{
public:
    explicit RemoteMibAgent(std::shared_ptr<SnmpClient> client) : m_client(std::move(client)) {}
    bool init(quint32) override { return true; }
    // Throws RemoteAgentError (an EConnListError) with the agent's own message.
    bool query(quint8 requestType, SnmpVarBindList &list, qint32 &errorStatus,
               qint32 &errorIndex) override;

private:
    std::shared_ptr<SnmpClient> m_client;
};

AgentLoader remoteAgentLoader(std::shared_ptr<SnmpClient> client);

} // namespace wv
