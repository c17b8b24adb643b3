// Echo and trace route against real routers: the five-hop namespace chain
// of netns_chain.sh, compared with traceroute -I on the same chain.
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/TestHome.h"
#include "tests/tools/icmp/IcmpRun.h"
#include "tests/tools/icmp/NetnsChain.h"
#include "tools/icmp/IcmpStatus.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::NetnsChain;

namespace {

NetnsChain *g_chain = nullptr;
wv::test::DnsTestServer *g_dns = nullptr;

bool setPingGroupRange(const QByteArray &range)
{
    QFile f(QStringLiteral("/proc/sys/net/ipv4/ping_group_range"));
    return f.open(QIODevice::WriteOnly) && f.write(range) == range.size();
}

QString cli()
{
    return wv::test::binDir() + QStringLiteral("/wirevane-cli");
}

// The hop addresses traceroute -I lists, "*" for a silent hop.
QStringList tracerouteHops(const QString &target, int maxHops)
{
    int code = -1;
    const QByteArray out =
        g_chain->run({QStringLiteral("traceroute"), QStringLiteral("-I"), QStringLiteral("-n"),
                      QStringLiteral("-q"), QStringLiteral("1"), QStringLiteral("-w"),
                      QStringLiteral("1"), QStringLiteral("-m"), QString::number(maxHops), target},
                     &code);
    QStringList hops;
    static const QRegularExpression line(QStringLiteral("^\\s*(\\d+)\\s+(\\S+)"));
    for (const QByteArray &l : out.split('\n')) {
        const auto m = line.match(QString::fromLatin1(l));
        if (m.hasMatch())
            hops.append(m.captured(2));
    }
    return hops;
}

enum class Kind
{
    Raw,
    Datagram
};

class IcmpChain : public ::testing::TestWithParam<Kind>
{
protected:
    static void SetUpTestSuite()
    {
        g_chain = new NetnsChain;
        if (g_chain->isUp() && g_chain->enter()) {
            // Routers 1 to 4 have names, the far end has none.
            g_dns = new wv::test::DnsTestServer({QStringLiteral("10.201.1.2=r1.chain.test"),
                                                 QStringLiteral("10.201.2.2=r2.chain.test"),
                                                 QStringLiteral("10.201.3.2=r3.chain.test"),
                                                 QStringLiteral("10.201.4.2=r4.chain.test")});
        }
    }
    static void TearDownTestSuite()
    {
        delete g_dns;
        g_dns = nullptr;
        delete g_chain;
        g_chain = nullptr;
    }
    void SetUp() override
    {
        if (!g_chain->isUp())
            GTEST_SKIP() << "no network namespaces here: " << g_chain->error().toStdString();
        ASSERT_TRUE(g_dns && g_dns->isRunning());
        ASSERT_TRUE(setPingGroupRange(GetParam() == Kind::Datagram ? "0 2147483647" : "1 0"));
        ASSERT_EQ(probeIcmp().kind,
                  GetParam() == Kind::Datagram ? IcmpSocketKind::Datagram : IcmpSocketKind::Raw);
    }
    void configure(TMSicmpTask &task)
    {
        ASSERT_TRUE(task.dns().setServers({g_dns->server()}));
        task.setInterval(0);
    }
    wv::test::TestHome home;
};

TEST_P(IcmpChain, EchoesLoopbackWithEightBytesOfAAAtLeast)
{
    for (int size : {0, 5, 56}) {
        TMSicmpTask task;
        configure(task);
        task.setPacketSize(size);
        EXPECT_EQ(task.PacketSize(), qMax(8, size));
        const auto run = wv::test::runTask(task, QStringLiteral("127.0.0.1"));
        ASSERT_TRUE(run.finished) << run.errorText.toStdString();
        ASSERT_EQ(run.hops.size(), 1);
        EXPECT_EQ(run.hops[0].status, 0);
        EXPECT_EQ(run.hops[0].text, QStringLiteral("Success"));
        EXPECT_EQ(run.hops[0].address, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(task.Reply().DataSize, qMax(8, size));
        EXPECT_EQ(task.ReplyData(), QByteArray(qMax(8, size), char(0xAA)));
        EXPECT_GT(task.Reply().Options.Ttl, 0);
    }
}

TEST_P(IcmpChain, TraceListsTheSameHopsAsTraceroute)
{
    TMSTrace trace;
    configure(trace);
    trace.setTimeOut(2000);
    const auto run = wv::test::runTask(trace, NetnsChain::farEnd());
    ASSERT_TRUE(run.finished) << run.errorText.toStdString();
    ASSERT_EQ(run.hops.size(), 5);
    EXPECT_EQ(run.finalTtl, 5);
    QStringList ours;
    for (int k = 1; k <= 5; ++k) {
        const auto &h = run.hops[k - 1];
        EXPECT_EQ(h.ttl, k);
        EXPECT_EQ(h.address, NetnsChain::router(k));
        EXPECT_EQ(h.status, k < 5 ? IcmpStatus::TtlExpiredTransit : 0);
        EXPECT_EQ(h.text,
                  k < 5 ? QStringLiteral("TTL expired in transit") : QStringLiteral("Success"));
        ours.append(h.address);
    }
    EXPECT_EQ(ours, tracerouteHops(NetnsChain::farEnd(), 10));
}

TEST_P(IcmpChain, TimeToLiveOneExpiresAtTheFirstRouter)
{
    TMSicmpTask task;
    configure(task);
    task.setTimeToLive(1);
    const auto run = wv::test::runTask(task, NetnsChain::farEnd());
    ASSERT_TRUE(run.finished) << run.errorText.toStdString();
    ASSERT_EQ(run.hops.size(), 1);
    EXPECT_EQ(run.hops[0].status, IcmpStatus::TtlExpiredTransit);
    EXPECT_EQ(run.hops[0].text, QStringLiteral("TTL expired in transit"));
    EXPECT_EQ(run.hops[0].address, NetnsChain::router(1));
}

TEST_P(IcmpChain, UnreachableAddressStopsTheTraceAtTheRouterThatSaysSo)
{
    TMSicmpTask ping;
    configure(ping);
    auto run = wv::test::runTask(ping, NetnsChain::unreachable());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.hops.size(), 1);
    EXPECT_EQ(run.hops[0].status, IcmpStatus::DestHostUnreachable);
    EXPECT_EQ(run.hops[0].text, QStringLiteral("Destination host unreachable"));
    EXPECT_EQ(run.hops[0].address, NetnsChain::router(3));

    // Router 3 passes the fourth probe on and then reports the host unreachable.
    TMSTrace trace;
    configure(trace);
    run = wv::test::runTask(trace, NetnsChain::unreachable());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.hops.size(), 4);
    EXPECT_EQ(run.finalTtl, 4);
    EXPECT_EQ(run.hops[2].status, IcmpStatus::TtlExpiredTransit);
    EXPECT_EQ(run.hops[3].status, IcmpStatus::DestHostUnreachable);
    QStringList ours;
    for (const auto &h : run.hops)
        ours.append(h.address);
    EXPECT_EQ(ours, tracerouteHops(NetnsChain::unreachable(), 6));
}

