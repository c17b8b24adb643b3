// The two ways round the agent's walk against the walk itself: the list read
// straight from the socket tables, and a refresh that keeps its rows because
// the tables did not change. Both must give the rows a plain walk gives, for
// random tables full of the awkward cases (sockets sharing an index,
// IPv4-mapped and dual-stack IPv6 sockets, listeners with a remote end) and
// for the kernel's own tables.
#include "engine/DirectConnectionList.h"
#include "engine/EngineErrors.h"
#include "engine/MibIIAgent.h"
#include "engine/PloverIpConnectionList.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/LoopbackSockets.h"

#include <QStringList>

#include <arpa/inet.h>

#include <optional>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

QString describe(const TIpConnInfo &r)
{
    return QStringLiteral("%1 %2 %3:%4 %5:%6 %7")
        .arg(r.Protocol())
        .arg(r.Family())
        .arg(r.LocalAddress())
        .arg(r.LocalPort())
        .arg(r.RemoteAddress())
        .arg(r.RemotePort())
        .arg(r.State());
}

QStringList walkRows(const AgentLoader &loader, TIpProtocols protocols)
{
    TPloverIpConnectionList list(nullptr, loader);
    list.setProtocols(protocols);
    list.Refresh();
    QStringList rows;
    for (int i = 0; i < list.Count(); ++i)
        rows << describe(*list.Items(i));
    return rows;
}

QStringList directRows(SocketSource &sockets, TIpProtocols protocols)
{
    DirectConnectionList list(sockets);
    list.setProtocols(protocols);
    list.Refresh();
    QStringList rows;
    for (int i = 0; i < list.Count(); ++i)
        rows << describe(list.Items(i));
    return rows;
}

// The counters every kernel has around the tables: the walk of the TCP
// tables ends on the one after them.
std::unique_ptr<FakeCounters> kernelCounters()
{
    auto counters = std::make_unique<FakeCounters>();
    counters->counters = {{"Tcp", "InErrs", 0}, {"Tcp", "OutRsts", 0}, {"Udp", "InDatagrams", 0}};
    return counters;
}

// The walk's rows over a copy of the fake tables.
AgentLoader walkOver(const FakeSockets &sockets)
{
    return [tcp = sockets.tcp, udp = sockets.udp] {
        auto copy = std::make_unique<FakeSockets>();
        copy->tcp = tcp;
        copy->udp = udp;
        return std::make_unique<MibIIAgent>(std::move(copy), kernelCounters());
    };
}

Ipv6Bytes ipv6(const char *text)
{
    Ipv6Bytes a{};
    ::inet_pton(AF_INET6, text, a.data());
    return a;
}

// A socket as the sources report it, from small pools of addresses and ports
// so that indexes collide often.
SocketEntry randomEntry(std::mt19937 &random, bool udp)
{
    static const quint32 v4[] = {0, ipv4(127, 0, 0, 1), ipv4(127, 0, 0, 2), ipv4(10, 1, 2, 3)};
    static const char *const v6[] = {"::",      "::1",        "::ffff:127.0.0.1", "::ffff:0.0.0.0",
                                     "fe80::1", "2001:db8::7"};
    static const quint16 ports[] = {0, 22, 80, 5353, 40000};
    static const quint8 tcpStates[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10, 10, 11, 12};
    SocketEntry e;
    e.state = udp ? quint8(random() % 3 ? KernelClose : KernelEstablished)
                  : tcpStates[random() % std::size(tcpStates)];
    const bool listening = !udp && e.state == KernelListen;
    e.localPort = ports[random() % std::size(ports)];
    // Listening and receiving sockets mostly have no remote end.
    const bool noRemote = (listening || (udp && e.state == KernelClose)) && random() % 4 != 0;
    e.remotePort = noRemote ? 0 : ports[random() % std::size(ports)];
    e.inode = quint32(random() % 5);
    if (random() % 2) {
        e.localAddress = v4[random() % std::size(v4)];
        e.remoteAddress = noRemote ? 0 : v4[random() % std::size(v4)];
        return e;
    }
    e.ipv6 = true;
    e.local6 = ipv6(v6[random() % std::size(v6)]);
    e.remote6 = noRemote ? Ipv6Bytes{} : ipv6(v6[random() % std::size(v6)]);
    const bool v6only = random() % 2;
    quint8 local[16], remote[16];
    std::copy(e.local6.begin(), e.local6.end(), local);
    std::copy(e.remote6.begin(), e.remote6.end(), remote);
    e.hasIpv4View =
        ipv4View(local, !v6only, e.localAddress) && ipv4View(remote, true, e.remoteAddress);
    if (!e.hasIpv4View)
        e.localAddress = e.remoteAddress = 0;
    return e;
}

