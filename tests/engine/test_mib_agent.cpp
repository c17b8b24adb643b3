// The in-process agent: lexicographic GETNEXT over the captured tables and
// counters, walk snapshots, and the IPv4 view of the kernel's sockets.
#include "engine/MibIIAgent.h"
#include "tests/engine/EngineTestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

using namespace wv;
using namespace wv::test;

namespace {

SocketEntry entry(quint32 local, quint16 lport, quint32 remote, quint16 rport, quint8 state)
{
    SocketEntry e;
    e.localAddress = local;
    e.localPort = lport;
    e.remoteAddress = remote;
    e.remotePort = rport;
    e.state = state;
    return e;
}

class MibAgentTest : public ::testing::Test
{
protected:
    FakeSockets *sockets = new FakeSockets;
    FakeCounters *counters = new FakeCounters;
    MibIIAgent agent{std::unique_ptr<SocketSource>(sockets),
                     std::unique_ptr<CounterSource>(counters)};

    void SetUp() override
    {
        counters->counters = {{"Ip", "Forwarding", 2},
                              {"Ip", "DefaultTTL", 64},
                              {"Ip", "InReceives", 5000000000},
                              {"Ip", "ReasmTimeout", 0},
                              {"Icmp", "InMsgs", 3},
                              {"Icmp", "InCsumErrors", 9},
                              {"Tcp", "MaxConn", -1},
                              {"Tcp", "CurrEstab", 4},
                              {"Tcp", "InErrs", 11},
                              {"Udp", "InDatagrams", 12},
                              {"UdpLite", "InDatagrams", 99}};
        sockets->tcp = {entry(ipv4(127, 0, 0, 1), 5001, ipv4(127, 0, 0, 1), 40000, 1),
                        entry(0, 22, 0, 0, KernelListen),
                        entry(ipv4(127, 0, 0, 1), 40000, ipv4(127, 0, 0, 1), 5001, 1),
                        // Two listeners sharing a port, and an IPv6 socket seen as
                        // IPv4, make one row each.
                        entry(0, 8080, 0, 0, KernelListen), entry(0, 8080, 0, 0, KernelListen),
                        entry(ipv4(127, 0, 0, 1), 40000, ipv4(127, 0, 0, 1), 5001, 8),
                        entry(ipv4(10, 1, 2, 3), 443, ipv4(10, 9, 9, 9), 50000, KernelNewSynRecv)};
        sockets->udp = {entry(ipv4(127, 0, 0, 1), 5353, 0, 0, KernelClose),
                        entry(0, 68, 0, 0, KernelClose),
                        entry(ipv4(127, 0, 0, 1), 6000, ipv4(127, 0, 0, 1), 53, KernelEstablished)};
    }

    bool getNext(SnmpVarBind &b)
    {
        SnmpVarBindList list{b};
        qint32 status = 0, index = 0;
        const bool ok = agent.query(SNMP_PDU_GETNEXT, list, status, index);
        b = list[0];
        return ok;
    }