TEST_P(IcmpChain, SilentHostTimesOutAndEveryLaterHopShowsTheTarget)
{
    TMSicmpTask ping;
    configure(ping);
    ping.setTimeOut(300);
    auto run = wv::test::runTask(ping, NetnsChain::silent());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.hops.size(), 1);
    EXPECT_EQ(run.hops[0].status, IcmpStatus::TimedOut);
    EXPECT_EQ(run.hops[0].text, QStringLiteral("Request timed out"));
    EXPECT_FALSE(run.hops[0].answered);
    EXPECT_EQ(run.hops[0].address, NetnsChain::silent());

    TMSTrace trace;
    configure(trace);
    trace.setTimeOut(300);
    trace.setTimeToLive(6);
    run = wv::test::runTask(trace, NetnsChain::silent());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.hops.size(), 6);
    EXPECT_EQ(run.finalTtl, 6);
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(run.hops[k - 1].address, NetnsChain::router(k));
    for (int k = 4; k <= 6; ++k) {
        EXPECT_EQ(run.hops[k - 1].status, IcmpStatus::TimedOut);
        EXPECT_EQ(run.hops[k - 1].address, NetnsChain::silent());
        EXPECT_EQ(run.hops[k - 1].time, 0u);
    }
    const QStringList theirs = tracerouteHops(NetnsChain::silent(), 6);
    EXPECT_EQ(theirs,
              (QStringList{NetnsChain::router(1), NetnsChain::router(2), NetnsChain::router(3),
                           QStringLiteral("*"), QStringLiteral("*"), QStringLiteral("*")}));
}

