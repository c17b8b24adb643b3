#include "CycleFixture.h"

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

const QString kLastRefreshPrefix = QStringLiteral("Wirevane  -  Last refresh: ");

TEST(RefreshCycle, FirstRefreshReportsListenersAndConnectionsInReverseSnapshotOrder)
{
    CycleFixture f;
    const QStringList events =
        f.refresh({tcp("0.0.0.0", 22, 0, Listen, "0.0.0.0"), tcp("10.0.0.5", 1042, 80, Established),
                   tcp("10.0.0.9", 1043, 443, SynSent), udp(137)});
    EXPECT_EQ(events, (QStringList{
                          QStringLiteral("New Conn: 10.0.0.9, remote port 443, status SYN_SENT"),
                          QStringLiteral("New Conn: 10.0.0.5, remote port 80, status ESTABLISHED"),
                          QStringLiteral("Port 137 is now open and listening"),
                          QStringLiteral("Port 22 is now open and listening"),
                      }));
    ASSERT_EQ(f.table.count(), 2);
    const ConnectionRecord &first = f.table.record(0);
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.key, QStringLiteral("10.0.0.9*1043*443*SYN_SENT"));
    EXPECT_EQ(first.StateCode, SynSent);
    EXPECT_EQ(first.protocol, QStringLiteral("TCP"));
    EXPECT_EQ(first.recognized, QStringLiteral("???"));
    EXPECT_EQ(f.table.record(1).number, 2);
    EXPECT_EQ(f.cycle->ConnectionKeys(),
              (QStringList{QStringLiteral("10.0.0.9*1043*443*SYN_SENT"),
                           QStringLiteral("10.0.0.5*1042*80*ESTABLISHED")}));
    EXPECT_FALSE(f.cycle->RebuildPending());

    // Nothing changed: no event, no new row.
    EXPECT_TRUE(f.refresh(f.source.takeSnapshot()).isEmpty());
    EXPECT_EQ(f.table.count(), 2);
}

TEST(RefreshCycle, StateChangeGivesOneChangedStateAndOneNewConnThenRebuilds)
{
    CycleFixture f;
    f.refresh({tcp("10.0.0.5", 1042, 80, SynSent)});
    const QStringList events = f.refresh({tcp("10.0.0.5", 1042, 80, Established)});
    EXPECT_EQ(events, (QStringList{
                          QStringLiteral("Connection to 10.0.0.5 on remote port 80 and local port "
                                         "1042 has changed state to ESTABLISHED"),
                          QStringLiteral("New Conn: 10.0.0.5, remote port 80, status ESTABLISHED"),
                      }));
    // The old row stays listed until the next refresh rebuilds the table.
    EXPECT_EQ(f.table.count(), 2);
    EXPECT_EQ(f.cycle->VanishedRows(), QStringList{QStringLiteral("0")});
    EXPECT_TRUE(f.cycle->RebuildPending());

    // The rebuild redraws the connection it already announced, silently.
    EXPECT_TRUE(f.refresh({tcp("10.0.0.5", 1042, 80, Established)}).isEmpty());
    ASSERT_EQ(f.table.count(), 1);
    EXPECT_EQ(f.table.record(0).number, 1);
    EXPECT_TRUE(f.cycle->VanishedRows().isEmpty());
    EXPECT_FALSE(f.cycle->RebuildPending());
}

TEST(RefreshCycle, OneClosingAmongSixtyGivesOneEventAndTheRebuildAnnouncesOnlyNewOnes)
{
    CycleFixture f;
    QList<SnapshotRow> open;
    for (int i = 0; i < 60; ++i)
        open.append(tcp("127.0.0.1", 40000 + i, 5000, Established));
    EXPECT_EQ(f.refresh(open).size(), 60);

    open.removeAt(17);
    EXPECT_EQ(f.refresh(open),
              QStringList{QStringLiteral("Connection 127.0.0.1 on remote port 5000 is no longer "
                                         "connected with a ESTABLISHED status to your system")});
    ASSERT_TRUE(f.cycle->RebuildPending());

    // The rebuild: 59 rows redrawn without a word, one really new connection
    // announced, rules run over every row.
    const int passes = f.rules.passes;
    open.append(tcp("127.0.0.1", 41000, 5000, SynSent));
    EXPECT_EQ(f.refresh(open), QStringList{QStringLiteral(
                                   "New Conn: 127.0.0.1, remote port 5000, status SYN_SENT")});
    EXPECT_EQ(f.table.count(), 60);
    EXPECT_EQ(f.rules.passes, passes + 1);
    EXPECT_FALSE(f.cycle->RebuildPending());
    EXPECT_TRUE(f.refresh(open).isEmpty());

    // A connection that went away and comes back later is new again.
    const SnapshotRow back = open.takeFirst();
    f.refresh(open);
    f.refresh(open);
    open.prepend(back);
    EXPECT_EQ(f.refresh(open), QStringList{QStringLiteral(
                                   "New Conn: 127.0.0.1, remote port 5000, status ESTABLISHED")});
}

