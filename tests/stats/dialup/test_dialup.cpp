#include "stats/dialup/AdapterCounters.h"
#include "stats/dialup/DefaultRoute.h"
#include "stats/dialup/LightsController.h"
#include "stats/dialup/TrafficLights.h"
#include "tests/support/TestHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <QFile>
#include <QHostAddress>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <deque>

using namespace wv;

namespace {

const QByteArray RouteHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

// Totals handed out one per read; an empty entry is a failed read.
class ScriptedCounters : public AdapterCounterSource
{
public:
    std::deque<std::optional<AdapterTotals>> script;
    int reads = 0;
    std::optional<AdapterTotals> read() override
    {
        ++reads;
        if (script.empty())
            return AdapterTotals{};
        auto next = script.front();
        script.pop_front();
        return next;
    }
};

// Runs the event loop for `ms` milliseconds.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(DefaultRoute, PicksTheLowestMetricDefaultRouteThatIsUp)
{
    const QByteArray table = RouteHeader +
                             "eth0\t0002A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
                             "down0\t00000000\t0102A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                             "wlan0\t00000000\t0102A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                             "ppp0\t00000000\t00000000\t0001\t0\t0\t50\t00000000\t0\t0\t0\n"
                             "garbage line\n";
    EXPECT_EQ(parseDefaultRouteInterface(table), QStringLiteral("ppp0"));
    EXPECT_EQ(parseDefaultRouteInterface(RouteHeader), QString());
    EXPECT_EQ(parseDefaultRouteInterface(QByteArray()), QString());
    EXPECT_EQ(defaultRouteInterface(QStringLiteral("/nonexistent/route")), QString());
}

TEST(DefaultRoute, AddressIsThatOfTheRouteInterface)
{
    QTemporaryDir dir;
    const QString route = dir.filePath(QStringLiteral("route"));
    test::writeFile(route,
                    RouteHeader + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_EQ(defaultRouteAddress(route), QStringLiteral("127.0.0.1"));
    test::writeFile(route, RouteHeader);
    EXPECT_EQ(defaultRouteAddress(route), QString());
}

class SysfsCountersTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString sys() const { return dir.filePath(QStringLiteral("net")); }
    QString route() const { return dir.filePath(QStringLiteral("route")); }
    void makeInterface(const QString &name, const QByteArray &tx, const QByteArray &rx)
    {
        const QString stats = sys() + QLatin1Char('/') + name + QStringLiteral("/statistics");
        QDir().mkpath(stats);
        test::writeFile(stats + QStringLiteral("/tx_bytes"), tx);
        test::writeFile(stats + QStringLiteral("/rx_bytes"), rx);
    }
};

TEST_F(SysfsCountersTest, ReadsTheDefaultRouteInterfaceUnlessOneIsNamed)
{
    makeInterface(QStringLiteral("ppp0"), "5000000000\n", "42\n");
    makeInterface(QStringLiteral("eth1"), "1\n", "2\n");
    test::writeFile(route(),
                    RouteHeader + "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n");

    SysfsAdapterCounters byRoute(QString(), sys(), route());
    const auto totals = byRoute.read();
    ASSERT_TRUE(totals);
    // Totals past 2^32 are kept whole.
    EXPECT_EQ(*totals, (AdapterTotals{5000000000ull, 42}));
    EXPECT_EQ(byRoute.currentInterface(), QStringLiteral("ppp0"));

    SysfsAdapterCounters named(QStringLiteral("eth1"), sys(), route());
    EXPECT_EQ(named.read(), (AdapterTotals{1, 2}));

    // The route moving to another interface is followed at the next read.
    test::writeFile(route(),
                    RouteHeader + "eth1\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_EQ(byRoute.read(), (AdapterTotals{1, 2}));
}

TEST_F(SysfsCountersTest, FailsWithoutRouteCounterOrSafeName)
{
    makeInterface(QStringLiteral("eth1"), "not a number\n", "2\n");
    EXPECT_FALSE(SysfsAdapterCounters(QString(), sys(), route()).read());
    EXPECT_FALSE(SysfsAdapterCounters(QStringLiteral("eth1"), sys(), route()).read());
    EXPECT_FALSE(SysfsAdapterCounters(QStringLiteral("wlan7"), sys(), route()).read());

    // A named interface never reaches outside the folder.
    makeInterface(QStringLiteral("x"), "1\n", "1\n");
    for (const QString &bad : {QStringLiteral(".."), QStringLiteral("../net/x"),
                               QStringLiteral("a b"), QStringLiteral("sixteen-chars-xx")}) {
        EXPECT_FALSE(SysfsAdapterCounters::isValidInterfaceName(bad)) << qPrintable(bad);
        EXPECT_FALSE(SysfsAdapterCounters(bad, sys(), route()).read()) << qPrintable(bad);
    }
}

// The real loopback interface's counters, read again and again (the files
// stay open between reads): every read sees the bytes sent since the last.
TEST(SysfsCounters, RereadsOfTheRealCountersFollowTraffic)
{
    if (!QFile::exists(QStringLiteral("/sys/class/net/lo/statistics/tx_bytes")))
        GTEST_SKIP() << "no /sys/class/net/lo";
    SysfsAdapterCounters lo(QStringLiteral("lo"));
    const auto before = lo.read();
    ASSERT_TRUE(before);
    QUdpSocket receiver, sender;
    ASSERT_TRUE(receiver.bind(QHostAddress::LocalHost, 0));
    const QByteArray payload(1000, 'x');
    for (int i = 0; i < 20; ++i)
        sender.writeDatagram(payload, QHostAddress::LocalHost, receiver.localPort());
    const auto after = lo.read();
    ASSERT_TRUE(after);
    EXPECT_GE(after->sent, before->sent + 20 * 1000);
    EXPECT_GE(after->received, before->received + 20 * 1000);
    // The default route's interface, from /proc/net/route each time.
    SysfsAdapterCounters byRoute;
    const auto first = byRoute.read();
    const QString name = byRoute.currentInterface();
    EXPECT_EQ(bool(byRoute.read()), bool(first));
    EXPECT_EQ(byRoute.currentInterface(), name);
}

TEST(TrafficLights, FormatsCountsWithThousandsSeparators)
{
    EXPECT_EQ(formatByteCount(0), QString());
    EXPECT_EQ(formatByteCount(999), QStringLiteral("999"));
    EXPECT_EQ(formatByteCount(1000), QStringLiteral("1,000"));
    EXPECT_EQ(formatByteCount(1234567), QStringLiteral("1,234,567"));
    // Past 2^31 the count stays positive.
    EXPECT_EQ(formatByteCount(2147483648ull), QStringLiteral("2,147,483,648"));
    EXPECT_EQ(formatByteCount(18446744073709551615ull),
              QStringLiteral("18,446,744,073,709,551,615"));
}

TEST(TrafficLights, LightsFollowChangesBetweenTicks)
{
    struct Step
    {
        std::optional<AdapterTotals> totals;
        bool sentLit, receivedLit;
    };
    const std::vector<Step> steps = {
        {AdapterTotals{300, 0}, true, false},   // first tick: non-zero total lights
        {AdapterTotals{300, 0}, false, false},  // unchanged: both dark
        {AdapterTotals{400, 20}, true, true},   // both moved
        {AdapterTotals{500, 20}, true, false},  // sent keeps moving
        {std::nullopt, true, false},            // failed read keeps the state
        {AdapterTotals{500, 20}, false, false}, // compared with the last good totals
        {AdapterTotals{100, 20}, true, false},  // a counter reset is a change too
    };
    TrafficLights lights;
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(lights.tick(steps[i].totals), steps[i].totals.has_value()) << i;
        EXPECT_EQ(lights.state().sentLit, steps[i].sentLit) << "step " << i;
        EXPECT_EQ(lights.state().receivedLit, steps[i].receivedLit) << "step " << i;
    }
    EXPECT_EQ(lights.state().sentHint, QStringLiteral("100 bytes sent"));
    EXPECT_EQ(lights.state().receivedHint, QStringLiteral("20 bytes received"));
}

TEST(LightsController, TimerRunsOnlyWhileEnabledAndReportsChanges)
{
    auto source = std::make_unique<ScriptedCounters>();
    ScriptedCounters *counters = source.get();
    counters->script = {AdapterTotals{1234, 0}, std::nullopt, AdapterTotals{1234, 5}};
    LightsController controller(std::move(source));
    EXPECT_FALSE(controller.isEnabled());

    std::vector<std::pair<bool, bool>> lights;
    QStringList hints;
    QObject::connect(&controller, &LightsController::lightsChanged,
                     [&](bool s, bool r) { lights.emplace_back(s, r); });
    QObject::connect(&controller, &LightsController::hintsChanged,
                     [&](const QString &s, const QString &r) { hints << s << r; });
    controller.lightsTimerTimer();
    controller.lightsTimerTimer(); // failed read: no signal
    controller.lightsTimerTimer();
    EXPECT_EQ(lights, (std::vector<std::pair<bool, bool>>{{true, false}, {false, true}}));
    EXPECT_EQ(hints, (QStringList{"1,234 bytes sent", " bytes received", "1,234 bytes sent",
                                  "5 bytes received"}));

    controller.setEnabled(true);
    EXPECT_TRUE(controller.isEnabled());
    const int before = counters->reads;
    QDeadlineTimer deadline(5000);
    while (counters->reads < before + 3 && !deadline.hasExpired())
        spin(20);
    EXPECT_GE(counters->reads, before + 3);

    controller.setEnabled(false);
    EXPECT_FALSE(controller.isEnabled());
    const int stopped = counters->reads;
    spin(350);
    EXPECT_EQ(counters->reads, stopped);
}
