#include "mainwin/ColumnWidthStore.h"
#include "mainwin/ConnectionSort.h"
#include "mainwin/CopyConnection.h"
#include "mainwin/Lifecycle.h"
#include "mainwin/PlacementStore.h"
#include "mainwin/RowCommands.h"
#include "mainwin/WindowSnap.h"
#include "refresh/ConnectionRecord.h"
#include "refresh/ConnectionTableModel.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"
#include "tests/support/TestHome.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace wv;

namespace {

ConnectionRecord record(int number, const QString &host, int local, int remote,
                        const QString &state = QStringLiteral("ESTABLISHED"))
{
    ConnectionRecord r;
    r.number = number;
    r.RemoteAddressText = QStringLiteral("10.0.0.%1").arg(number);
    r.HostName = host;
    r.hostCell = host;
    r.LocalPortText = QString::number(local);
    r.RemotePortText = QString::number(remote);
    r.protocol = QStringLiteral("TCP");
    r.stateName = state;
    r.timeText = QStringLiteral("12:00:0%1").arg(number);
    r.recognized = QStringLiteral("???");
    r.key = r.RemoteAddressText + QLatin1Char('*') + r.LocalPortText;
    return r;
}

QStringList column(const QAbstractItemModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.append(m.index(r, c).data().toString());
    return out;
}

} // namespace

TEST(ColumnSortFlag, OneDirectionFlagServesEveryColumn)
{
    ColumnSortFlag flag;
    const auto first = flag.click(ConnectionTableModel::ColLocalPort);
    EXPECT_TRUE(first.sorts);
    EXPECT_EQ(first.order, Qt::AscendingOrder);
    const auto second = flag.click(ConnectionTableModel::ColLocalPort);
    EXPECT_EQ(second.order, Qt::DescendingOrder);

    // A click on "Time" sorts nothing but still flips the direction, so the
    // next "Local Port" click sorts the way the first one did.
    ColumnSortFlag f2;
    f2.click(ConnectionTableModel::ColLocalPort);
    const auto time = f2.click(ConnectionTableModel::ColTime);
    EXPECT_FALSE(time.sorts);
    EXPECT_TRUE(f2.ascending());
    EXPECT_EQ(f2.click(ConnectionTableModel::ColLocalPort).order, Qt::AscendingOrder);
    EXPECT_FALSE(f2.click(ConnectionTableModel::ColRecognized).sorts);
}

TEST(ConnectionSortProxy, NumericColumnsCompareNumbersAndTextColumnsIgnoreCase)
{
    ConnectionTableModel table;
    std::vector<ConnectionRecord> rows{record(1, QStringLiteral("beta"), 9, 443),
                                       record(2, QStringLiteral("Alpha"), 10, 80),
                                       record(3, QStringLiteral("gamma"), 1042, 22)};
    table.appendRecords(std::move(rows));
    ConnectionSortProxy proxy;
    proxy.setSourceModel(&table);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::Fatal);

    proxy.sort(ConnectionTableModel::ColLocalPort, Qt::AscendingOrder);
    EXPECT_EQ(column(proxy, ConnectionTableModel::ColLocalPort), (QStringList{"9", "10", "1042"}));
    proxy.sort(ConnectionTableModel::ColRemotePort, Qt::DescendingOrder);
    EXPECT_EQ(column(proxy, ConnectionTableModel::ColRemotePort), (QStringList{"443", "80", "22"}));
    proxy.sort(ConnectionTableModel::ColRemoteAddr, Qt::AscendingOrder);
    EXPECT_EQ(column(proxy, ConnectionTableModel::ColRemoteAddr),
              (QStringList{"Alpha", "beta", "gamma"}));

    // Rows keep their records through the sort.
    for (int r = 0; r < proxy.rowCount(); ++r) {
        const int source = proxy.mapToSource(proxy.index(r, 0)).row();
        EXPECT_EQ(table.record(source).hostCell,
                  proxy.index(r, ConnectionTableModel::ColRemoteAddr).data().toString());
    }

    // The filter bar matches any column without regard to case.
    proxy.setFilterFixedString(QStringLiteral("GAM"));
    EXPECT_EQ(column(proxy, ConnectionTableModel::ColRemoteAddr), QStringList{"gamma"});
    proxy.setFilterFixedString(QStringLiteral("1042"));
    EXPECT_EQ(proxy.rowCount(), 1);
}

