// Reading another host's tables: agent names and the rows decoded from the
// indexes of the connection tables.
#include "remote/RemoteAgent.h"
#include "remote/RemoteTables.h"

#include <gtest/gtest.h>

using namespace wv;

namespace {

std::vector<quint32> inet4(std::initializer_list<quint32> a)
{
    std::vector<quint32> v = {1, 4};
    v.insert(v.end(), a);
    return v;
}

std::vector<quint32> inet6(std::initializer_list<quint32> a)
{
    std::vector<quint32> v = {2, 16};
    v.insert(v.end(), a);
    return v;
}

std::vector<quint32> cat(std::initializer_list<std::vector<quint32>> parts)
{
    std::vector<quint32> v;
    for (const auto &p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}

QStringList keys(const QList<SnapshotRow> &rows)
{
    QStringList k;
    for (const SnapshotRow &r : rows)
        k << r.protocol + QLatin1Char(' ') + r.localAddress + QLatin1Char(':') +
                 QString::number(r.localPort) + QLatin1Char(' ') + r.keyLine();
    return k;
}

} // namespace

TEST(RemoteAgent, AddressesAndSettings)
{
    RemoteAgent a;
    QString why;
    ASSERT_TRUE(a.setAddress(QStringLiteral("10.0.0.7"), &why));
    EXPECT_EQ(a.peerName(), QStringLiteral("udp:10.0.0.7:161"));
    ASSERT_TRUE(a.setAddress(QStringLiteral("tcp:router.example:1161"), &why));
    EXPECT_EQ(a.transport, QStringLiteral("tcp"));
    EXPECT_EQ(a.displayName(), QStringLiteral("tcp:router.example:1161"));
    ASSERT_TRUE(a.setAddress(QStringLiteral("udp:[::1]:16100"), &why));
    EXPECT_EQ(a.host, QStringLiteral("::1"));
    EXPECT_EQ(a.peerName(), QStringLiteral("udp:[::1]:16100"));
    ASSERT_TRUE(a.setAddress(QStringLiteral("fe80::1"), &why));
    EXPECT_EQ(a.port, 161);
    for (const char *bad : {"", "host:0", "host:65536", "host:+5", "host:x", "[::1", "[nothost]:5",
                            "bad host", "a;rm -rf:5"}) {
        RemoteAgent b;
        EXPECT_FALSE(b.setAddress(QString::fromLatin1(bad), &why)) << bad;
        EXPECT_FALSE(why.isEmpty());
    }

    RemoteAgent v3;
    v3.host = QStringLiteral("h");
    v3.version = RemoteAgent::Version::V3;
    EXPECT_FALSE(v3.validate().isEmpty()); // no user
    v3.user = QStringLiteral("u");
    EXPECT_TRUE(v3.validate().isEmpty()); // noAuthNoPriv
    v3.privProtocol = QStringLiteral("AES");
    v3.privPassphrase = QStringLiteral("longenough");
    EXPECT_FALSE(v3.validate().isEmpty()); // privacy without authentication
    v3.authProtocol = QStringLiteral("SHA-256");
    v3.authPassphrase = QStringLiteral("short");
    EXPECT_TRUE(v3.validate().contains(QStringLiteral("8 characters")));
    v3.authPassphrase = QStringLiteral("longenough");
    EXPECT_TRUE(v3.validate().isEmpty());
    v3.authProtocol = QStringLiteral("SHA-1024");
    EXPECT_TRUE(v3.validate().contains(QStringLiteral("unknown authentication")));
}

TEST(RemoteTables, Rfc4022IndexesBecomeRowsInTableOrder)
{
    RemoteTableDecoder d;
    // An established connection and a TIME_WAIT one, given out of order.
    auto c2 = cat({inet4({192, 168, 1, 2}), {443}, inet4({10, 0, 0, 9}), {51000}});
    auto c1 = cat({inet4({127, 0, 0, 1}), {22}, inet4({127, 0, 0, 1}), {40000}});
    EXPECT_TRUE(d.addTcpConnection(c2.data(), c2.size(), 11));
    EXPECT_TRUE(d.addTcpConnection(c1.data(), c1.size(), 5));
    // An IPv4-mapped peer on a dual-stack socket is an IPv4 connection.
    auto mapped = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 127, 0, 0, 1}),
                       {8080},
                       inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 127, 0, 0, 1}),
                       {50000}});
    EXPECT_TRUE(d.addTcpConnection(mapped.data(), mapped.size(), 5));
    // A plain IPv6 connection is an IPv6 row.
    auto v6 = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                   {80},
                   inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                   {50001}});
    EXPECT_TRUE(d.addTcpConnection(v6.data(), v6.size(), 5));
    // Listeners: IPv4 wildcard, dual-stack wildcard, the unknown-type
    // wildcard and an IPv6 loopback one.
    auto l1 = cat({inet4({0, 0, 0, 0}), {22}});
    auto l2 = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), {8080}});
    std::vector<quint32> l3 = {0, 0, 25};
    auto l4 = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}), {631}});
    for (const auto *l : {&l1, &l2, &l3, &l4})
        EXPECT_TRUE(d.addTcpListener(l->data(), l->size()));
    // Also listening on :: and 0.0.0.0 at once: one row.
    auto l5 = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), {22}});
    EXPECT_TRUE(d.addTcpListener(l5.data(), l5.size()));
    // UDP endpoints carry the remote end and an instance; the row is local.
    auto u1 = cat({inet4({127, 0, 0, 1}), {53}, inet4({0, 0, 0, 0}), {0}, {1}});
    auto u2 = cat({inet4({127, 0, 0, 1}), {53}, inet4({10, 1, 1, 1}), {5353}, {2}});
    EXPECT_TRUE(d.addUdpEndpoint(u1.data(), u1.size()));
    EXPECT_TRUE(d.addUdpEndpoint(u2.data(), u2.size()));

    // An IPv6 UDP socket with two peers: one row.
    auto u3 = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                   {5353},
                   inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                   {0},
                   {1}});
    auto u4 = cat({inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                   {5353},
                   inet6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                   {9},
                   {2}});
    EXPECT_TRUE(d.addUdpEndpoint(u3.data(), u3.size()));
    EXPECT_TRUE(d.addUdpEndpoint(u4.data(), u4.size()));
    EXPECT_EQ(d.ipv6Rows(), 4);
    const QStringList expected = {
        "TCP 0.0.0.0:22 0.0.0.0*22*0*LISTEN",
        "TCP 0.0.0.0:25 0.0.0.0*25*0*LISTEN",
        "TCP 0.0.0.0:8080 0.0.0.0*8080*0*LISTEN",
        "TCP 127.0.0.1:22 127.0.0.1*22*40000*ESTABLISHED",
        "TCP 127.0.0.1:8080 127.0.0.1*8080*50000*ESTABLISHED",
        "TCP 192.168.1.2:443 10.0.0.9*443*51000*TIME_WAIT",
        "TCP ::1:80 ::1*80*50001*ESTABLISHED",
        "TCP ::1:631 ::*631*0*LISTEN",
        "UDP 127.0.0.1:53 0.0.0.0*53*0*LISTEN",
        "UDP ::1:5353 ::*5353*0*LISTEN",
    };
    EXPECT_EQ(keys(d.takeRows()).join('\n').toStdString(), expected.join('\n').toStdString());
    EXPECT_TRUE(d.takeRows().isEmpty());
}

