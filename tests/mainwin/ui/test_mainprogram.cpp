// The program as a whole: start-up and shut-down, the files they read and
// write, the error window, and the tray with and without a tray host.

#include "components/ui/TfrmDebug.h"
#include "components/ui/TfrmError.h"
#include "components/ui/TfrmSplash.h"
#include "components/ui/WvApplication.h"
#include "mainwin/ColumnWidthStore.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/MainTray.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "monitor/ui/TfrmRecognize.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/RefreshCycle.h"
#include "rules/RulesFile.h"
#include "settings/DebugTrace.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "stats/SummaryLog.h"
#include "stats/dialup/LightsController.h"
#include "stats/ui/TfrmSummary.h"
#include "tests/support/ProgramFixture.h"

#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <stdexcept>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::writeSetting;

namespace {

QString userFile(const char *name)
{
    return Paths::userFile(QString::fromLatin1(name));
}

} // namespace

class TestMainProgram : public QObject
{
    Q_OBJECT

private:
    ProgramFixture m_fx;

    MainProgram &create() { return m_fx.create(); }

private Q_SLOTS:
    void init() { m_fx.reset(); }
    void cleanup() { m_fx.destroy(); }

    // Under the tray-host wrapper (WV_EXPECT_TRAY set) the tray must come up;
    // elsewhere there is none to wait for.
    static bool trayUp()
    {
        if (qEnvironmentVariableIsEmpty("WV_EXPECT_TRAY"))
            return QSystemTrayIcon::isSystemTrayAvailable();
        QDeadlineTimer deadline(15000);
        while (!QSystemTrayIcon::isSystemTrayAvailable() && !deadline.hasExpired())
            QTest::qWait(50);
        return QSystemTrayIcon::isSystemTrayAvailable();
    }

    void aFreshStartShowsTheWindowAndRefreshes()
    {
        MainProgram &p = create();
        // The one-time timer runs from start-up (checked before any event
        // is processed: it is short).
        QVERIFY(p.oneTime().isActive());
        QVERIFY(QTest::qWaitForWindowExposed(&p.window()));
        QVERIFY(p.lifecycle().Started());
        QVERIFY(!p.debugWindow()->isVisible()); // the debug window option is off
        QVERIFY(p.window().toolbar().Toolbar971->isVisible());
        QVERIFY(p.window().statusPanels()->isVisible());
        QVERIFY(m_fx.notices.isEmpty());
        QTRY_VERIFY(!p.oneTime().isActive());
        QVERIFY(p.window().isVisible() && !p.window().isMinimized());
        // A live refresh of this machine fills the table without an error.
        p.window().toolbar().tb1->click();
        QVERIFY(p.window().toolbar().tb1->isEnabled());
        QVERIFY(p.window().statusText().startsWith(QStringLiteral("Wirevane  -  Last refresh: ")));
    }

    void panelFlagsAreLoadedAtStartUp()
    {
        {
            MainProgram &p = create();
            QVERIFY(p.window().statusPanels()->lightsController()->isEnabled());
            QVERIFY(p.window().statusPanels()->flags().hostname);
            m_fx.destroy();
        }
        RegistryStore().writeString(QStringLiteral("WVN3PRO\\Panels"), QStringLiteral("lights"),
                                    QStringLiteral("0"));
        MainProgram &p = create();
        QVERIFY(!p.window().statusPanels()->flags().lights);
        QVERIFY(!p.window().statusPanels()->lightsController()->isEnabled());
    }

    void namesAndSummaryServeTheTable()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(client.waitForConnected(3000));
        writeSetting("autoResolve", "0");
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.toolbar().tb1->click();
        QVERIFY(w.tableModel().count() > 0);
        // Every new row went into the session summary.
        QVERIFY(p.summaryLog().rowCount() >= w.tableModel().count());
        QVERIFY(w.toolbar().tb11->isEnabled());
        QTest::mouseClick(w.toolbar().tb11, Qt::LeftButton);
        QTRY_VERIFY(p.summaryWindow() && p.summaryWindow()->isVisible());