TEST(CopyConnection, SingleFieldsAndTheEightLines)
{
    ConnectionRecord r = record(4, QStringLiteral("host.example"), 1042, 80);
    EXPECT_EQ(copyConnectionText(r, CopyField::HostName), QStringLiteral("host.example"));
    EXPECT_EQ(copyConnectionText(r, CopyField::Ip), QStringLiteral("10.0.0.4"));
    EXPECT_EQ(copyConnectionText(r, CopyField::Timestamp), QStringLiteral("12:00:04"));
    EXPECT_EQ(copyConnectionText(r, CopyField::Recognized), QStringLiteral("???"));
    EXPECT_EQ(copyConnectionText(r, CopyField::All),
              QStringLiteral("Hostname: host.example\r\nIP: 10.0.0.4\r\nLocal port: 1042\r\n"
                             "Remote port: 80\r\nProtocol: TCP\r\nStatus: ESTABLISHED\r\n"
                             "Aware since: 12:00:04\r\nRecognized as: ???"));
    // A row whose name did not resolve gives whatever host text it holds.
    r.HostName.clear();
    EXPECT_TRUE(copyConnectionText(r, CopyField::All).startsWith(QStringLiteral("Hostname: \r\n")));
}

TEST(RowCommands, CaptionsAndEnablingFollowTheSelection)
{
    const RowCommandState none = rowCommandState(nullptr, false, RowMenu::ContextMenu);
    EXPECT_FALSE(none.enabled);
    EXPECT_FALSE(none.viewAlertVisible);
    EXPECT_EQ(none.lookupCaption, QStringLiteral("Advanced Lookup [No connection Selected]"));
    EXPECT_EQ(none.localPortCaption, QStringLiteral("Local Port Info"));
    EXPECT_EQ(rowCommandState(nullptr, false, RowMenu::MainMenu).lookupCaption,
              QStringLiteral("Advanced Lookup"));

    ConnectionRecord r = record(1, QStringLiteral("a&b.example"), 1042, 80);
    const RowCommandState sel = rowCommandState(&r, false, RowMenu::ContextMenu);
    EXPECT_TRUE(sel.enabled);
    EXPECT_FALSE(sel.viewAlertVisible);
    EXPECT_EQ(sel.lookupCaption, QStringLiteral("Advanced Lookup [a&&b.example]"));
    EXPECT_EQ(sel.localPortCaption, QStringLiteral("Local Port Info [1042]"));
    EXPECT_EQ(sel.remotePortCaption, QStringLiteral("Remote Port Info [80]"));

    r.mark = MarkedRowImage;
    EXPECT_TRUE(rowCommandState(&r, false, RowMenu::MainMenu).viewAlertVisible);
    // During a refresh the row is as good as unselected.
    const RowCommandState busy = rowCommandState(&r, true, RowMenu::MainMenu);
    EXPECT_FALSE(busy.enabled);
    EXPECT_FALSE(busy.viewAlertVisible);
    EXPECT_EQ(busy.remotePortCaption, QStringLiteral("Remote Port Info"));
}

TEST(WindowSnap, EdgesWithinTheThresholdSnap)
{
    const QRect screen(0, 0, 1280, 800);
    EXPECT_EQ(snapToScreenEdges({19, 19}, screen), QPoint(0, 0));
    EXPECT_EQ(snapToScreenEdges({20, 5}, screen), QPoint(20, 0));
    EXPECT_EQ(snapToScreenEdges({-12, 300}, screen), QPoint(0, 300));
    // A second screen to the right, with a panel on top.
    const QRect right(1280, 30, 1024, 738);
    EXPECT_EQ(snapToScreenEdges({1290, 45}, right), QPoint(1280, 30));
    EXPECT_EQ(snapToScreenEdges({1400, 400}, right), QPoint(1400, 400));
}

class MainLogicFiles : public test::HomeTest
{
};

TEST_F(MainLogicFiles, ColumnWidthsRoundTripAndSkipMissingOrDamagedKeys)
{
    ColumnWidthStore store;
    EXPECT_EQ(store.filePath(), Paths::userFile(QStringLiteral("test1")));
    EXPECT_EQ(store.load(8), QVector<int>(8, ColumnWidthStore::Missing));
    ASSERT_TRUE(store.save({30, 74, 60, 71, 51, 42, 0, 186}));
    EXPECT_EQ(store.load(8), (QVector<int>{30, 74, 60, 71, 51, 42, 0, 186}));
    EXPECT_EQ(IniFile(store.filePath()).readString(QStringLiteral("g"), QStringLiteral("col7")),
              QStringLiteral("186"));

    IniFile ini(store.filePath());
    ini.deleteKey(QStringLiteral("g"), QStringLiteral("col1"));
    ini.writeString(QStringLiteral("g"), QStringLiteral("col2"), QStringLiteral("wide"));
    ini.writeString(QStringLiteral("g"), QStringLiteral("col3"), QStringLiteral("99999999"));
    const QVector<int> w = store.load(8);
    EXPECT_EQ(w[0], 30);
    EXPECT_EQ(w[1], ColumnWidthStore::Missing);
    EXPECT_EQ(w[2], ColumnWidthStore::Missing);
    EXPECT_EQ(w[3], ColumnWidthStore::Missing);
}

