#include "tests/engine/EngineTestSupport.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace wv::test {

namespace {

class ForwardingAgent : public MibAgent
{
public:
    explicit ForwardingAgent(std::shared_ptr<ScriptedAgent> script) : m_script(std::move(script)) {}
    bool init(quint32) override { return m_script->initResult; }
    bool query(quint8 requestType, SnmpVarBindList &list, qint32 &errorStatus,
               qint32 &errorIndex) override
    {
        if (requestType != SNMP_PDU_GETNEXT)
            return false;
        return m_script->query(list, errorStatus, errorIndex);
    }

private:
    std::shared_ptr<ScriptedAgent> m_script;
};

Oid column(quint32 group, quint32 table, quint32 col, std::initializer_list<quint32> index)
{
    Oid o{1, 3, 6, 1, 2, 1, group, table, 1, col};
    o.insert(o.end(), index);
    return o;
}

} // namespace

bool ScriptedAgent::query(SnmpVarBindList &list, qint32 &errorStatus, qint32 &errorIndex)
{
    if (onQuery)
        onQuery();
    if (failAt >= 0 && queries++ >= failAt)
        return false;
    for (SnmpVarBind &b : list) {
        const auto it = objects.upper_bound(b.name);
        if (it == objects.end()) {
            b.value = AsnAny();
            continue;
        }
        b.name = it->first;
        b.value = it->second;
    }
    errorStatus = reportedErrorStatus;
    errorIndex = reportedErrorStatus ? 1 : 0;
    return true;
}

void ScriptedAgent::addTcpRow(qint32 state, std::array<quint8, 4> l, qint32 lp,
                              std::array<quint8, 4> r, qint32 rp)
{
    const std::initializer_list<quint32> idx = {l[0], l[1], l[2], l[3], quint32(lp),
                                                r[0], r[1], r[2], r[3], quint32(rp)};
    add(column(6, 13, 1, idx), integer(state));
    add(column(6, 13, 2, idx), ipAddress(l));
    add(column(6, 13, 3, idx), integer(lp));
    add(column(6, 13, 4, idx), ipAddress(r));
    add(column(6, 13, 5, idx), integer(rp));
}

void ScriptedAgent::addUdpRow(std::array<quint8, 4> l, qint32 lp)
{
    const std::initializer_list<quint32> idx = {l[0], l[1], l[2], l[3], quint32(lp)};
    add(column(7, 5, 1, idx), ipAddress(l));
    add(column(7, 5, 2, idx), integer(lp));
}

namespace {

// An InetAddressType, InetAddress and port: 1.4.a.b.c.d.port for a text
// IPv4 address, 2.16.<16 octets>.port for an IPv6 one.
void putInet(Oid &o, const char *address, quint32 port)
{
    quint8 bytes[16];
    if (::inet_pton(AF_INET, address, bytes) == 1) {
        o.insert(o.end(), {1, 4});
        o.insert(o.end(), bytes, bytes + 4);
    } else if (::inet_pton(AF_INET6, address, bytes) == 1) {
        o.insert(o.end(), {2, 16});
        o.insert(o.end(), bytes, bytes + 16);
    }
    o.push_back(port);
}

} // namespace

void ScriptedAgent::addConnection(qint32 state, const char *local, quint32 lp, const char *remote,
                                  quint32 rp, quint32 pid)
{
    Oid idx;
    putInet(idx, local, lp);
    putInet(idx, remote, rp);
    Oid o = {1, 3, 6, 1, 2, 1, 6, 19, 1, 7};
    o.insert(o.end(), idx.begin(), idx.end());
    add(o, integer(state));
    o[9] = 8;
    add(o, gauge(pid));
}

void ScriptedAgent::addListener(const char *local, quint32 lp, quint32 pid)
{
    Oid o = {1, 3, 6, 1, 2, 1, 6, 20, 1, 4};
    putInet(o, local, lp);
    add(o, gauge(pid));
}

void ScriptedAgent::addEndpoint(const char *local, quint32 lp, const char *remote, quint32 rp,
                                quint32 instance, quint32 pid)
{
    Oid o = {1, 3, 6, 1, 2, 1, 7, 7, 1, 8};
    putInet(o, local, lp);
    putInet(o, remote, rp);
    o.push_back(instance);
    add(o, gauge(pid));
}

AgentLoader loaderFor(std::shared_ptr<ScriptedAgent> script, int *loads)
{
    return [script, loads]() -> std::unique_ptr<MibAgent> {
        if (loads)
            ++*loads;
        return std::make_unique<ForwardingAgent>(script);
    };
}

AsnAny integer(qint32 v)
{
    AsnAny a;
    a.asnType = ASN_INTEGER;
    a.number = v;
    return a;
}

AsnAny counter(quint32 v)
{
    AsnAny a;
    a.asnType = ASN_COUNTER32;
    a.unsigned32 = v;
    return a;
}

AsnAny gauge(quint32 v)
{
    AsnAny a;
    a.asnType = ASN_GAUGE32;
    a.unsigned32 = v;
    return a;
}

AsnAny ipAddress(std::array<quint8, 4> addr)
{
    AsnAny a;
    a.asnType = ASN_IPADDRESS;
    a.address = addr;
    return a;
}

void FakeSockets::readTcp(std::vector<SocketEntry> &out)
{
    ++tcpReads;
    if (fail)
        throw SourceError("fake failure");
    out.insert(out.end(), tcp.begin(), tcp.end());
}

void FakeSockets::readUdp(std::vector<SocketEntry> &out)
{
    ++udpReads;
    if (fail)
        throw SourceError("fake failure");
    out.insert(out.end(), udp.begin(), udp.end());
}

bool enterPrivateNetwork()
{
    // WV_TEST_SHARED_NETWORK=1 runs the tests among the machine's own sockets.
    if (qEnvironmentVariableIsSet("WV_TEST_SHARED_NETWORK") || ::unshare(CLONE_NEWNET) != 0)
        return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags |= IFF_UP;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
    ::close(fd);
    return up;
}

} // namespace wv::test
