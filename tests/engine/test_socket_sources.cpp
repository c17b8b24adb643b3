// Reading the kernel's socket tables and counters from recorded input: the
// /proc/net files and socket-diagnostics netlink replies.
#include "engine/InetDiagSource.h"
#include "engine/ProcNetSource.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TestHome.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace wv;
using namespace wv::test;

namespace {

QString text(const std::vector<SocketEntry> &entries)
{
    QStringList out;
    for (const SocketEntry &e : entries) {
        auto dotted = [](quint32 a) {
            return QStringLiteral("%1.%2.%3.%4")
                .arg(a >> 24)
                .arg((a >> 16) & 255)
                .arg((a >> 8) & 255)
                .arg(a & 255);
        };
        // An IPv6 socket without an IPv4 form shows its own addresses.
        auto v6 = [](const Ipv6Bytes &a) {
            char t[INET6_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET6, a.data(), t, sizeof t);
            return QStringLiteral("[%1]").arg(QLatin1String(t));
        };
        out << QStringLiteral("%1:%2-%3:%4/%5")
                   .arg(e.hasIpv4View ? dotted(e.localAddress) : v6(e.local6))
                   .arg(e.localPort)
                   .arg(e.hasIpv4View ? dotted(e.remoteAddress) : v6(e.remote6))
                   .arg(e.remotePort)
                   .arg(e.state);
    }
    return out.join(QLatin1Char(' '));
}

const char ProcTcp[] =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout "
    "inode\n"
    "   0: 0100007F:1389 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 "
    "1 1 0000000000000000 100 0 0 10 0\n"
    "   1: 0100007F:9C40 0100007F:1389 01 00000000:00000000 00:00000000 00000000     0        0 "
    "2 1 0000000000000000 20 4 30 10 -1\n"
    "garbage line\n"
    "   2: 0100007G:9C40 0100007F:1389 01\n"
    "   3: 0100007F:9C4";

const char ProcTcp6[] =
    "  sl  local_address                         remote_address                        st\n"
    // [::]:8080 listening
    "   0: 00000000000000000000000000000000:1F90 00000000000000000000000000000000:0000 0A 0\n"
    // [::ffff:127.0.0.1]:5001 <-> [::ffff:127.0.0.1]:40001
    "   1: 0000000000000000FFFF00000100007F:1389 0000000000000000FFFF00000100007F:9C41 01 0\n"
    // [::1]:631 has no IPv4 form
    "   2: 00000000000000000000000001000000:0277 00000000000000000000000000000000:0000 0A 0\n";

TEST(ProcNet, ParsesIpv4AndIpv6Tables)
{
    std::vector<SocketEntry> v4;
    parseProcNetTable(QByteArrayView(ProcTcp), false, true, v4);
    EXPECT_EQ(text(v4), "127.0.0.1:5001-0.0.0.0:0/10 127.0.0.1:40000-127.0.0.1:5001/1");

    std::vector<SocketEntry> v6;
    parseProcNetTable(QByteArrayView(ProcTcp6), true, true, v6);
    EXPECT_EQ(text(v6), "0.0.0.0:8080-0.0.0.0:0/10 127.0.0.1:5001-127.0.0.1:40001/1 "
                        "[::1]:631-[::]:0/10");
    v6.clear();
    parseProcNetTable(QByteArrayView(ProcTcp6), true, false, v6);
    EXPECT_EQ(text(v6), "[::]:8080-[::]:0/10 127.0.0.1:5001-127.0.0.1:40001/1 [::1]:631-[::]:0/10");
    // The socket inode comes from the last fixed column.
    ASSERT_EQ(v4.size(), 2u);
    EXPECT_EQ(v4[0].inode, 1u);
    EXPECT_EQ(v4[1].inode, 2u);
}

TEST(ProcNet, ReadsAFolderOfTables)
{
    TestHome home;
    writeFile(home.file("tcp"), ProcTcp);
    writeFile(home.file("tcp6"), ProcTcp6);
    writeFile(home.file("udp"), "  sl  local_address rem_address   st\n"
                                "  1: 00000000:0044 00000000:0000 07 0\n");
    // No udp6: a kernel without IPv6.
    ProcNetSource source(home.path());
    ASSERT_TRUE(source.worksHere());
    std::vector<SocketEntry> tcp, udp;
    source.readTcp(tcp);
    source.readUdp(udp);
    EXPECT_EQ(tcp.size(), 5u);
    EXPECT_EQ(text(udp), "0.0.0.0:68-0.0.0.0:0/7");

    ProcNetSource missing(home.file("none"));
    EXPECT_FALSE(missing.worksHere());
    EXPECT_THROW(missing.readTcp(tcp), SourceError);
}

TEST(ProcNet, AWildcardIpv6SocketBesideAnIpv4OneOnItsPortIsV6Only)
{
    TestHome home;
    // 0.0.0.0:22 and [::]:22 listen side by side, as a daemon binding both
    // families does; [::]:8080 listens alone (a connected IPv4 socket on
    // 8080 is no listener and says nothing); UDP 53 is bound by both
    // families, UDP 5353 by IPv6 alone.
    writeFile(home.file("tcp"), "  sl  local_address rem_address   st\n"
                                "   0: 00000000:0016 00000000:0000 0A 0\n"
                                "   1: 0100007F:1F90 0100007F:9C40 01 0\n");
    writeFile(
        home.file("tcp6"),
        "  sl  local_address                         remote_address                        st\n"
        "   0: 00000000000000000000000000000000:0016 00000000000000000000000000000000:0000 0A 0\n"
        "   1: 00000000000000000000000000000000:1F90 00000000000000000000000000000000:0000 0A 0\n");
    writeFile(home.file("udp"), "  sl  local_address rem_address   st\n"
                                "  1: 00000000:0035 00000000:0000 07 0\n");
    writeFile(
        home.file("udp6"),
        "  sl  local_address                         remote_address                        st\n"
        "   0: 00000000000000000000000000000000:0035 00000000000000000000000000000000:0000 07 0\n"
        "   1: 00000000000000000000000000000000:14E9 00000000000000000000000000000000:0000 07 0\n");
    ProcNetSource source(home.path());
    std::vector<SocketEntry> tcp, udp;
    source.readTcp(tcp);
    source.readUdp(udp);
    // The v6-only sockets keep their IPv6 form alone.
    EXPECT_EQ(text(tcp), "0.0.0.0:22-0.0.0.0:0/10 127.0.0.1:8080-127.0.0.1:40000/1 "
                         "[::]:22-[::]:0/10 0.0.0.0:8080-0.0.0.0:0/10");
    EXPECT_EQ(text(udp), "0.0.0.0:53-0.0.0.0:0/7 [::]:53-[::]:0/7 0.0.0.0:5353-0.0.0.0:0/7");
}

TEST(ProcNet, LiveV6OnlyListenerIsNotAnIpv4Port)
{
    // A v6-only wildcard listener and an IPv4 loopback listener on one port.
    const int six = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(six, 0);
    const int one = 1;
    ASSERT_EQ(::setsockopt(six, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one), 0);
    sockaddr_in6 a6{};
    a6.sin6_family = AF_INET6;
    a6.sin6_addr = in6addr_any;
    ASSERT_EQ(::bind(six, reinterpret_cast<sockaddr *>(&a6), sizeof a6), 0);
    ASSERT_EQ(::listen(six, 4), 0);
    socklen_t len = sizeof a6;
    ASSERT_EQ(::getsockname(six, reinterpret_cast<sockaddr *>(&a6), &len), 0);
    const quint16 port = ntohs(a6.sin6_port);
    const int four = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(four, 0);
    sockaddr_in a4{};
    a4.sin_family = AF_INET;
    a4.sin_port = htons(port);
    a4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(four, reinterpret_cast<sockaddr *>(&a4), sizeof a4), 0);
    ASSERT_EQ(::listen(four, 4), 0);