TEST(RemoteTables, MibIIIndexesAndMalformedOnes)
{
    RemoteTableDecoder d;
    const std::vector<quint32> tcp = {10, 0, 0, 1, 80, 10, 0, 0, 2, 33000};
    const std::vector<quint32> udp = {0, 0, 0, 0, 123};
    EXPECT_TRUE(d.addTcpConnEntry(tcp.data(), tcp.size(), 5));
    EXPECT_TRUE(d.addUdpEntry(udp.data(), udp.size()));
    // Octets above 255, ports above 65535, lengths that run past the end,
    // trailing parts and unknown address types are not rows.
    const std::vector<std::vector<quint32>> badTcp = {{10, 0, 0, 256, 80, 10, 0, 0, 2, 1},
                                                      {10, 0, 0, 1, 70000, 10, 0, 0, 2, 1},
                                                      {10, 0, 0, 1, 80, 10, 0, 0, 2},
                                                      {10, 0, 0, 1, 80, 10, 0, 0, 2, 1, 9}};
    for (const auto &b : badTcp)
        EXPECT_FALSE(d.addTcpConnEntry(b.data(), b.size(), 5));
    const std::vector<std::vector<quint32>> badInet = {
        {1, 4, 10, 0, 0},       {1, 5, 10, 0, 0, 1, 1, 80},
        {9, 4, 1, 2, 3, 4, 80}, {1, 4, 1, 2, 3, 4},
        {0, 0, 80, 1},          {2, 16, 0, 0},
        {1, 4294967295u}};
    for (const auto &b : badInet)
        EXPECT_FALSE(d.addTcpListener(b.data(), b.size()));
    EXPECT_EQ(d.malformed(), int(badTcp.size() + badInet.size()));
    EXPECT_EQ(keys(d.takeRows()), (QStringList{"TCP 10.0.0.1:80 10.0.0.2*80*33000*ESTABLISHED",
                                               "UDP 0.0.0.0:123 0.0.0.0*123*0*LISTEN"}));
}