INSTANTIATE_TEST_SUITE_P(Sockets, IcmpChain, ::testing::Values(Kind::Raw, Kind::Datagram),
                         [](const auto &info) {
                             return std::string(info.param == Kind::Raw ? "Raw" : "Datagram");
                         });

class IcmpTask : public IcmpChain
{
};

TEST_P(IcmpTask, LoopbackTraceEndsAfterTheFirstEcho)
{
    TMSTrace trace;
    configure(trace);
    const auto run = wv::test::runTask(trace, QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.hops.size(), 1);
    EXPECT_EQ(run.finalTtl, 1);
}

TEST_P(IcmpTask, SecondStartIsRefusedAndStopEndsWithTheEchoUnderWay)
{
    TMSTrace trace;
    configure(trace);
    trace.setTimeOut(400);
    trace.setTimeToLive(8);
    QList<qint32> refusals;
    QObject::connect(&trace, &TMSicmp::OnError, &trace,
                     [&](QObject *, qint32 code, const QString &text) {
                         if (code == IcmpStatus::InProgress)
                             refusals.append(code);
                         EXPECT_TRUE(code != IcmpStatus::InProgress ||
                                     text == QStringLiteral("Already in Progress"));
                     });
    // Stop while the fourth hop's echo waits for its time-out.
    const auto run = wv::test::runTask(trace, NetnsChain::silent(), 60000, [&] {
        if (trace.CurrentTTL() == 1)
            trace.Start(NetnsChain::farEnd());
        if (trace.CurrentTTL() == 3)
            QTimer::singleShot(100, &trace, [&] { trace.Stop(); });
    });
    EXPECT_EQ(refusals.size(), 1);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.hops.size(), 4);
    EXPECT_EQ(run.hops.last().status, IcmpStatus::Stopped);
    EXPECT_FALSE(trace.Busy());
}

TEST_P(IcmpTask, NamesThatDoNotResolveEndWithTheSocketsText)
{
    // The test name server answers NXDOMAIN for its own zone.
    TMSTrace trace;
    configure(trace);
    const auto run = wv::test::runTask(trace, QStringLiteral("nowhere.in-addr.arpa"));
    ASSERT_TRUE(run.failed);
    EXPECT_EQ(run.errorCode, SocketError::HostNotFound);
    EXPECT_EQ(run.errorText, QStringLiteral("Authoritative Host not found"));
    EXPECT_TRUE(run.hops.isEmpty());

    TMSTrace empty;
    configure(empty);
    const auto none = wv::test::runTask(empty, QString());
    ASSERT_TRUE(none.failed);
    EXPECT_EQ(none.errorCode, IcmpStatus::NoAddress);
    EXPECT_EQ(none.errorText, QStringLiteral("No Address Specified"));
}

TEST_P(IcmpTask, BlockingModeRunsTheWholeTraceInStart)
{
    TMSTrace trace;
    configure(trace);
    trace.setMode(TWSMode::wsmBlocking);
    int hops = 0;
    bool finished = false;
    QObject::connect(&trace, &TMSicmpTask::OnData, &trace, [&] { ++hops; });
    QObject::connect(&trace, &TMSicmpTask::OnFinished, &trace, [&] { finished = true; });
    trace.Start(NetnsChain::farEnd());
    EXPECT_TRUE(finished);
    EXPECT_EQ(hops, 5);
    EXPECT_FALSE(trace.Busy());
}

TEST_P(IcmpTask, WithoutAnErrorHandlerAnErrorThrows)
{
    TMSTrace trace;
    configure(trace);
    trace.setMode(TWSMode::wsmBlocking);
    try {
        trace.Start(QString());
        FAIL() << "no exception";
    } catch (const EPingError &e) {
        EXPECT_EQ(e.code(), IcmpStatus::NoAddress);
        EXPECT_STREQ(e.what(), "Ping Error -2147483646: No Address Specified");
    }
}

INSTANTIATE_TEST_SUITE_P(Sockets, IcmpTask, ::testing::Values(Kind::Raw));