TEST(RefreshCycle, TcpAndUdpListenerOnOnePortGiveTwoEntriesUdpFirst)
{
    CycleFixture f;
    f.listen.setColorCode(true);
    const QStringList events = f.refresh({tcp("0.0.0.0", 53, 0, Listen, "0.0.0.0"), udp(53)});
    EXPECT_EQ(f.cycle->ListenPorts(), (QStringList{QStringLiteral("53"), QStringLiteral("53")}));
    EXPECT_EQ(f.cycle->ListenUdpMarks(), (QStringList{QStringLiteral("53"), QStringLiteral("n")}));
    EXPECT_EQ(f.table.count(), 0);
    EXPECT_EQ(events, QStringList(2, QStringLiteral("Port 53 is now open and listening")));
    // In the grid: one column, the UDP one on top in the UDP colour.
    EXPECT_EQ(f.listen.columnCount(), 2);
    EXPECT_EQ(f.listen.cellColor(0, 1), ListenPortsModel::UdpListenColor);
    EXPECT_EQ(f.listen.cellColor(1, 1), ListenPortsModel::ListenColor);
}

TEST(RefreshCycle, ListeningChangesAreReportedOncePerChange)
{
    CycleFixture f;
    f.refresh({tcp("0.0.0.0", 22, 0, Listen), tcp("0.0.0.0", 80, 0, Listen)});
    EXPECT_TRUE(
        f.refresh({tcp("0.0.0.0", 22, 0, Listen), tcp("0.0.0.0", 80, 0, Listen)}).isEmpty());
    EXPECT_EQ(f.refresh({tcp("0.0.0.0", 22, 0, Listen), tcp("0.0.0.0", 8080, 0, Listen)}),
              (QStringList{QStringLiteral("Port 8080 is now open and listening"),
                           QStringLiteral("Port 80 is no longer open/listening")}));
    EXPECT_EQ(f.cycle->PreviousListenPorts(),
              (QStringList{QStringLiteral("8080"), QStringLiteral("22")}));
    EXPECT_TRUE(
        f.refresh({tcp("0.0.0.0", 22, 0, Listen), tcp("0.0.0.0", 8080, 0, Listen)}).isEmpty());
}