TEST(DirectConnectionList, RandomTablesGiveTheWalksRows)
{
    std::mt19937 random(20261209);
    const TIpProtocols choices[] = {TIpProtocols(tcp_ip) | udp_ip, TIpProtocols(tcp_ip),
                                    TIpProtocols(udp_ip)};
    int ipv6Rows = 0;
    for (int round = 0; round < 300; ++round) {
        FakeSockets sockets;
        const int count = int(random() % 40);
        for (int i = 0; i < count; ++i) {
            const bool udp = random() % 3 == 0;
            (udp ? sockets.udp : sockets.tcp).push_back(randomEntry(random, udp));
        }
        const TIpProtocols protocols = choices[round % 3];
        const QStringList walk = walkRows(walkOver(sockets), protocols);
        const QStringList direct = directRows(sockets, protocols);
        ASSERT_EQ(direct, walk) << "round " << round;
        ipv6Rows += int(walk.filter(QStringLiteral(" 6 ")).size());
    }
    // The rounds reached the IPv6 rows, not only the IPv4 table.
    EXPECT_GT(ipv6Rows, 300);
}

TEST(DirectConnectionList, FailedReadsAndIndexes)
{
    FakeSockets sockets;
    sockets.tcp.push_back(SocketEntry{});
    DirectConnectionList list(sockets);
    list.Refresh();
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Items(1), EListError);
    EXPECT_THROW(list.Items(-1), EListError);
    // A failed read leaves no rows of the last one and says so as the walk does.
    sockets.fail = true;
    try {
        list.Refresh();
        FAIL() << "the failed read was not reported";
    } catch (const EConnListRefreshError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("SNMP query failed."));
    }
    EXPECT_EQ(list.Count(), 0);
}

