// The statistics window's logic: NetworkManager's answers mapped to the
// connection page, the adapter's figures and the choice of adapter, the
// "Transmission" group's counts and lights.

#include "engine/NetstatCounters.h"
#include "settings/RegistryStore.h"
#include "stats/advstat/AdapterStatistics.h"
#include "stats/advstat/DialUpConnections.h"
#include "stats/advstat/StatsListModel.h"
#include "stats/advstat/StatsPages.h"
#include "stats/advstat/Transmission.h"
#include "tests/stats/advstat/StatsFixtures.h"
#include "tests/support/TestHome.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wv;

namespace {

NmActiveAnswer modem(quint32 acState, std::optional<quint32> deviceState, quint32 reason = 0)
{
    NmActiveAnswer a;
    a.id = QStringLiteral("Mobile");
    a.type = QStringLiteral("gsm");
    a.state = acState;
    if (deviceState)
        a.devices.append({QStringLiteral("ttyUSB2"), QStringLiteral("ppp0"), QString(), 8,
                          *deviceState, reason});
    return a;
}

} // namespace

TEST(NetworkManagerMapping, RecordedAnswersGiveTheDialUpConnectionsInOrder)
{
    const QJsonObject recording = test::readRecording(QStringLiteral("answers.json"));
    ASSERT_FALSE(recording.isEmpty()) << "tests/data/nm/answers.json missing";
    const QList<DialUpConnection> got = dialUpConnectionsFrom(test::nmAnswersFromJson(recording));
    const QList<DialUpConnection> want = test::expectedConnectionsFromJson(recording);
    ASSERT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].entryName, want[i].entryName);
        EXPECT_EQ(got[i].stateText, want[i].stateText) << got[i].entryName.toStdString();
        EXPECT_EQ(got[i].deviceType, want[i].deviceType);
        EXPECT_EQ(got[i].deviceName, want[i].deviceName);
        EXPECT_EQ(got[i].interfaceName, want[i].interfaceName);
    }
}

TEST(NetworkManagerMapping, DeviceStatesFollowTheDialSequence)
{
    struct Case
    {
        quint32 ac;
        std::optional<quint32> device;
        quint32 reason;
        const char *text;
    };
    const Case cases[] = {
        {1, std::nullopt, 0, "Opening port"}, // activating, no device yet
        {1, 40, 0, "Connecting device"},      // prepare
        {1, 50, 0, "Device connected"},       // config
        {1, 60, 0, "Start authenticating"},   // need-auth
        {1, 70, 0, "Authentication: projecting"},
        {1, 80, 0, "Projected"},          // ip-check
        {1, 90, 0, "Logging on network"}, // secondaries
        {2, 100, 0, "Connected"},
        {3, 110, 0, "Disconnected"}, // deactivating
        {4, std::nullopt, 0, "Disconnected"},
        {2, std::nullopt, 0, "Connected"},
        {1, 120, 27, "The dialing attempt failed"},
        {1, 120, 0, "Disconnected"}, // failed without a reason
        {1, 120, 9999, "Error 9999"},
        {1, 0, 0, "Opening port"}, // device state unknown
    };
    for (const Case &c : cases)
        EXPECT_EQ(nmStateText(modem(c.ac, c.device, c.reason)), QLatin1String(c.text))
            << "device state " << c.device.value_or(0);
}

TEST(NetworkManagerMapping, OnlyDialUpKindsAndStateTextsOfTheTable)
{
    for (const char *t : {"gsm", "cdma", "pppoe", "bluetooth"})
        EXPECT_TRUE(isDialUpType(QLatin1String(t)));
    for (const char *t : {"802-3-ethernet", "802-11-wireless", "vpn", "wireguard", ""})
        EXPECT_FALSE(isDialUpType(QLatin1String(t)));
    EXPECT_EQ(dialUpStateText(0), QStringLiteral("Opening port"));
    EXPECT_EQ(dialUpStateText(21), QStringLiteral("Logging on network"));
    EXPECT_EQ(dialUpStateText(4099), QStringLiteral("Password expired"));
    EXPECT_EQ(dialUpStateText(8193), QStringLiteral("Disconnected"));
    EXPECT_TRUE(dialUpStateText(22).isEmpty());
}

