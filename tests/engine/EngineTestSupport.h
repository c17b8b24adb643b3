#pragma once

#include "engine/MibTypes.h"
#include "engine/SocketSource.h"

#include <functional>
#include <map>
#include <memory>

namespace wv::test {

// An agent that answers GETNEXT from a fixed map of objects, so that a test
// can hand the walks any table, consistent or not.
class ScriptedAgent
{
public:
    std::map<Oid, AsnAny> objects;
    bool initResult = true;
    int failAt = -1;                // the query (counted from 0) that fails
    qint32 reportedErrorStatus = 0; // returned with every answer
    int queries = 0;
    std::function<void()> onQuery; // runs inside every query

    bool query(SnmpVarBindList &list, qint32 &errorStatus, qint32 &errorIndex);

    void add(const Oid &name, const AsnAny &value) { objects[name] = value; }
    // One tcpConnTable row: its five columns.
    void addTcpRow(qint32 state, std::array<quint8, 4> local, qint32 localPort,
                   std::array<quint8, 4> remote, qint32 remotePort);
    void addUdpRow(std::array<quint8, 4> local, qint32 localPort);
    // Rows of tcpConnectionTable, tcpListenerTable and udpEndpointTable, with
    // numeric address texts ("127.0.0.1", "::1") and the process column.
    void addConnection(qint32 state, const char *local, quint32 localPort, const char *remote,
                       quint32 remotePort, quint32 pid = 0);
    void addListener(const char *local, quint32 localPort, quint32 pid = 0);
    void addEndpoint(const char *local, quint32 localPort, const char *remote, quint32 remotePort,
                     quint32 instance, quint32 pid = 0);
};

// A loader whose agents all answer from the one script; counts the loads.
AgentLoader loaderFor(std::shared_ptr<ScriptedAgent> script, int *loads = nullptr);

AsnAny integer(qint32 v);
AsnAny counter(quint32 v);
AsnAny gauge(quint32 v);
AsnAny ipAddress(std::array<quint8, 4> a);

// Socket tables and counters given by the test.
class FakeSockets : public SocketSource
{
public:
    std::vector<SocketEntry> tcp, udp;
    int tcpReads = 0, udpReads = 0;
    bool fail = false;

    QString name() const override { return QStringLiteral("fake"); }
    bool worksHere() override { return true; }
    void readTcp(std::vector<SocketEntry> &out) override;
    void readUdp(std::vector<SocketEntry> &out) override;
};

class FakeCounters : public CounterSource
{
public:
    std::vector<KernelCounter> counters;
    bool works = true;
    int reads = 0;

    bool worksHere() override { return works; }
    void read(std::vector<KernelCounter> &out) override
    {
        ++reads;
        out = counters;
    }
};

constexpr quint32 ipv4(int a, int b, int c, int d)
{
    return quint32(a) << 24 | quint32(b) << 16 | quint32(c) << 8 | quint32(d);
}

// Moves the process into a network namespace of its own with the loopback
// interface up, so that the socket tables hold only what the test opens.
// False when the system does not allow it (the test then shares the host's).
bool enterPrivateNetwork();

} // namespace wv::test