    // The whole view, walked from the start.
    std::vector<SnmpVarBind> walkAll()
    {
        std::vector<SnmpVarBind> all;
        SnmpVarBind b;
        b.name = {1};
        while (getNext(b) && b.value.asnType != ASN_NULL) {
            all.push_back(b);
            if (all.size() > 1000)
                break;
        }
        return all;
    }
};

QString oidText(const Oid &o)
{
    QStringList parts;
    for (quint32 c : o)
        parts << QString::number(c);
    return parts.join(QLatin1Char('.'));
}

TEST_F(MibAgentTest, WalkIsOrderedAndTyped)
{
    const std::vector<SnmpVarBind> all = walkAll();
    QStringList names;
    for (std::size_t i = 0; i < all.size(); ++i) {
        names << oidText(all[i].name);
        if (i > 0) {
            EXPECT_LT(compareOid(all[i - 1].name, all[i].name), 0) << names.last().toStdString();
        }
    }
    // Scalars present in the counters, then the tables; a missing counter is
    // skipped, other groups' names are ignored.
    const QStringList expectedStart = {
        "1.3.6.1.2.1.4.1.0", "1.3.6.1.2.1.4.2.0", "1.3.6.1.2.1.4.3.0", "1.3.6.1.2.1.4.13.0",
        // ipRoutingDiscards, which Linux does not count: 0, as snmpd serves it.
        "1.3.6.1.2.1.4.23.0", "1.3.6.1.2.1.5.1.0", "1.3.6.1.2.1.6.4.0", "1.3.6.1.2.1.6.9.0"};
    EXPECT_EQ(names.mid(0, 8), expectedStart);
    EXPECT_EQ(all[4].value.asnType, ASN_COUNTER32);
    EXPECT_EQ(all[4].value.unsigned32, 0u);
    // Five TCP rows (duplicates merged) and two UDP rows (the connected one
    // left out); tcpConnectionTable has the three connections (two columns),
    // tcpListenerTable the two listeners, udpEndpointTable all three sockets.
    EXPECT_EQ(all.size(), 8 + 5 * 5 + 1 + 3 * 2 + 2 + 1 + 2 * 2 + 3);
    EXPECT_EQ(names[8], "1.3.6.1.2.1.6.13.1.1.0.0.0.0.22.0.0.0.0.0");
    EXPECT_EQ(names[9], "1.3.6.1.2.1.6.13.1.1.0.0.0.0.8080.0.0.0.0.0");
    EXPECT_EQ(names[10], "1.3.6.1.2.1.6.13.1.1.10.1.2.3.443.10.9.9.9.50000");
    EXPECT_EQ(names[33], "1.3.6.1.2.1.6.14.0");
    EXPECT_EQ(names[34], "1.3.6.1.2.1.6.19.1.7.1.4.10.1.2.3.443.1.4.10.9.9.9.50000");
    EXPECT_EQ(names[37], "1.3.6.1.2.1.6.19.1.8.1.4.10.1.2.3.443.1.4.10.9.9.9.50000");
    EXPECT_EQ(names[40], "1.3.6.1.2.1.6.20.1.4.1.4.0.0.0.0.22");
    EXPECT_EQ(names[43], "1.3.6.1.2.1.7.5.1.1.0.0.0.0.68");
    EXPECT_EQ(names[46], "1.3.6.1.2.1.7.5.1.2.127.0.0.1.5353");
    EXPECT_EQ(names[47], "1.3.6.1.2.1.7.7.1.8.1.4.0.0.0.0.68.1.4.0.0.0.0.0.0");
    EXPECT_EQ(names.last(), "1.3.6.1.2.1.7.7.1.8.1.4.127.0.0.1.6000.1.4.127.0.0.1.53.0");

    // Types and values: INTEGER, Counter32 cut to 32 bits, Gauge32, IpAddress.
    EXPECT_EQ(all[1].value.asnType, ASN_INTEGER);
    EXPECT_EQ(all[1].value.number, 64);
    EXPECT_EQ(all[2].value.asnType, ASN_COUNTER32);
    EXPECT_EQ(all[2].value.unsigned32, quint32(5000000000ull & 0xffffffffu));
    EXPECT_EQ(all[6].value.number, -1);
    EXPECT_EQ(all[7].value.asnType, ASN_GAUGE32);
    EXPECT_EQ(all[8].value.number, 2);  // LISTEN
    EXPECT_EQ(all[10].value.number, 4); // request socket: SYN_RECEIVED
    EXPECT_EQ(all[11].value.number, 5); // ESTABLISHED
    EXPECT_EQ(all[12].value.number, 5); // the first of two sockets with one index
    EXPECT_EQ(all[13].value.asnType, ASN_IPADDRESS);
    EXPECT_EQ(all[15].value.address, (std::array<quint8, 4>{10, 1, 2, 3}));
    EXPECT_EQ(all[34].value.asnType, ASN_INTEGER);
    EXPECT_EQ(all[34].value.number, 4);
    // The process columns are Unsigned32; these sockets have no owner.
    EXPECT_EQ(all[37].value.asnType, ASN_GAUGE32);
    EXPECT_EQ(all[37].value.unsigned32, 0u);
}

// IPv6 sockets: in the RFC 4022/4113 tables under address type 2 with sixteen
// octets (IPv4-mapped ones too), and in the IPv4 tables only with an IPv4 form.
TEST_F(MibAgentTest, Ipv6Tables)
{
    auto v6 = [](std::initializer_list<quint8> tail) {
        Ipv6Bytes a{};
        std::copy(tail.begin(), tail.end(), a.end() - tail.size());
        return a;
    };
    SocketEntry loop = entry(0, 5000, 0, 41000, KernelEstablished);
    loop.ipv6 = true;
    loop.hasIpv4View = false;
    loop.local6 = loop.remote6 = v6({1});
    loop.inode = 77;
    SocketEntry mapped = entry(ipv4(127, 0, 0, 1), 6000, ipv4(127, 0, 0, 1), 42000, 1);
    mapped.ipv6 = true;
    mapped.local6 = mapped.remote6 = v6({0xff, 0xff, 127, 0, 0, 1});
    SocketEntry listener = entry(0, 5000, 0, 0, KernelListen);
    listener.ipv6 = true;
    listener.hasIpv4View = false;
    SocketEntry udp = entry(0, 5353, 0, 0, KernelClose);
    udp.ipv6 = true;
    udp.hasIpv4View = false;
    udp.local6 = v6({1});
    udp.inode = 4242;
    sockets->tcp = {loop, mapped, listener};
    sockets->udp = {udp};

    QStringList names;
    for (const SnmpVarBind &b : walkAll()) {
        const QString n = oidText(b.name);
        if (n.startsWith("1.3.6.1.2.1.6.1") || n.startsWith("1.3.6.1.2.1.6.2") ||
            n.startsWith("1.3.6.1.2.1.7.5") || n.startsWith("1.3.6.1.2.1.7.7"))
            names << n + " " + QString::number(b.value.asnType);
    }
    const QString zeros = "0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.";
    const QString one = zeros + "1", any = zeros + "0";
    const QString mappedText = "0.0.0.0.0.0.0.0.0.0.255.255.127.0.0.1";
    EXPECT_EQ(
        names,
        QStringList({
            // Only the mapped connection has an IPv4 form.
            "1.3.6.1.2.1.6.13.1.1.127.0.0.1.6000.127.0.0.1.42000 2",
            "1.3.6.1.2.1.6.13.1.2.127.0.0.1.6000.127.0.0.1.42000 64",
            "1.3.6.1.2.1.6.13.1.3.127.0.0.1.6000.127.0.0.1.42000 2",
            "1.3.6.1.2.1.6.13.1.4.127.0.0.1.6000.127.0.0.1.42000 64",
            "1.3.6.1.2.1.6.13.1.5.127.0.0.1.6000.127.0.0.1.42000 2",
            "1.3.6.1.2.1.6.14.0 65",
            "1.3.6.1.2.1.6.19.1.7.2.16." + one + ".5000.2.16." + one + ".41000 2",
            "1.3.6.1.2.1.6.19.1.7.2.16." + mappedText + ".6000.2.16." + mappedText + ".42000 2",
            "1.3.6.1.2.1.6.19.1.8.2.16." + one + ".5000.2.16." + one + ".41000 66",
            "1.3.6.1.2.1.6.19.1.8.2.16." + mappedText + ".6000.2.16." + mappedText + ".42000 66",
            "1.3.6.1.2.1.6.20.1.4.2.16." + any + ".5000 66",
            "1.3.6.1.2.1.7.7.1.8.2.16." + one + ".5353.2.16." + any + ".0.4242 66",
        }))
        << names.join('\n').toStdString();
}

// Any request name gets the first object after it, as the walk lists them.
TEST_F(MibAgentTest, NextFromAnyIdentifier)
{
    const std::vector<SnmpVarBind> all = walkAll();
    std::vector<Oid> probes = {{},
                               {0},
                               {1, 3, 6, 1, 2, 1, 6},
                               {1, 3, 6, 1, 2, 1, 6, 13},
                               {1, 3, 6, 1, 2, 1, 6, 13, 1, 1},
                               {1, 3, 6, 1, 2, 1, 6, 13, 1, 3, 300},
                               {1, 3, 6, 1, 2, 1, 6, 13, 1, 6},
                               {1, 3, 6, 1, 2, 1, 6, 13, 0xFFFFFFFF, 0xFFFFFFFF},
                               {1, 3, 6, 1, 2, 1, 7, 5, 1, 2, 127, 0, 0, 1, 5353},
                               {1, 3, 6, 1, 2, 1, 8},
                               {2}};
    std::mt19937 random(7);
    for (const SnmpVarBind &b : all) {
        Oid o = b.name;
        probes.push_back(o);
        o.push_back(0);
        probes.push_back(o);
        o.pop_back();
        o.back() += 1;
        probes.push_back(o);
        o.resize(random() % o.size());
        probes.push_back(o);
    }
    for (const Oid &probe : probes) {
        const auto expected = std::find_if(all.begin(), all.end(), [&](const SnmpVarBind &b) {
            return compareOid(b.name, probe) > 0;
        });
        SnmpVarBind b;
        b.name = probe;
        // A fresh walk every time: the previous answer is not the cursor.
        SnmpVarBind reset;
        reset.name = {1, 3};
        getNext(reset);
        ASSERT_TRUE(getNext(b));
        if (expected == all.end()) {
            EXPECT_EQ(b.value.asnType, ASN_NULL) << oidText(probe).toStdString();
            EXPECT_EQ(b.name, probe);
        } else {
            EXPECT_EQ(oidText(b.name), oidText(expected->name)) << oidText(probe).toStdString();
        }
    }
}

TEST_F(MibAgentTest, OneWalkSeesOneSnapshot)
{
    SnmpVarBind b;
    b.name = {1, 3, 6, 1, 2, 1, 6, 13, 1, 1};
    ASSERT_TRUE(getNext(b));
    EXPECT_EQ(sockets->tcpReads, 1);
    // The kernel's table changes while the walk goes on...
    sockets->tcp.clear();
    counters->counters.clear();
    int rows = 1;
    while (getNext(b) && b.name.size() > 9 && b.name[7] == 13)
        ++rows;
    EXPECT_EQ(rows, 25);
    EXPECT_EQ(oidText(b.name).toStdString(), "1.3.6.1.2.1.6.14.0"); // captured at the start
    EXPECT_EQ(sockets->tcpReads, 1);
    // ...and only the next walk sees the change.
    b.name = {1, 3, 6, 1, 2, 1, 6, 13, 1, 1};
    ASSERT_TRUE(getNext(b));
    EXPECT_EQ(oidText(b.name).toStdString(), "1.3.6.1.2.1.7.5.1.1.0.0.0.0.68");
    EXPECT_EQ(sockets->tcpReads, 2);
}

TEST_F(MibAgentTest, CounterReadsLeaveTheTablesAlone)
{
    for (const Oid &name :
         {Oid{1, 3, 6, 1, 2, 1, 4, 2, 1, 1}, Oid{1, 3, 6, 1, 2, 1, 6, 13, 0xFFFFFFFF, 0xFFFFFFFF},
          Oid{1, 3, 6, 1, 2, 1, 7, 0, 1, 1}}) {
        SnmpVarBind b;
        b.name = name;
        ASSERT_TRUE(getNext(b));
        EXPECT_EQ(b.name.size(), 9u);
        EXPECT_EQ(b.name.back(), 0u);
    }
    EXPECT_EQ(sockets->tcpReads + sockets->udpReads, 0);
    EXPECT_EQ(counters->reads, 3);
}

TEST_F(MibAgentTest, FailuresAreReportedByTheResult)
{
    sockets->fail = true;
    SnmpVarBindList list(1);
    list[0].name = {1, 3, 6, 1, 2, 1, 6, 13, 1, 1};
    qint32 status = 0, index = 0;
    EXPECT_FALSE(agent.query(SNMP_PDU_GETNEXT, list, status, index));
    EXPECT_NE(status, 0);
    EXPECT_FALSE(agent.query(0xA0, list, status, index)); // only GETNEXT is served
    sockets->fail = false;
    EXPECT_TRUE(agent.query(SNMP_PDU_GETNEXT, list, status, index));
    EXPECT_EQ(status, 0);

    counters->works = false;
    EXPECT_FALSE(agent.init(0));
}

// Walks over socket tables that stay the same between walks, change a little
// or change back answer exactly what a new agent answers over the same tables,
// in whole walks and in the two walks (TCP, then UDP) a refresh makes.
TEST_F(MibAgentTest, RepeatedWalksAnswerAsAFreshAgent)
{
    std::mt19937 random(1234);
    const std::vector<SocketEntry> firstTcp = sockets->tcp, firstUdp = sockets->udp;
    auto describe = [](const std::vector<SnmpVarBind> &walk) {
        QStringList out;
        for (const SnmpVarBind &b : walk)
            out << oidText(b.name) + QLatin1Char(' ') + QString::number(b.value.asnType) +
                       QLatin1Char(' ') + QString::number(b.value.unsigned32) + QLatin1Char(' ') +
                       QString::number(b.value.address[0]) + QString::number(b.value.address[3]);
        return out;
    };
    // From a table's first column to the end of the view, in one walk.
    auto walkFrom = [](MibIIAgent &a, Oid from) {
        std::vector<SnmpVarBind> all;
        SnmpVarBind b;
        b.name = std::move(from);
        SnmpVarBindList list{b};
        qint32 status = 0, index = 0;
        while (a.query(SNMP_PDU_GETNEXT, list, status, index) &&
               list[0].value.asnType != ASN_NULL && all.size() < 1000)
            all.push_back(list[0]);
        return all;
    };
    const Oid tcpStart{1, 3, 6, 1, 2, 1, 6, 13, 1, 1};
    const Oid udpStart{1, 3, 6, 1, 2, 1, 7, 5, 1, 1};
    for (int step = 0; step < 60; ++step) {
        switch (random() % 6) {
        case 0: // a connection changes state
            sockets->tcp[random() % sockets->tcp.size()].state = quint8(1 + random() % 11);
            break;
        case 1: // one more
            sockets->tcp.push_back(entry(ipv4(127, 0, 0, 1 + random() % 3),
                                         quint16(1000 + random() % 50), ipv4(127, 0, 0, 9),
                                         quint16(2000 + random() % 50), 1));
            break;
        case 2:
            sockets->udp.push_back(
                entry(ipv4(127, 0, 0, 1), quint16(3000 + random() % 50), 0, 0, KernelClose));
            break;
        case 3: // back to the first tables
            sockets->tcp = firstTcp;
            sockets->udp = firstUdp;
            break;
        default: // nothing changes
            break;
        }
        const bool traffic = random() % 4 == 0;
        const bool owners = random() % 2 == 0;
        auto *freshSockets = new FakeSockets;
        freshSockets->tcp = sockets->tcp;
        freshSockets->udp = sockets->udp;
        auto *freshCounters = new FakeCounters;
        freshCounters->counters = counters->counters;
        MibIIAgent fresh{std::unique_ptr<SocketSource>(freshSockets),
                         std::unique_ptr<CounterSource>(freshCounters)};
        fresh.setDetails(owners, traffic);
        agent.setDetails(owners, traffic);
        const bool whole = random() % 2 == 0;
        if (whole) {
            EXPECT_EQ(describe(walkFrom(agent, {1})), describe(walkFrom(fresh, {1})))
                << "step " << step;
        } else {
            EXPECT_EQ(describe(walkFrom(agent, tcpStart)), describe(walkFrom(fresh, tcpStart)))
                << "step " << step;
            EXPECT_EQ(describe(walkFrom(agent, udpStart)), describe(walkFrom(fresh, udpStart)))
                << "step " << step;
        }
    }
}

} // namespace