    ProcNetSource source;
    std::vector<SocketEntry> tcp;
    source.readTcp(tcp);
    ::close(six);
    ::close(four);
    QStringList onPort;
    for (const SocketEntry &e : tcp) {
        if (e.localPort == port)
            onPort << text({e});
    }
    EXPECT_EQ(onPort, QStringList({QStringLiteral("127.0.0.1:%1-0.0.0.0:0/10").arg(port),
                                   QStringLiteral("[::]:%1-[::]:0/10").arg(port)}));
}

TEST(ProcNet, ParsesProtocolCounters)
{
    const char snmp[] = "Ip: Forwarding DefaultTTL InReceives\n"
                        "Ip: 2 64 18446744073709551615\n"
                        "Tcp: RtoAlgorithm MaxConn\n"
                        "Tcp: 1 -1\n"
                        "Udp: InDatagrams NoPorts\n"
                        "Udp: 5\n" // does not pair up
                        "Bad: x\n";
    std::vector<KernelCounter> c;
    parseProcSnmp(QByteArrayView(snmp), c);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[1].name, "DefaultTTL");
    EXPECT_EQ(c[1].value, 64);
    EXPECT_EQ(quint64(c[2].value), 18446744073709551615ull);
    EXPECT_EQ(c[4].group, "Tcp");
    EXPECT_EQ(c[4].value, -1);
}