TEST(ConnectionPage, FiveRowsWithAHiddenFirstCell)
{
    const DialUpConnection c{QStringLiteral("ISP"), QStringLiteral("Connected"),
                             QStringLiteral("modem"), QStringLiteral("ttyS0"),
                             QStringLiteral("ppp0")};
    const QList<QStringList> rows = connectionRows(c, QStringLiteral("56000"));
    ASSERT_EQ(rows.size(), 5);
    const char *names[] = {"Connection", "Status", "Device Type", "Device Name", "Connect rate"};
    const char *values[] = {"ISP", "Connected", "modem", "ttyS0", "56000"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(rows[i][0].isEmpty());
        EXPECT_EQ(rows[i][1], QLatin1String(names[i]));
        EXPECT_EQ(rows[i][2], QLatin1String(values[i]));
    }
}

TEST(StatsPages, CaptionsAndNamesInPageOrder)
{
    const char *captions[] = {"Connection Stats", "ICMP Stats", "IP Stats", "TCP Stats",
                              "UDP Stats"};
    const char *names[] = {"connection", "icmp", "ip", "tcp", "udp"};
    for (int i = 0; i < StatsPageCount; ++i) {
        EXPECT_EQ(statsPageCaption(StatsPage(i)), QLatin1String(captions[i]));
        EXPECT_EQ(statsPageFromName(QLatin1String(names[i])), StatsPage(i));
    }
    EXPECT_EQ(statsPageFromName(QStringLiteral("TCP")), StatsPage::Tcp);
    EXPECT_FALSE(statsPageFromName(QStringLiteral("arp")));
}

TEST(StatsPages, EveryCounterOfTheFourListsWithItsNumberNameAndSignedValue)
{
    StatsCounterSet set;
    int total = 0;
    for (StatsPage p : {StatsPage::Icmp, StatsPage::Ip, StatsPage::Tcp, StatsPage::Udp}) {
        const CounterRows rows = readCounterRows(*set.listFor(p));
        ASSERT_FALSE(rows.error) << rows.error->toStdString();
        for (qsizetype i = 0; i < rows.rows.size(); ++i) {
            EXPECT_EQ(rows.rows[i][0], QString::number(i + 1));
            bool ok = false;
            rows.rows[i][2].toInt(&ok);
            EXPECT_TRUE(ok) << rows.rows[i][2].toStdString();
        }
        total += int(rows.rows.size());
    }
    EXPECT_EQ(total, 62);
    const CounterRows tcp = readCounterRows(set.TCPStats1());
    EXPECT_EQ(tcp.rows[3][1], QStringLiteral("tcpMaxConn"));
    // Linux has no fixed connection limit: MIB-II's -1.
    EXPECT_EQ(tcp.rows[3][2], QStringLiteral("-1"));
    EXPECT_EQ(readCounterRows(set.IcmpStats1()).rows[7][1], QStringLiteral("icmpInEchos"));
}

TEST(StatsListModel, PadsRowsAndPassesTheModelTester)
{
    StatsListModel model(counterColumns());
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setRows({{QStringLiteral("1"), QStringLiteral("a")}, {QStringLiteral("2")}});
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.cell(0, 1), QStringLiteral("a"));
    EXPECT_TRUE(model.cell(1, 2).isEmpty());
    EXPECT_TRUE(model.cell(5, 0).isEmpty());
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Value"));
}

class AdapterTest : public test::HomeTest
{
protected:
    QTemporaryDir sys;
    QString route(const QByteArray &table)
    {
        const QString path = sys.filePath(QStringLiteral("route"));
        test::writeFile(path, table);
        return path;
    }
};