TEST_F(MainLogicFiles, PlacementRoundTripsAndIgnoresDamage)
{
    PlacementStore store;
    EXPECT_EQ(store.load(), Placement{});
    Placement p;
    p.geometry = QByteArray("\x01\x02geometry\xff", 11);
    p.state = QByteArray("state\0bytes", 11);
    p.controls = {{QStringLiteral("tb6"), true}, {QStringLiteral("Panel1"), false}};
    ASSERT_TRUE(store.save(p));
    EXPECT_EQ(store.load(), p);

    IniFile(store.filePath())
        .writeString(QStringLiteral("TfrmMain"), QStringLiteral("Geometry"), QStringLiteral("@@"));
    EXPECT_TRUE(store.load().geometry.isEmpty());
    EXPECT_EQ(store.load().state, p.state);
}

TEST_F(MainLogicFiles, ExePathIsWrittenAtEveryShutDown)
{
    RegistryStore registry;
    ASSERT_TRUE(SaveExePath(registry));
    EXPECT_EQ(registry.readString(QStringLiteral("WVN3PRO"), QStringLiteral("exePath")),
              Paths::executablePath());
    registry.writeString(QStringLiteral("WVN3PRO"), QStringLiteral("exePath"), QStringLiteral("x"));
    ASSERT_TRUE(SaveExePath(registry));
    EXPECT_EQ(registry.readString(QStringLiteral("WVN3PRO"), QStringLiteral("exePath")),
              Paths::executablePath());
}

namespace {

struct Recorder
{
    QStringList steps;
    std::function<void()> step(const char *name)
    {
        return [this, name] { steps.append(QString::fromLatin1(name)); };
    }
};

StartUpSteps allSteps(Recorder &r)
{
    StartUpSteps s;
    s.openIniFiles = r.step("ini");
    s.readRegistry = r.step("read");
    s.processOptions = r.step("process");
    s.showSplash = r.step("splash");
    s.createEngine = r.step("engine");
    s.refreshProgramsMenu = r.step("programs");
    s.minimizeToTray = r.step("tray");
    s.showMainWindow = r.step("show");
    s.startSplashTimer = r.step("splashTimer");
    s.loadColumnWidths = r.step("widths");
    s.loadPanelFlags = r.step("panels");
    s.createSummaryWindow = r.step("summary");
    s.showSummaryWindow = r.step("showSummary");
    return s;
}

} // namespace

TEST(Lifecycle, StartUpRunsItsStepsInOrderAsTheOptionsSay)
{
    Settings settings; // showSplash on, startInTray off by default
    Recorder r;
    Lifecycle life(settings);
    life.StartUp(allSteps(r));
    EXPECT_EQ(r.steps, (QStringList{"ini", "read", "process", "splash", "engine", "programs",
                                    "show", "splashTimer", "widths", "panels", "summary"}));
    EXPECT_FALSE(life.Started());

    // The options read by the registry step decide the rest.
    Recorder r2;
    Lifecycle life2(settings);
    StartUpSteps s = allSteps(r2);
    s.readRegistry = [&] {
        settings.showSplash = false;
        settings.startInTray = true;
        settings.xSumOnStart = true;
    };
    life2.StartUp(s);
    EXPECT_EQ(r2.steps, (QStringList{"ini", "process", "engine", "programs", "tray", "widths",
                                     "panels", "summary", "showSummary"}));
}

TEST(Lifecycle, ShutDownRunsOnceAndShowsTheSummaryOnlyWhenAsked)
{
    Settings settings;
    Recorder r;
    ShutDownSteps s;
    s.saveExePath = r.step("exePath");
    s.saveColumnWidths = r.step("widths");
    s.showSummaryModal = r.step("summary");
    s.savePlacement = r.step("placement");
    s.terminate = r.step("quit");
    Lifecycle life(settings);
    EXPECT_TRUE(life.ShutDown(s));
    EXPECT_TRUE(life.Closing());
    EXPECT_FALSE(life.ShutDown(s));
    EXPECT_EQ(r.steps, (QStringList{"exePath", "widths", "placement", "quit"}));

    settings.xSumOnEnd = true;
    Recorder r2;
    s.saveExePath = r2.step("exePath");
    s.saveColumnWidths = r2.step("widths");
    s.showSummaryModal = r2.step("summary");
    s.savePlacement = r2.step("placement");
    s.terminate = r2.step("quit");
    Lifecycle life2(settings);
    life2.ShutDown(s);
    EXPECT_EQ(r2.steps, (QStringList{"exePath", "widths", "summary", "placement", "quit"}));
}