// Builds one netlink message of a dump reply.
QByteArray message(quint16 type, const QByteArray &payload)
{
    nlmsghdr h{};
    h.nlmsg_len = quint32(NLMSG_HDRLEN + payload.size());
    h.nlmsg_type = type;
    QByteArray out(reinterpret_cast<const char *>(&h), sizeof h);
    out += payload;
    out.append(int(NLMSG_ALIGN(out.size()) - out.size()), '\0');
    return out;
}

QByteArray diag(int family, quint8 state, const char *src, quint16 sport, const char *dst,
                quint16 dport, int v6only = -1)
{
    inet_diag_msg m{};
    m.idiag_family = quint8(family);
    m.idiag_state = state;
    m.id.idiag_sport = htons(sport);
    m.id.idiag_dport = htons(dport);
    inet_pton(family, src, m.id.idiag_src);
    inet_pton(family, dst, m.id.idiag_dst);
    QByteArray payload(reinterpret_cast<const char *>(&m), sizeof m);
    // An unrelated attribute first, as the kernel sends the shutdown state.
    rtattr a{};
    a.rta_len = RTA_LENGTH(1);
    a.rta_type = INET_DIAG_SHUTDOWN;
    payload += QByteArray(reinterpret_cast<const char *>(&a), sizeof a) + QByteArray(4, '\0');
    if (v6only >= 0) {
        a.rta_type = INET_DIAG_SKV6ONLY;
        payload += QByteArray(reinterpret_cast<const char *>(&a), sizeof a);
        payload += char(v6only);
        payload += QByteArray(3, '\0');
    }
    return message(SOCK_DIAG_BY_FAMILY, payload);
}

