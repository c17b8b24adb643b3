// The adapter's counters and lights against a real interface: one end of a
// veth pair whose other end lives in a network namespace this test creates
// (and removes). Frames are written with a packet socket, so the byte counts
// are known exactly and nothing leaves the pair. Needs root; skipped without.

#include "stats/advstat/AdapterStatistics.h"
#include "stats/advstat/Transmission.h"
#include "stats/dialup/LightsController.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

using namespace wv;

namespace {

bool run(const QString &program, const QStringList &args, QString *error = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(1000);
        if (error)
            *error = program + QStringLiteral(" timed out");
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) +
                     QStringLiteral(": ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

// A frame of `size` bytes to the broadcast address with a local experimental
// EtherType (0x88b5), which no stack on either end answers.
QByteArray frame(int size)
{
    QByteArray f(size, '\x5a');
    std::memset(f.data(), 0xff, 6);
    std::memset(f.data() + 6, 0x02, 6);
    f[12] = char(0x88);
    f[13] = char(0xb5);
    return f;
}

class VethTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to create a network namespace";
        const QString pid = QString::number(getpid());
        ns = QStringLiteral("wvstat") + pid;
        host = QStringLiteral("wvsa") + pid;
        peer = QStringLiteral("wvsb") + pid;
        QString error;
        if (!run(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("add"), ns},
                 &error))
            GTEST_SKIP() << error.toStdString();
        created = true;
        ASSERT_TRUE(run(QStringLiteral("ip"),
                        {QStringLiteral("link"), QStringLiteral("add"), host,
                         QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
                         QStringLiteral("name"), peer, QStringLiteral("netns"), ns},
                        &error))
            << error.toStdString();
        // No IPv6 on either end: its address set-up would send frames of its own.
        inNs({QStringLiteral("sh"), QStringLiteral("-c"),
              QStringLiteral("echo 1 > /proc/sys/net/ipv6/conf/%1/disable_ipv6").arg(peer)});
        QFile v6(QStringLiteral("/proc/sys/net/ipv6/conf/%1/disable_ipv6").arg(host));
        if (v6.open(QIODevice::WriteOnly))
            v6.write("1\n");
        ASSERT_TRUE(run(QStringLiteral("ip"),
                        {QStringLiteral("link"), QStringLiteral("set"), host, QStringLiteral("up")},
                        &error))
            << error.toStdString();
        ASSERT_TRUE(inNs({QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("set"), peer,
                          QStringLiteral("up")}));
        // Bounded wait for the carrier of both ends.
        for (int i = 0; i < 100; ++i) {
            QFile carrier(QStringLiteral("/sys/class/net/%1/carrier").arg(host));
            if (carrier.open(QIODevice::ReadOnly) && carrier.readAll().trimmed() == "1")
                break;
            usleep(20000);
        }
    }

    void TearDown() override
    {
        if (created) {
            // Removing the namespace removes the peer, and with it the pair.
            run(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("del"), ns});
            run(QStringLiteral("ip"), {QStringLiteral("link"), QStringLiteral("del"), host});
        }
    }

    bool inNs(const QStringList &command)
    {
        QString error;
        const bool ok =
            run(QStringLiteral("ip"),
                QStringList{QStringLiteral("netns"), QStringLiteral("exec"), ns} + command, &error);
        if (!ok)
            ADD_FAILURE() << error.toStdString();
        return ok;
    }

    // Sends `count` frames of `size` bytes out of the host end.
    void sendFromHost(int count, int size)
    {
        const int fd = socket(AF_PACKET, SOCK_RAW, htons(ETH_P_ALL));
        ASSERT_GE(fd, 0) << std::strerror(errno);
        sockaddr_ll addr{};
        addr.sll_family = AF_PACKET;
        addr.sll_ifindex = int(if_nametoindex(host.toLocal8Bit().constData()));
        addr.sll_protocol = htons(ETH_P_ALL);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0)
            << std::strerror(errno);
        const QByteArray f = frame(size);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(send(fd, f.constData(), size_t(f.size()), 0), f.size())
                << std::strerror(errno);
        close(fd);
    }

    // Sends `count` frames of `size` bytes out of the peer, inside the namespace.
    void sendFromPeer(int count, int size)
    {
        const QString script =
            QStringLiteral(
                "import socket\n"
                "s = socket.socket(socket.AF_PACKET, socket.SOCK_RAW)\n"
                "s.bind(('%1', 0))\n"
                "f = b'\\xff' * 6 + b'\\x02' * 6 + b'\\x88\\xb5' + b'\\x5a' * (%2 - 14)\n"
                "for _ in range(%3):\n"
                "    s.send(f)\n")
                .arg(peer)
                .arg(size)
                .arg(count);
        inNs({QStringLiteral("/usr/bin/python3"), QStringLiteral("-c"), script});
    }

    AdapterStatistics read()
    {
        const auto s = readAdapterStatistics(host);
        EXPECT_TRUE(s.has_value());
        return s.value_or(AdapterStatistics{});
    }

    QString ns, host, peer;
    bool created = false;
};

} // namespace

TEST_F(VethTest, CountersGrowByTheBytesAndFramesSent)
{
    const AdapterStatistics before = read();
    EXPECT_EQ(before.interfaceName, host);
    sendFromHost(25, 100);
    AdapterStatistics after = read();
    EXPECT_EQ(after.bytesSent - before.bytesSent, 2500u);
    EXPECT_EQ(after.bytesReceived, before.bytesReceived);

    sendFromPeer(7, 300);
    const AdapterStatistics last = read();
    EXPECT_EQ(last.bytesReceived - after.bytesReceived, 2100u);
    EXPECT_EQ(last.framesReceived - after.framesReceived, 7u);
    EXPECT_EQ(last.bytesSent, after.bytesSent);
    // The connect rate is the driver's link speed (veth tells 10000 Mb/s).
    QFile speed(QStringLiteral("/sys/class/net/%1/speed").arg(host));
    ASSERT_TRUE(speed.open(QIODevice::ReadOnly));
    const qint64 mbps = speed.readAll().trimmed().toLongLong();
    if (mbps > 0)
        EXPECT_EQ(last.connectSpeed, quint64(mbps) * 1000000u);
    else
        EXPECT_FALSE(last.connectSpeed);

    // The "Transmission" group shows the same figures.
    Transmission t;
    t.tick(last);
    EXPECT_EQ(t.view().received, formatByteCount(last.bytesReceived));
    EXPECT_EQ(t.view().frames, formatByteCount(last.framesReceived));
}

TEST_F(VethTest, LightsFollowTrafficTickByTick)
{
    LightsController lights(std::make_unique<SysfsAdapterCounters>(host));
    lights.lightsTimerTimer();
    lights.lightsTimerTimer(); // no traffic since the first tick
    EXPECT_FALSE(lights.lights().state().sentLit);
    EXPECT_FALSE(lights.lights().state().receivedLit);

    sendFromHost(3, 64);
    lights.lightsTimerTimer();
    EXPECT_TRUE(lights.lights().state().sentLit);
    EXPECT_FALSE(lights.lights().state().receivedLit);

    sendFromPeer(2, 64);
    lights.lightsTimerTimer();
    EXPECT_FALSE(lights.lights().state().sentLit);
    EXPECT_TRUE(lights.lights().state().receivedLit);

    lights.lightsTimerTimer();
    EXPECT_FALSE(lights.lights().state().receivedLit);
}
