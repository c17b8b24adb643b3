// The connection list on this machine's kernel, with sockets the test opens
// on loopback, read through netlink and through the /proc fallback.
#include "engine/MibIIAgent.h"
#include "engine/PloverIpConnectionList.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/LoopbackSockets.h"

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

class LiveConnections : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_private = enterPrivateNetwork(); }
    static bool s_private;

    // The rows of a refresh; limited to the given ports unless the test runs
    // in a network of its own, where every row is the test's.
    static QStringList refresh(SocketSourceChoice source, const QSet<int> &ports)
    {
        TPloverIpConnectionList list(nullptr, systemAgentLoader(source));
        list.Refresh();
        QStringList rows;
        for (int i = 0; i < list.Count(); ++i) {
            const TIpConnInfo *r = list.Items(i);
            if (!s_private && !ports.contains(r->LocalPort()) && !ports.contains(r->RemotePort()))
                continue;
            rows << QStringLiteral("%1 %2:%3 %4:%5 %6")
                        .arg(r->Protocol(), r->LocalAddress())
                        .arg(r->LocalPort())
                        .arg(r->RemoteAddress())
                        .arg(r->RemotePort())
                        .arg(r->StateName());
        }
        return rows;
    }

    static bool netlinkWorks() { return loadSystemAgent(SocketSourceChoice::Netlink) != nullptr; }
};

bool LiveConnections::s_private = false;

TEST_F(LiveConnections, ListsTheTestsSockets)
{
    LoopbackSockets s;
    const quint16 listener = s.listenTcp("127.0.0.1");
    const quint16 client = s.connectTcp("127.0.0.1", listener);
    const quint16 udp = s.bindUdp("127.0.0.1");
    const quint16 connectedUdp = s.connectUdp("127.0.0.1", udp);
    ASSERT_TRUE(listener && client && udp && connectedUdp);
    const QSet<int> ports = {listener, client, udp, connectedUdp};

    for (SocketSourceChoice source : {SocketSourceChoice::Netlink, SocketSourceChoice::Proc}) {
        if (source == SocketSourceChoice::Netlink && !netlinkWorks())
            continue;
        const QStringList rows = refresh(source, ports);
        const QString l = QString::number(listener), c = QString::number(client);
        EXPECT_TRUE(rows.contains("TCP 127.0.0.1:" + l + " 0.0.0.0:0 LISTEN"))
            << rows.join('\n').toStdString();
        EXPECT_TRUE(rows.contains("TCP 127.0.0.1:" + l + " 127.0.0.1:" + c + " ESTABLISHED"));
        EXPECT_TRUE(rows.contains("TCP 127.0.0.1:" + c + " 127.0.0.1:" + l + " ESTABLISHED"));
        EXPECT_TRUE(rows.contains(QStringLiteral("UDP 127.0.0.1:%1 0.0.0.0:0 LISTEN").arg(udp)));
        // A connected UDP socket is no listener.
        EXPECT_FALSE(rows.join('\n').contains(QStringLiteral(":%1 ").arg(connectedUdp)));
        // TCP rows come first.
        EXPECT_TRUE(rows.last().startsWith("UDP"));
    }
}

TEST_F(LiveConnections, Ipv6SocketsThatTakeIpv4)
{
    if (!netlinkWorks())
        GTEST_SKIP() << "no socket-diagnostics netlink here";
    LoopbackSockets s;
    const quint16 dual = s.listenTcp("::");
    const quint16 v6only = s.listenTcp("::", true);
    const quint16 v6loop = s.listenTcp("::1");
    const quint16 v4 = s.listenTcp("127.0.0.1");
    const quint16 mapped = s.connectTcp("::ffff:127.0.0.1", v4);
    const quint16 dualUdp = s.bindUdp("::");
    if (!dual || !v6only || !v6loop || !mapped || !dualUdp)
        GTEST_SKIP() << "no IPv6 loopback here";
    const QSet<int> ports = {dual, v6only, v6loop, v4, mapped, dualUdp};
    const QStringList rows = refresh(SocketSourceChoice::Netlink, ports);
    const QString all = rows.join('\n');
    EXPECT_TRUE(rows.contains(QStringLiteral("TCP 0.0.0.0:%1 0.0.0.0:0 LISTEN").arg(dual)))
        << all.toStdString();
    EXPECT_TRUE(rows.contains(
        QStringLiteral("TCP 127.0.0.1:%1 127.0.0.1:%2 ESTABLISHED").arg(mapped).arg(v4)));
    EXPECT_TRUE(rows.contains(QStringLiteral("UDP 0.0.0.0:%1 0.0.0.0:0 LISTEN").arg(dualUdp)));
    // IPv6-only sockets are IPv6 rows; the dual-stack listener is shown once, as IPv4.
    EXPECT_TRUE(rows.contains(QStringLiteral("TCP :::%1 :::0 LISTEN").arg(v6only)));
    EXPECT_TRUE(rows.contains(QStringLiteral("TCP ::1:%1 :::0 LISTEN").arg(v6loop)));
    EXPECT_EQ(all.count(QStringLiteral(":%1 ").arg(dual)), 1);
    EXPECT_EQ(all.count(QStringLiteral(":%1 ").arg(dualUdp)), 1);
}

TEST_F(LiveConnections, FallbackGivesTheSameRows)
{
    if (!netlinkWorks())
        GTEST_SKIP() << "no socket-diagnostics netlink here";
    LoopbackSockets s;
    const quint16 a = s.listenTcp("127.0.0.1");
    const quint16 b = s.listenTcp("0.0.0.0");
    const quint16 dual = s.listenTcp("::");
    QSet<int> ports = {a, b, dual};
    for (int i = 0; i < 3; ++i)
        ports << s.connectTcp("127.0.0.1", a) << s.connectTcp("127.0.0.1", b);
    if (dual)
        ports << s.connectTcp("::ffff:127.0.0.1", dual);
    ports << s.bindUdp("127.0.0.1") << s.bindUdp("0.0.0.0");
    ports.remove(0);

    // Sockets of other processes may come and go between the two reads when
    // the test shares the machine's network: try a few times.
    QStringList fast, fallback;
    for (int attempt = 0; attempt < 3; ++attempt) {
        fast = refresh(SocketSourceChoice::Netlink, ports);
        fallback = refresh(SocketSourceChoice::Proc, ports);
        if (fast == fallback)
            break;
    }
    EXPECT_EQ(fast, fallback);
    EXPECT_GE(fast.size(), 3 + 12 + 2);
}

} // namespace