// --- the companion, run inside the chain ---

class IcmpCli : public IcmpChain
{
};

TEST_P(IcmpCli, PingReportsSuccessAndTheFirstRouterForTimeToLiveOne)
{
    int code = -1;
    QByteArray out = g_chain->run({cli(), QStringLiteral("ping"), QStringLiteral("127.0.0.1"),
                                   QStringLiteral("--count"), QStringLiteral("2")},
                                  &code);
    EXPECT_EQ(code, 0) << out.toStdString();
    EXPECT_EQ(out.count("Success"), 2) << out.toStdString();

    out = g_chain->run({cli(), QStringLiteral("ping"), NetnsChain::farEnd(),
                        QStringLiteral("--ttl"), QStringLiteral("1"), QStringLiteral("--count"),
                        QStringLiteral("1"), QStringLiteral("--json")},
                       &code);
    EXPECT_EQ(code, 0);
    const QJsonObject o = QJsonDocument::fromJson(out).object();
    const QJsonObject echo = o.value(QStringLiteral("echoes")).toArray().at(0).toObject();
    EXPECT_EQ(echo.value(QStringLiteral("statusText")).toString(),
              QStringLiteral("TTL expired in transit"));
    EXPECT_EQ(echo.value(QStringLiteral("from")).toString(), NetnsChain::router(1));

    out = g_chain->run({cli(), QStringLiteral("ping"), NetnsChain::silent(),
                        QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--timeout"),
                        QStringLiteral("200")},
                       &code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.contains("Request timed out")) << out.toStdString();
}

TEST_P(IcmpCli, TraceListsTheHopsWithNamesFromTheCache)
{
    int code = -1;
    QByteArray errors;
    const QByteArray out =
        g_chain->run({cli(), QStringLiteral("trace"), NetnsChain::farEnd(), QStringLiteral("--dns"),
                      g_dns->server(), QStringLiteral("--json")},
                     &code, &errors);
    ASSERT_EQ(code, 0) << errors.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(out).object();
    const QJsonArray hops = o.value(QStringLiteral("hops")).toArray();
    ASSERT_EQ(hops.size(), 5);
    QStringList ips;
    for (int k = 1; k <= 5; ++k) {
        const QJsonObject h = hops.at(k - 1).toObject();
        ips.append(h.value(QStringLiteral("ip")).toString());
        EXPECT_EQ(h.value(QStringLiteral("hop")).toInt(), k);
        if (k < 5) {
            EXPECT_EQ(h.value(QStringLiteral("host")).toString(),
                      QStringLiteral("r%1.chain.test").arg(k));
        }
    }
    EXPECT_EQ(ips, tracerouteHops(NetnsChain::farEnd(), 10));
    EXPECT_EQ(o.value(QStringLiteral("status")).toString(), QStringLiteral("Done: 5 hops"));
    // The names went into the program's DNS cache.
    const QByteArray cache = wv::test::readFile(home.path() + QStringLiteral("/home/wvncache.ini"));
    EXPECT_TRUE(cache.contains("10.201.1.2=r1.chain.test")) << cache.toStdString();
}

TEST_P(IcmpCli, WithoutIcmpSocketsThePingSaysWhatToChange)
{
    const QStringList noRaw{QStringLiteral("setpriv"),
                            QStringLiteral("--inh-caps=-net_raw"),
                            QStringLiteral("--bounding-set=-net_raw"),
                            cli(),
                            QStringLiteral("ping"),
                            QStringLiteral("127.0.0.1"),
                            QStringLiteral("--count"),
                            QStringLiteral("1")};
    ASSERT_TRUE(setPingGroupRange("1 0"));
    int code = -1;
    QByteArray errors;
    g_chain->run(noRaw, &code, &errors);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains("ICMP disabled: ")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("net.ipv4.ping_group_range")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("setcap cap_net_raw+ep")) << errors.toStdString();

    // The unprivileged echo socket is enough once the group may use it.
    ASSERT_TRUE(setPingGroupRange("0 2147483647"));
    const QByteArray out = g_chain->run(noRaw, &code, &errors);
    EXPECT_EQ(code, 0) << errors.toStdString();
    EXPECT_TRUE(out.contains("Success")) << out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sockets, IcmpCli, ::testing::Values(Kind::Raw));

} // namespace