TEST_F(AdapterTest, FiguresOfTheInterfaceWithSpeedWhereTheDriverGivesIt)
{
    test::writeSysfsInterface(sys.path(), QStringLiteral("ppp0"), 1200, 3400, 17, "100");
    test::writeSysfsInterface(sys.path(), QStringLiteral("veth1"), 5, 6, 7, "-1");
    test::writeSysfsInterface(sys.path(), QStringLiteral("lo"), 0, 0, 0);

    const auto ppp = readAdapterStatistics(QStringLiteral("ppp0"), sys.path());
    ASSERT_TRUE(ppp);
    EXPECT_EQ(ppp->bytesSent, 1200u);
    EXPECT_EQ(ppp->bytesReceived, 3400u);
    EXPECT_EQ(ppp->framesReceived, 17u);
    EXPECT_EQ(ppp->connectSpeed, 100000000u);
    EXPECT_FALSE(readAdapterStatistics(QStringLiteral("veth1"), sys.path())->connectSpeed);
    EXPECT_FALSE(readAdapterStatistics(QStringLiteral("lo"), sys.path())->connectSpeed);
    EXPECT_FALSE(readAdapterStatistics(QStringLiteral("wlan9"), sys.path()));
    EXPECT_FALSE(readAdapterStatistics(QStringLiteral(".."), sys.path()));
    EXPECT_FALSE(readAdapterStatistics(QString(), sys.path()));
    EXPECT_EQ(networkInterfaces(sys.path()),
              (QStringList{QStringLiteral("lo"), QStringLiteral("ppp0"), QStringLiteral("veth1")}));
    EXPECT_EQ(adapterDescription(QStringLiteral("ppp0"), sys.path()), QStringLiteral("ppp0"));
}

TEST_F(AdapterTest, DefaultRouteUnlessTheUserNamesOneKeptInRegistryIni)
{
    const QString table = route("Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n"
                                "wwan0\t00000000\t0100A8C0\t0003\t0\t0\t0\t00000000\n");
    {
        RegistryStore registry;
        AdapterChoice choice(registry, table);
        EXPECT_TRUE(choice.named().isEmpty());
        EXPECT_EQ(choice.current(), QStringLiteral("wwan0"));
        EXPECT_FALSE(choice.setNamed(QStringLiteral("../etc")));
        EXPECT_TRUE(choice.setNamed(QStringLiteral("ppp0")));
    }
    RegistryStore reread;
    AdapterChoice choice(reread, table);
    EXPECT_EQ(choice.current(), QStringLiteral("ppp0"));
    EXPECT_EQ(reread.readString(QStringLiteral("WVN3PRO\\DialUp"), QStringLiteral("Adapter")),
              QStringLiteral("ppp0"));
    EXPECT_TRUE(choice.setNamed(QString()));
    EXPECT_EQ(choice.current(), QStringLiteral("wwan0"));
    // A name put in the file by hand that could leave /sys/class/net is ignored.
    reread.writeString(QStringLiteral("WVN3PRO\\DialUp"), QStringLiteral("Adapter"),
                       QStringLiteral("a/b"));
    EXPECT_EQ(choice.current(), QStringLiteral("wwan0"));
}

TEST(Transmission, ZeroShowsEmptyAndLightsShowChangeBetweenTicks)
{
    Transmission t;
    AdapterStatistics s;
    ASSERT_TRUE(t.tick(s));
    EXPECT_EQ(t.view(), Transmission::View{});

    s.bytesSent = 1234567;
    s.bytesReceived = 2147483648ull; // past 2^31: still a positive count
    s.framesReceived = 999;
    t.tick(s);
    EXPECT_EQ(t.view().sent, QStringLiteral("1,234,567"));
    EXPECT_EQ(t.view().received, QStringLiteral("2,147,483,648"));
    EXPECT_EQ(t.view().frames, QStringLiteral("999"));
    EXPECT_TRUE(t.view().sentLit);
    EXPECT_TRUE(t.view().receivedLit);

    s.bytesReceived += 60;
    t.tick(s);
    EXPECT_FALSE(t.view().sentLit); // unchanged for a tick: dark
    EXPECT_TRUE(t.view().receivedLit);

    // A failed read keeps labels and lights as they were.
    const Transmission::View before = t.view();
    EXPECT_FALSE(t.tick(std::nullopt));
    EXPECT_EQ(t.view(), before);
}