        w.pane().lv->selectRow(0);
        const QString address = w.selectedRecord()->RemoteAddressText;
        emit w.menus().mnuConnection->aboutToShow();
        QVERIFY(w.menus().mnuRecognizeAs->isEnabled());
        QString shownAddress;
        QTimer::singleShot(0, this, [&] {
            if (auto *d = qobject_cast<TfrmRecognize *>(QApplication::activeModalWidget())) {
                shownAddress = d->edIP->text();
                d->edName->setText(QStringLiteral("Loopback test"));
                d->btnOKClick();
            }
        });
        w.menus().mnuRecognizeAs->trigger();
        QCOMPARE(shownAddress, address);
        QVERIFY(w.cycle().RebuildPending());
        w.toolbar().tb1->click();
        QCOMPARE(w.tableModel().record(0).recognized, QStringLiteral("Loopback test"));
    }

    void aCorruptRulesFileIsReportedAndStartUpGoesOn()
    {
        const QString rules = userFile("rules.qrs");
        QFile f(rules);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a rules file");
        f.close();
        MainProgram &p = create();
        QCOMPARE(m_fx.notices,
                 (QStringList{RulesFile::corruptNotice(rules + QStringLiteral(".corrupt")),
                              RulesFile::LoadFailNotice}));
        QCOMPARE(p.rules().Count(), 0);
        QVERIFY(p.lifecycle().Started());
        QVERIFY(QTest::qWaitForWindowExposed(&p.window()));
        QVERIFY(QFile::exists(rules + QStringLiteral(".corrupt")));
    }

    void shutDownPaths_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("E&xit") << QStringLiteral("exit");
        QTest::newRow("close box") << QStringLiteral("close");
        QTest::newRow("tray Exit") << QStringLiteral("tray");
    }
    void shutDownPaths()
    {
        QFETCH(QString, how);
        writeSetting("xSumOnEnd", "1");
        MainProgram &p = create();
        QVERIFY(QTest::qWaitForWindowExposed(&p.window()));
        p.window().pane().lv->setColumnWidth(ConnectionTableModel::ColRemoteAddr, 123);
        if (how == QLatin1String("exit"))
            p.window().menus().mnuExit->trigger();
        else if (how == QLatin1String("close"))
            QVERIFY(p.window().close());
        else
            p.window().trayIcon().trayExit->trigger();
        QCOMPARE(m_fx.quits, 1);
        QCOMPARE(m_fx.summaries, 1);
        QVERIFY(p.lifecycle().Closing());
        QCOMPARE(RegistryStore().readString(QStringLiteral("WVN3PRO"), QStringLiteral("exePath")),
                 Paths::executablePath());
        QCOMPARE(ColumnWidthStore().load(8).at(ConnectionTableModel::ColRemoteAddr), 123);
        QVERIFY(IniFile(userFile("wvn3.ini")).sectionExists(QStringLiteral("TfrmMain")));
        // A close that follows does not shut down twice.
        p.window().close();
        QCOMPARE(m_fx.quits, 1);
    }

    void widthsAndPlacementComeBackAtTheNextStart()
    {
        {
            MainProgram &p = create();
            QVERIFY(QTest::qWaitForWindowExposed(&p.window()));
            p.window().pane().lv->setColumnWidth(ConnectionTableModel::ColLocalPort, 99);
            p.window().resize(700, 450);
            p.window().toolbar().popcustomize->actions().at(0)->trigger(); // hide "Adv Stat"
            p.ShutDown();
            m_fx.destroy();
        }
        MainProgram &p = create();
        QVERIFY(QTest::qWaitForWindowExposed(&p.window()));
        QCOMPARE(p.window().pane().lv->columnWidth(ConnectionTableModel::ColLocalPort), 99);
        QCOMPARE(p.window().width(), 700);
        QTRY_VERIFY(!p.window().toolbar().tb7->isVisible());
    }

    void splashFollowsItsOption()
    {
        {
            MainProgram &p = create();
            QVERIFY(!p.splash());
            m_fx.destroy();
        }
        writeSetting("showSplash", "1");
        MainProgram &p = create();
        QVERIFY(p.splash());
        QVERIFY(p.splash()->isVisible());
        QVERIFY(p.splash()->isTimerActive());
        QTRY_VERIFY(!p.splash());
    }

    void startInTrayNeverShowsTheWindow()
    {
        writeSetting("startInTray", "1");
        writeSetting("xDebugWindow", "1");
        debugTrace().clear();
        const bool tray = trayUp();
        if (!tray && !qEnvironmentVariableIsEmpty("WV_EXPECT_TRAY"))
            QFAIL("the tray host never came up");
        MainProgram &p = create();
        QVERIFY(!p.window().isVisible());
        QTRY_VERIFY(!p.oneTime().isActive());
        QVERIFY(debugTrace().text().contains(QStringLiteral("Minimizing to system tray..")));
        if (tray) {
            QVERIFY(p.window().isInTray());
            QVERIFY(!p.window().isVisible());
            QVERIFY(p.window().trayIcon().tray->isVisible());
        } else {
            // Without a tray the window waits minimised in the task bar.
            QTRY_VERIFY(p.window().isMinimized());
        }
    }

    void anExceptionInACommandReachesTheErrorWindow()
    {
        auto *app = WvApplication::instance();
        QVERIFY(app);
        MainProgram &p = create();
        QVERIFY(QTest::qWaitForWindowExposed(&p.window()));
        p.window().setCommandHandler(MainCommand::Options,
                                     [] { throw std::runtime_error("Options went wrong."); });
        const int before = app->exceptionCount();
        QString shown;
        QTimer::singleShot(0, this, [&] {
            TfrmError *w = app->errorWindow();
            shown = w->message();
            w->continueButton()->click();
        });
        QTest::mouseClick(p.window().toolbar().tb3, Qt::LeftButton);
        QCOMPARE(app->exceptionCount(), before + 1);
        QVERIFY2(shown.contains(QStringLiteral("Options went wrong.")), qPrintable(shown));
        // "Continue": the program goes on.
        QVERIFY(p.window().isVisible());
        QCOMPARE(m_fx.quits, 0);
        p.window().toolbar().tb1->click();
        QVERIFY(p.window().toolbar().tb1->isEnabled());
    }

    // Needs a tray host (run by the with-tray-host test under Xvfb).
    void trayHostHidesAndRestores()
    {
        if (!trayUp()) {
            if (!qEnvironmentVariableIsEmpty("WV_EXPECT_TRAY"))
                QFAIL("the tray host never came up");
            QSKIP("no tray host on this display");
        }
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.toolbar().tb4, Qt::LeftButton);
        QVERIFY(w.isInTray());
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(w.trayIcon().tray->isVisible());
        QVERIFY(!p.debugWindow()->isVisible());
        emit w.trayIcon().tray->activated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(w.isVisible());
        QVERIFY(!w.isInTray());
        QVERIFY(!w.trayIcon().tray->isVisible());
        QVERIFY(!p.debugWindow()->isVisible()); // shown only with its option

        // Minimising goes to the tray as well; a waiting alert is cleared on
        // the way back.
        w.showMinimized();
        QTRY_VERIFY(w.isInTray());
        QTRY_VERIFY(!w.isVisible());
        int cleared = 0;
        w.setWaitingAlertHandler([&] { ++cleared; });
        w.setAlertWaiting(true);
        QCOMPARE(w.trayIcon().trayRestore->text(), QStringLiteral("Show Alert"));
        w.trayIcon().trayRestore->trigger();
        QCOMPARE(cleared, 1);
        QCOMPARE(w.trayIcon().trayRestore->text(), QStringLiteral("Restore"));
        QTRY_VERIFY(w.isVisible());
    }

    // With WV_SCREENSHOT_DIR set (and a real display), saves pictures of the
    // main window, its menus and the status bar customizer.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("WV_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("WV_SCREENSHOT_DIR not set");
        writeSetting("morecols", "1");
        writeSetting("showListens", "1");
        writeSetting("colorCode", "1");
        writeSetting("showMenu", "1");
        RegistryStore().writeString(QStringLiteral("WVN3PRO\\Panels"), QStringLiteral("ip"),
                                    QStringLiteral("1"));
        // A few loopback connections so that the table has rows to show.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 3; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QHostAddress::LocalHost, server.serverPort());
            QVERIFY(clients.back()->waitForConnected(3000));
        }
        MainProgram &p = create();
        TfrmMain &w = p.window();
        p.debugWindow()->hide();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(qMax(w.width(), 760), 480);
        w.toolbar().tb1->click();
        QTest::qWait(1500);
        w.pane().lv->selectRow(1);
        w.tableModel().setMark(w.selectedRow(), 0);
        QVERIFY(w.grab().save(dir + QStringLiteral("/main.png")));
        QVERIFY(w.screen()->grabWindow(0).save(dir + QStringLiteral("/screen.png")));

        auto grabMenu = [&](QMenu *menu, const QPoint &at, const QString &file) {
            menu->popup(at);
            QTest::qWait(300);
            QVERIFY(menu->grab().save(dir + file));
            menu->close();
        };
        emit w.menus().mnuConnection->aboutToShow();
        const QPoint cell = w.pane().lv->visualRect(w.pane().lv->model()->index(1, 1)).center();
        QContextMenuEvent ev(QContextMenuEvent::Mouse, cell,
                             w.pane().lv->viewport()->mapToGlobal(cell));
        QApplication::sendEvent(w.pane().lv->viewport(), &ev);
        QTest::qWait(300);
        QVERIFY(w.menus().rxpop->grab().save(dir + QStringLiteral("/context.png")));
        w.menus().rxpop->close();
        grabMenu(w.trayIcon().trayPop, w.mapToGlobal(QPoint(300, 200)),
                 QStringLiteral("/tray.png"));
        grabMenu(w.menus().mnuConnection, w.mapToGlobal(QPoint(60, 30)),
                 QStringLiteral("/connection.png"));

        QTimer::singleShot(500, this, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                d->grab().save(dir + QStringLiteral("/customizer.png"));
                d->reject();
            }
        });
        w.statusPanels()->statDblClick(w.mapToGlobal(QPoint(400, 400)));
        QVERIFY(QFile::exists(dir + QStringLiteral("/customizer.png")));
    }
};

int main(int argc, char **argv)
{
    WvApplication app(argc, argv);
    TestMainProgram test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainprogram.moc"