// A list refreshed again and again while its tables change now and then (or
// change and change back) shows at every refresh what a new list over the same
// tables shows; it keeps its rows exactly when nothing changed, and reads each
// table once per refresh either way.
TEST(ListAtRest, KeepsItsRowsOnlyWhileTheTablesStay)
{
    std::mt19937 random(7741);
    auto *sockets = new FakeSockets;
    for (int i = 0; i < 30; ++i) {
        const bool udp = i % 3 == 0;
        (udp ? sockets->udp : sockets->tcp).push_back(randomEntry(random, udp));
    }
    const FakeSockets first = *sockets;
    TPloverIpConnectionList list(nullptr, [sockets] {
        return std::make_unique<MibIIAgent>(std::unique_ptr<SocketSource>(sockets),
                                            kernelCounters());
    });
    const TIpProtocols choices[] = {TIpProtocols(tcp_ip) | udp_ip, TIpProtocols(tcp_ip),
                                    TIpProtocols(udp_ip)};
    TIpProtocols protocols = choices[0];
    bool details = false;
    int kept = 0, made = 0;
    // What the last refresh read.
    std::optional<
        std::tuple<TIpProtocols, bool, std::vector<SocketEntry>, std::vector<SocketEntry>>>
        last;
    QStringList before;
    for (int step = 0; step < 400; ++step) {
        switch (random() % 8) {
        case 0: // a socket changes state, or keeps it
            if (!sockets->tcp.empty())
                sockets->tcp[random() % sockets->tcp.size()].state = quint8(1 + random() % 11);
            break;
        case 1: // one comes or goes
            if (random() % 2 || sockets->udp.empty())
                sockets->udp.push_back(randomEntry(random, true));
            else
                sockets->udp.erase(sockets->udp.begin() +
                                   std::ptrdiff_t(random() % sockets->udp.size()));
            break;
        case 2: // back to the first tables
            sockets->tcp = first.tcp;
            sockets->udp = first.udp;
            break;
        case 3: // other tables or details asked for, or the same again
            protocols = choices[random() % 3];
            details = random() % 2;
            break;
        default:
            break;
        }
        const bool tcp = protocols.testFlag(tcp_ip), udp = protocols.testFlag(udp_ip);
        // Nothing the refresh reads differs from what the last one read.
        const bool same = last && std::get<0>(*last) == protocols &&
                          std::get<1>(*last) == details &&
                          (!tcp || std::get<2>(*last) == sockets->tcp) &&
                          (!udp || std::get<3>(*last) == sockets->udp);
        list.setProtocols(protocols);
        list.setDetails(details, false);
        const quint64 generation = list.rowsGeneration();
        const int tcpReads = sockets->tcpReads, udpReads = sockets->udpReads;
        list.Refresh();
        QStringList rows;
        for (int i = 0; i < list.Count(); ++i)
            rows << describe(*list.Items(i));
        ASSERT_EQ(rows, walkRows(walkOver(*sockets), protocols)) << "step " << step;
        EXPECT_EQ(sockets->tcpReads - tcpReads, tcp ? 1 : 0) << "step " << step;
        EXPECT_EQ(sockets->udpReads - udpReads, udp ? 1 : 0) << "step " << step;
        EXPECT_EQ(list.rowsGeneration() == generation, same) << "step " << step;
        (same ? kept : made)++;
        last = {protocols, details, sockets->tcp, sockets->udp};
        before = rows;
    }
    EXPECT_GT(kept, 100);
    EXPECT_GT(made, 100);

    // A failed read keeps nothing: the refresh after it walks again.
    sockets->fail = true;
    EXPECT_THROW(list.Refresh(), EConnListRefreshError);
    sockets->fail = false;
    const quint64 generation = list.rowsGeneration();
    list.Refresh();
    EXPECT_NE(list.rowsGeneration(), generation);
}

class DirectLiveTables : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_private = enterPrivateNetwork(); }
    static bool s_private;
};

bool DirectLiveTables::s_private = false;

TEST_F(DirectLiveTables, KernelTablesGiveTheWalksRows)
{
    LoopbackSockets s;
    const quint16 v4 = s.listenTcp("127.0.0.1");
    s.listenTcp("0.0.0.0");
    for (int i = 0; i < 3; ++i)
        s.connectTcp("127.0.0.1", v4);
    s.bindUdp("127.0.0.1");
    s.connectUdp("127.0.0.1", s.bindUdp("0.0.0.0"));
    // IPv6, where the loopback has it: dual-stack and IPv6-only listeners,
    // IPv4-mapped and IPv6 connections, UDP of both kinds.
    const quint16 dual = s.listenTcp("::");
    if (dual) {
        s.listenTcp("::", true);
        const quint16 loop6 = s.listenTcp("::1");
        s.connectTcp("::ffff:127.0.0.1", dual);
        s.connectTcp("::1", loop6);
        s.bindUdp("::");
        s.bindUdp("::", true);
        s.bindUdp("::1");
    }
    for (SocketSourceChoice choice : {SocketSourceChoice::Netlink, SocketSourceChoice::Proc}) {
        const std::unique_ptr<SocketSource> sockets = loadSystemSockets(choice);
        if (!sockets)
            continue;
        // Other programs' sockets may change between the two reads when the
        // test shares the machine's network: try a few times.
        QStringList walk, direct;
        for (int attempt = 0; attempt < (s_private ? 1 : 5); ++attempt) {
            walk = walkRows(systemAgentLoader(choice), TIpProtocols(tcp_ip) | udp_ip);
            direct = directRows(*sockets, TIpProtocols(tcp_ip) | udp_ip);
            if (walk == direct)
                break;
        }
        EXPECT_EQ(direct, walk) << sockets->name().toStdString();
        EXPECT_GE(walk.size(), 10);
        if (dual) {
            EXPECT_FALSE(walk.filter(QStringLiteral("TCP 6 ::1:")).isEmpty());
        }
    }
}

} // namespace