TEST(RefreshCycle, EmptySnapshotReportsEveryRowAndEmptiesTheTableNextTime)
{
    CycleFixture f;
    f.refresh({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.6", 1050, 25, CloseWait)});
    EXPECT_EQ(f.refresh({}),
              (QStringList{QStringLiteral("Connection 10.0.0.5 on remote port 80 is no longer "
                                          "connected with a ESTABLISHED status to your system"),
                           QStringLiteral("Connection 10.0.0.6 on remote port 25 is no longer "
                                          "connected with a CLOSE_WAIT status to your system")}));
    EXPECT_EQ(f.cycle->VanishedRows(), (QStringList{QStringLiteral("1"), QStringLiteral("0")}));
    EXPECT_EQ(f.table.count(), 2);
    EXPECT_TRUE(f.cycle->RebuildPending());
    EXPECT_TRUE(f.refresh({}).isEmpty());
    EXPECT_EQ(f.table.count(), 0);
    EXPECT_TRUE(f.cycle->ConnectionKeys().isEmpty());
}

TEST(RefreshCycle, ChangedStateNamesTheFirstSnapshotRowWithTheSamePorts)
{
    CycleFixture f;
    f.refresh({tcp("10.0.0.5", 1042, 80, Established)});
    // Two rows share address and ports (two local addresses); the first
    // in snapshot order is named.
    const QStringList events = f.refresh({tcp("10.0.0.5", 1042, 80, FinWait1, "10.0.0.1"),
                                          tcp("10.0.0.5", 1042, 80, CloseWait, "10.0.0.2")});
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.first(), QStringLiteral("Connection to 10.0.0.5 on remote port 80 and local "
                                             "port 1042 has changed state to FIN_WAIT_1"));
}

TEST(RefreshCycle, WithoutAutoResolveTheHostCellIsTheAddressAndEachAddressIsAnnounced)
{
    CycleFixture f(false);
    f.refresh({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.6", 1050, 25, Established)});
    EXPECT_EQ(f.hosts.lookups, 0);
    EXPECT_EQ(f.hostCells(), (QStringList{QStringLiteral("10.0.0.6"), QStringLiteral("10.0.0.5")}));
    for (int i = 0; i < f.table.count(); ++i)
        EXPECT_EQ(f.table.record(i).HostName, f.table.record(i).RemoteAddressText);
    ASSERT_EQ(f.status.texts.size(), 3);
    EXPECT_EQ(f.status.texts[0], QStringLiteral("Looking up [10.0.0.6]"));
    EXPECT_EQ(f.status.texts[1], QStringLiteral("Looking up [10.0.0.5]"));
    EXPECT_TRUE(f.status.texts[2].startsWith(kLastRefreshPrefix));
    EXPECT_EQ(f.controls.trayHint, f.status.texts[2]);
}

TEST(RefreshCycle, WithAutoResolveNewRowsAreLookedUpOnce)
{
    CycleFixture f(true);
    f.hosts.lookup = [](const QString &a) {
        return a == QLatin1String("10.0.0.6") ? QString() : QStringLiteral("mail.example.org");
    };
    const QStringList events =
        f.refresh({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.6", 1050, 25, Established)});
    // An address that has no name is shown, named and copied as itself.
    EXPECT_EQ(f.hostCells(),
              (QStringList{QStringLiteral("10.0.0.6"), QStringLiteral("mail.example.org")}));
    EXPECT_EQ(f.table.record(0).HostName, QStringLiteral("10.0.0.6"));
    EXPECT_EQ(events.first(),
              QStringLiteral("New Conn: 10.0.0.6, remote port 25, status ESTABLISHED"));
    EXPECT_EQ(f.table.record(1).HostName, QStringLiteral("mail.example.org"));
    EXPECT_EQ(f.table.record(1).RemoteAddressText, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(events.last(),
              QStringLiteral("New Conn: mail.example.org, remote port 80, status ESTABLISHED"));
    f.refresh({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.6", 1050, 25, Established)});
    EXPECT_EQ(f.hosts.lookups, 2);
}

TEST(RefreshCycle, HiddenExtraColumnsStayHiddenAfterEveryCycle)
{
    CycleFixture f;
    for (int round = 0; round < 3; ++round) {
        f.controls.widths[ConnectionTableModel::ColTime] = 80; // the user widened it
        f.refresh({tcp("10.0.0.5", 1042, 80, Established)});
        EXPECT_EQ(f.controls.widths.value(ConnectionTableModel::ColTime), 0);
        EXPECT_EQ(f.controls.widths.value(ConnectionTableModel::ColRecognized), 0);
    }
    EXPECT_TRUE(f.controls.fitted.contains(ConnectionTableModel::ColProtocol));
    EXPECT_TRUE(f.controls.fitted.contains(ConnectionTableModel::ColStatus));

    f.settings.morecols = true;
    f.controls.widths[ConnectionTableModel::ColTime] = 116;
    f.refresh({});
    EXPECT_EQ(f.controls.widths.value(ConnectionTableModel::ColTime), 116);
}

TEST(RefreshCycle, ControlsAreSetDuringAndRestoredAfterACycle)
{
    CycleFixture f;
    f.settings.autoRefresh = true;
    f.hosts.lookup = [&f](const QString &a) {
        // In the middle of a cycle (a look-up waits with the interface alive).
        EXPECT_FALSE(f.controls.refreshEnabled);
        EXPECT_TRUE(f.controls.busy);
        EXPECT_FALSE(f.controls.refresher);
        EXPECT_FALSE(f.controls.infoEnabled);
        EXPECT_EQ(f.controls.progress, 0);
        return a;
    };
    f.settings.autoResolve = true;
    f.controls.selected = true;
    f.refresh({tcp("10.0.0.5", 1042, 80, Established)});
    EXPECT_TRUE(f.controls.refreshEnabled);
    EXPECT_FALSE(f.controls.busy);
    EXPECT_TRUE(f.controls.refresher);
    EXPECT_TRUE(f.controls.infoEnabled);
    EXPECT_EQ(f.controls.progress, 100);
}

TEST(RefreshCycle, AFailureRestoresTheControlsAndReachesTheCaller)
{
    CycleFixture f;
    f.settings.autoRefresh = true;
    f.refresh({tcp("10.0.0.5", 1042, 80, Established)});
    f.source.pushFailure(QStringLiteral("SNMP query failed."));
    try {
        f.cycle->RefreshConnections();
        FAIL() << "the failure was swallowed";
    } catch (const SnapshotError &e) {
        EXPECT_STREQ(e.what(), "SNMP query failed.");
    }
    EXPECT_TRUE(f.controls.refreshEnabled);
    EXPECT_FALSE(f.controls.busy);
    EXPECT_TRUE(f.controls.refresher);
    EXPECT_FALSE(f.cycle->isRunning());
    EXPECT_EQ(f.table.count(), 1);

    // A failing look-up in the middle keeps the rows added before it.
    f.settings.autoResolve = true;
    int calls = 0;
    f.hosts.lookup = [&calls](const QString &a) -> QString {
        if (++calls == 2)
            throw std::runtime_error("resolver gone");
        return a;
    };
    f.source.push({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.7", 1, 2, Established),
                   tcp("10.0.0.8", 3, 4, Established)});
    EXPECT_THROW(f.cycle->RefreshConnections(), std::runtime_error);
    EXPECT_EQ(f.table.count(), 2);
    EXPECT_TRUE(f.controls.refreshEnabled);
    EXPECT_TRUE(f.controls.refresher);
    // And the next refresh works.
    f.hosts.lookup = nullptr;
    f.refresh({});
    EXPECT_TRUE(f.controls.refreshEnabled);
}

TEST(RefreshCycle, ACycleStartedInsideALookUpIsIgnored)
{
    CycleFixture f(true);
    f.hosts.lookup = [&f](const QString &a) {
        f.cycle->RefreshConnections();
        f.cycle->UpdateConnectionTable();
        return a;
    };
    f.refresh({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.6", 1042, 80, Established)});
    EXPECT_EQ(f.source.calls(), 1);
    EXPECT_EQ(f.table.count(), 2);
}

TEST(RefreshCycle, TheTableHoldsMoreThanAThousandRows)
{
    CycleFixture f;
    QList<SnapshotRow> rows;
    for (int i = 0; i < 1500; ++i)
        rows.append(tcp("10.1.0.1", 20000 + i, 443, Established));
    const QStringList events = f.refresh(rows);
    ASSERT_EQ(f.table.count(), 1500);
    EXPECT_EQ(events.size(), 1500);
    EXPECT_EQ(f.table.record(1499).number, 1500);
    EXPECT_EQ(f.table.record(1499).LocalPortText, QStringLiteral("20000"));
}

TEST(RefreshCycle, ADirectUpdateWhileARebuildIsPendingCountsNoRowAsCurrent)
{
    CycleFixture f;
    f.refresh({tcp("10.0.0.5", 1042, 80, Established), tcp("10.0.0.6", 1, 2, Established)});
    f.refresh({tcp("10.0.0.5", 1042, 80, Established)});
    ASSERT_TRUE(f.cycle->RebuildPending());
    f.summary.clear();
    f.source.push({tcp("10.0.0.5", 1042, 80, Established)});
    f.cycle->UpdateConnectionTable();
    EXPECT_EQ(f.summary.texts().first(),
              QStringLiteral("Connection to 10.0.0.5 on remote port 80 and local port 1042 has "
                             "changed state to ESTABLISHED"));
    EXPECT_EQ(f.table.count(), 2); // no rebuild and nothing appended
}

TEST(ListenPortsModel, PlacesPortsTwoPerColumnAndColoursOnlyWhenAsked)
{
    ListenPortsModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(m.columnCount(), 1); // only the fixed column
    m.setPorts({QStringLiteral("22"), QStringLiteral("137"), QStringLiteral("80")},
               {QStringLiteral("n"), QStringLiteral("137"), QStringLiteral("n")});
    EXPECT_EQ(m.columnCount(), 3);
    EXPECT_EQ(m.cellText(0, 0), QStringLiteral("Port"));
    EXPECT_EQ(m.cellText(1, 0), QStringLiteral("Proto"));
    EXPECT_EQ(m.cellText(0, 1), QStringLiteral("22"));
    EXPECT_EQ(m.cellText(1, 1), QStringLiteral("137"));
    EXPECT_EQ(m.cellText(0, 2), QStringLiteral("80"));
    EXPECT_EQ(m.cellText(1, 2), QString()); // odd count: the last cell is empty
    EXPECT_FALSE(m.cellColor(0, 1).has_value());

    m.setColorCode(true);
    EXPECT_EQ(m.cellColor(0, 1), ListenPortsModel::ListenColor);
    EXPECT_EQ(m.cellColor(1, 1), ListenPortsModel::UdpListenColor);
    EXPECT_FALSE(m.cellColor(1, 2).has_value());
    EXPECT_FALSE(m.cellColor(0, 0).has_value());
    EXPECT_EQ(ListenPortsModel::toRgb(ListenPortsModel::UdpListenColor), 0xA09683u);

    m.setPorts({QStringLiteral("53")}, {QStringLiteral("53")});
    EXPECT_EQ(m.columnCount(), 2);
    EXPECT_EQ(m.cellColor(0, 1), ListenPortsModel::UdpListenColor);
    m.setPorts({}, {});
    EXPECT_EQ(m.columnCount(), 1);
}

} // namespace