TEST(InetDiag, ParsesDumpReplies)
{
    QByteArray reply = diag(AF_INET, 10, "127.0.0.1", 5001, "0.0.0.0", 0) +
                       diag(AF_INET, 1, "127.0.0.1", 40000, "127.0.0.1", 5001) +
                       diag(AF_INET6, 10, "::", 8080, "::", 0, 0) +
                       diag(AF_INET6, 10, "::", 8443, "::", 0, 1) +
                       diag(AF_INET6, 1, "::ffff:127.0.0.1", 5001, "::ffff:127.0.0.1", 40001) +
                       diag(AF_INET6, 1, "::1", 631, "::1", 50000);
    std::vector<SocketEntry> out;
    EXPECT_FALSE(parseInetDiagReply(reply, out)); // no end-of-dump yet
    EXPECT_EQ(text(out), "127.0.0.1:5001-0.0.0.0:0/10 127.0.0.1:40000-127.0.0.1:5001/1 "
                         "0.0.0.0:8080-0.0.0.0:0/10 [::]:8443-[::]:0/10 "
                         "127.0.0.1:5001-127.0.0.1:40001/1 [::1]:631-[::1]:50000/1");
    out.clear();
    EXPECT_TRUE(parseInetDiagReply(reply + message(NLMSG_DONE, QByteArray(4, '\0')), out));

    // A truncated reply is dropped where it breaks off, not read past.
    for (qsizetype cut = 0; cut < reply.size(); cut += 7) {
        std::vector<SocketEntry> partial;
        parseInetDiagReply(QByteArrayView(reply.constData(), cut), partial);
        EXPECT_LE(partial.size(), 6u);
    }

    // The inode and the byte counts of tcp_info, where the kernel sends them.
    inet_diag_msg m{};
    m.idiag_family = AF_INET6;
    m.idiag_state = 1;
    m.idiag_inode = 987654;
    inet_pton(AF_INET6, "::1", m.id.idiag_src);
    inet_pton(AF_INET6, "::1", m.id.idiag_dst);
    tcp_info info{};
    info.tcpi_bytes_acked = 100001;
    info.tcpi_bytes_received = 42;
    rtattr a{};
    a.rta_type = INET_DIAG_INFO;
    a.rta_len = quint16(RTA_LENGTH(sizeof info));
    QByteArray payload(reinterpret_cast<const char *>(&m), sizeof m);
    payload += QByteArray(reinterpret_cast<const char *>(&a), sizeof a);
    payload += QByteArray(reinterpret_cast<const char *>(&info), sizeof info);
    // An older kernel's shorter tcp_info leaves the counts unknown.
    QByteArray shortPayload(reinterpret_cast<const char *>(&m), sizeof m);
    a.rta_len = quint16(RTA_LENGTH(64));
    shortPayload += QByteArray(reinterpret_cast<const char *>(&a), sizeof a);
    shortPayload += QByteArray(reinterpret_cast<const char *>(&info), 64);
    out.clear();
    parseInetDiagReply(
        message(SOCK_DIAG_BY_FAMILY, payload) + message(SOCK_DIAG_BY_FAMILY, shortPayload), out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].inode, 987654u);
    EXPECT_TRUE(out[0].ipv6);
    EXPECT_FALSE(out[0].hasIpv4View);
    EXPECT_EQ(out[0].bytesAcked, 100001);
    EXPECT_EQ(out[0].bytesReceived, 42);
    EXPECT_EQ(out[1].bytesAcked, -1);

    for (const int err : {-EINVAL, std::numeric_limits<int>::min(), 0}) {
        EXPECT_THROW(
            parseInetDiagReply(
                message(NLMSG_ERROR, QByteArray(reinterpret_cast<const char *>(&err), sizeof err)),
                out),
            SourceError);
    }
    const int err = -EINVAL;
    EXPECT_THROW(
        parseInetDiagReply(
            message(NLMSG_ERROR, QByteArray(reinterpret_cast<const char *>(&err), sizeof err)),
            out),
        SourceError);
}

TEST(InetDiag, ReplaysARecording)
{
    const QByteArray done = message(NLMSG_DONE, QByteArray(4, '\0'));
    InetDiagSource source(InetDiagSource::Recording{
        {{AF_INET, IPPROTO_TCP}, diag(AF_INET, 10, "0.0.0.0", 22, "0.0.0.0", 0) + done},
        {{AF_INET6, IPPROTO_UDP}, diag(AF_INET6, 7, "::", 5353, "::", 0, 0) + done},
    });
    ASSERT_TRUE(source.worksHere());
    std::vector<SocketEntry> tcp, udp;
    source.readTcp(tcp);
    source.readUdp(udp);
    EXPECT_EQ(text(tcp), "0.0.0.0:22-0.0.0.0:0/10");
    EXPECT_EQ(text(udp), "0.0.0.0:5353-0.0.0.0:0/7");
}

} // namespace
