// The main window on its own: sorting, row commands, menus, the toolbar's
// customisation, the menu bar and the tray without a tray host.

#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/MainTray.h"
#include "mainwin/ui/TfrmMain.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/RefreshCycle.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "settings/programs/ProgramsList.h"
#include "tests/support/WindowFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

#include <functional>
#include <memory>

using namespace wv;
using wv::test::WindowFixture;

namespace {

class RecordingPortInfo : public PortInfoOpener
{
public:
    void ShowPortInfo(int port) override { ports.append(port); }
    QList<int> ports;
};

// A look-up that lets the test act while the refresh waits for a name.
class WaitingHosts : public HostNameProvider
{
public:
    QString GetHostName(const QString &address) override
    {
        if (during) {
            auto f = std::move(during);
            during = nullptr;
            f();
        }
        return QStringLiteral("host-") + address;
    }
    std::function<void()> during;
};

SnapshotRow est(const char *remote, int localPort, int remotePort)
{
    return SnapshotRow::tcp(QStringLiteral("192.168.1.2"), localPort, QString::fromLatin1(remote),
                            remotePort, 5);
}

QStringList columnTexts(const QTableView *lv, int column)
{
    QStringList out;
    for (int r = 0; r < lv->model()->rowCount(); ++r)
        out.append(lv->model()->index(r, column).data().toString());
    return out;
}

void clickHeader(QTableView *lv, int column)
{
    QHeaderView *h = lv->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(column) + 4, h->height() / 2));
}

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fx;
    ScriptedSource m_source;
    RecordingPortInfo m_portInfo;
    WaitingHosts m_hosts;

    void open()
    {
        TfrmMain::Services s;
        s.source = &m_source;
        s.portInfo = &m_portInfo;
        s.hosts = &m_hosts;
        QVERIFY(m_fx.open(s, [](TfrmMain &w) {
            w.setErrorReporter([](const QString &m) { QFAIL(qPrintable(m)); });
        }));
    }

    // Three rows whose appending order differs from every sort order.
    void fill()
    {
        m_source.push(
            {est("10.0.0.7", 3000, 22), est("10.0.0.5", 80, 443), est("10.0.0.9", 1042, 8080)});
        m_fx.window->toolbar().tb1->click();
        QCOMPARE(m_fx.window->tableModel().count(), 3);
    }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        m_fx.settings->values().morecols = true;
        m_source = ScriptedSource();
        m_portInfo.ports.clear();
        m_hosts.during = nullptr;
    }
    void cleanup() { m_fx.destroy(); }

    void headerClicksShareOneDirectionFlag()
    {
        open();
        fill();
        QTableView *lv = m_fx.window->pane().lv;
        clickHeader(lv, ConnectionTableModel::ColLocalPort);
        QCOMPARE(columnTexts(lv, ConnectionTableModel::ColLocalPort),
                 (QStringList{"80", "1042", "3000"}));
        // "Time" does not sort, but flips the direction.
        clickHeader(lv, ConnectionTableModel::ColTime);
        QCOMPARE(columnTexts(lv, ConnectionTableModel::ColLocalPort),
                 (QStringList{"80", "1042", "3000"}));
        clickHeader(lv, ConnectionTableModel::ColLocalPort);
        QCOMPARE(columnTexts(lv, ConnectionTableModel::ColLocalPort),
                 (QStringList{"80", "1042", "3000"}));
        clickHeader(lv, ConnectionTableModel::ColLocalPort);
        QCOMPARE(columnTexts(lv, ConnectionTableModel::ColLocalPort),
                 (QStringList{"3000", "1042", "80"}));
        clickHeader(lv, ConnectionTableModel::ColRemoteAddr);
        QCOMPARE(columnTexts(lv, ConnectionTableModel::ColRemoteAddr),
                 (QStringList{"host-10.0.0.5", "host-10.0.0.7", "host-10.0.0.9"}));
    }

    void headerAndContextMenuDoNothingDuringARefresh()
    {
        m_fx.settings->values().autoResolve = true;
        open();
        fill();
        m_source.push({est("10.0.0.7", 3000, 22), est("10.0.0.5", 80, 443),
                       est("10.0.0.9", 1042, 8080), est("10.0.0.3", 5000, 25)});
        bool checked = false;
        m_hosts.during = [this, &checked] {
            QVERIFY(!m_fx.window->toolbar().tb1->isEnabled());
            clickHeader(m_fx.window->pane().lv, ConnectionTableModel::ColLocalPort);
            QVERIFY(m_fx.window->sortAscending());
            QCOMPARE(m_fx.window->sortedModel().sortColumn(), -1);
            QWidget *vp = m_fx.window->pane().lv->viewport();
            QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 vp->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(vp, &ev);
            QVERIFY(!m_fx.window->menus().rxpop->isVisible());
            checked = true;
        };
        m_fx.window->toolbar().tb1->click();
        QVERIFY(checked);
        // Afterwards both work again.
        clickHeader(m_fx.window->pane().lv, ConnectionTableModel::ColLocalPort);
        QCOMPARE(m_fx.window->sortedModel().sortColumn(), int(ConnectionTableModel::ColLocalPort));
        QWidget *vp = m_fx.window->pane().lv->viewport();
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), vp->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(vp, &ev);
        QTRY_VERIFY(m_fx.window->menus().rxpop->isVisible());
        m_fx.window->menus().rxpop->close();
    }

    void rowCommandsActOnTheSelectedRowAfterSorting()
    {
        open();
        fill();
        clickHeader(m_fx.window->pane().lv, ConnectionTableModel::ColLocalPort); // ascending
        clickHeader(m_fx.window->pane().lv, ConnectionTableModel::ColLocalPort); // descending
        m_fx.window->pane().lv->selectRow(0); // local port 3000, appended first
        QCOMPARE(m_fx.window->selectedRecord()->LocalPortText, QStringLiteral("3000"));

        emit m_fx.window->menus().mnuConnection->aboutToShow();
        QVERIFY(m_fx.window->menus().mnuCopy[int(CopyField::All)]->isEnabled());
        m_fx.window->menus().mnuCopy[int(CopyField::All)]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Hostname: host-10.0.0.7\r\nIP: 10.0.0.7\r\nLocal port: 3000\r\n"
                                "Remote port: 22\r\nProtocol: TCP\r\nStatus: ESTABLISHED\r\n"
                                "Aware since: %1\r\nRecognized as: ???")
                     .arg(m_fx.window->selectedRecord()->timeText));
        m_fx.window->menus().mnuCopy[int(CopyField::RemotePort)]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("22"));
        m_fx.window->menus().mnuRemotePortInfo->trigger();
        m_fx.window->menus().mnuLocalPortInfo->trigger();
        QCOMPARE(m_portInfo.ports, (QList<int>{22, 3000}));

        QCOMPARE(m_fx.window->menus().mnuAdvLookup->text(),
                 QStringLiteral("Advanced Lookup [host-10.0.0.7]"));
        QCOMPARE(m_fx.window->menus().mnuLocalPortInfo->text(),
                 QStringLiteral("Local Port Info [3000]"));

        // Without a selection the copy items do nothing.
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        m_fx.window->pane().lv->clearSelection();
        m_fx.window->copyConnection(CopyField::All);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    }

    void rowMenusFollowSelectionMarksAndHooks()
    {
        open();
        fill();
        emit m_fx.window->menus().mnuConnection->aboutToShow();
        QVERIFY(!m_fx.window->menus().mnuCopyConnection->isEnabled());
        QVERIFY(!m_fx.window->menus().mnuRemotePortInfo->isEnabled());
        QCOMPARE(m_fx.window->menus().mnuAdvLookup->text(), QStringLiteral("Advanced Lookup"));
        QVERIFY(!m_fx.window->menus().mnuViewAlert->isVisible());

        m_fx.window->pane().lv->selectRow(1);
        int lookups = 0;
        emit m_fx.window->menus().mnuConnection->aboutToShow();
        // Commands whose window is not there yet stay disabled.
        QVERIFY(!m_fx.window->menus().mnuAdvLookup->isEnabled());
        QVERIFY(m_fx.window->menus().mnuRemotePortInfo->isEnabled());
        m_fx.window->setCommandHandler(MainCommand::AdvancedLookup, [&] { ++lookups; });
        emit m_fx.window->menus().mnuConnection->aboutToShow();
        QVERIFY(m_fx.window->menus().mnuAdvLookup->isEnabled());
        m_fx.window->menus().mnuAdvLookup->trigger();
        QCOMPARE(lookups, 1);

        // A row a rule marked offers its alert.
        m_fx.window->tableModel().setMark(m_fx.window->selectedRow(), 0);
        QWidget *vp = m_fx.window->pane().lv->viewport();
        const QPoint at = m_fx.window->pane()
                              .lv->visualRect(m_fx.window->pane().lv->model()->index(1, 1))
                              .center();
        QContextMenuEvent ev(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
        QApplication::sendEvent(vp, &ev);
        QTRY_VERIFY(m_fx.window->menus().rxpop->isVisible());
        QVERIFY(m_fx.window->menus().rxViewAlert->isVisible());
        QVERIFY(m_fx.window->menus().rxViewAlertSep->isVisible());
        QVERIFY(m_fx.window->menus()
                    .rxpop->actionGeometry(m_fx.window->menus().rxViewAlertSep)
                    .height() > 0);
        QCOMPARE(m_fx.window->menus().rxpop->defaultAction(), m_fx.window->menus().rxViewAlert);
        QVERIFY(m_fx.window->menus().rxAdvLookup->text().startsWith(
            QStringLiteral("Advanced Lookup [")));
        QVERIFY(m_fx.window->menus().rxExtraColumns->isChecked());
        m_fx.window->menus().rxpop->close();
    }

    void commandsWaitForTheirHandlers()
    {
        open();
        for (QToolButton *b : {m_fx.window->toolbar().tb3, m_fx.window->toolbar().tb7,
                               m_fx.window->toolbar().tb8, m_fx.window->toolbar().tb11})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!m_fx.window->trayIcon().trayOptions->isEnabled());
        int options = 0;
        m_fx.window->setCommandHandler(MainCommand::Options, [&] { ++options; });
        QVERIFY(m_fx.window->toolbar().tb3->isEnabled());
        QVERIFY(m_fx.window->trayIcon().trayOptions->isEnabled());
        QTest::mouseClick(m_fx.window->toolbar().tb3, Qt::LeftButton);
        m_fx.window->trayIcon().trayOptions->trigger();
        QCOMPARE(options, 2);
        // Commands of windows that are not there yet stay disabled, in
        // menus and on the toolbar alike.
        emit m_fx.window->menus().mnuTools->aboutToShow();
        for (QAction *a : m_fx.window->menus().mnuTools->actions())
            QVERIFY2(a->isSeparator() || !a->isEnabled(), qPrintable(a->text()));
    }

    void checkItemsFlipAndSaveTheirSetting()
    {
        open();
        emit m_fx.window->menus().mnuView->aboutToShow();
        QVERIFY(!m_fx.window->menus().mnuGridLines->isChecked());
        m_fx.window->menus().mnuGridLines->trigger();
        QVERIFY(m_fx.settings->values().showGrids);
        QVERIFY(m_fx.window->pane().lv->showGrid());
        QCOMPARE(m_fx.registry->readString(QStringLiteral("WVN3PRO\\Settings"),
                                           QStringLiteral("showGrids")),
                 QStringLiteral("1"));
        emit m_fx.window->menus().mnuView->aboutToShow();
        QVERIFY(m_fx.window->menus().mnuGridLines->isChecked());

        emit m_fx.window->menus().mnuOptions->aboutToShow();
        QVERIFY(m_fx.window->menus().mnuAutoResolve->isChecked());
        m_fx.window->menus().mnuAutoResolve->trigger();
        QVERIFY(!m_fx.settings->values().autoResolve);
        QVERIFY(!m_fx.window->toolbar().chkAutoResolve->isChecked());
        QVERIFY(m_fx.window->cycle().RebuildPending());
    }

    void menuBarOnAndOffKeepsTheClientArea()
    {
        open();
        QWidget *client = m_fx.window->centralWidget();
        const QSize before = client->size();
        const int height = m_fx.window->height();
        m_fx.settings->values().showMenu = true;
        m_fx.settings->ProcessOptions();
        QVERIFY(!m_fx.window->menuBar()->isHidden());
        QVERIFY(m_fx.window->height() > height);
        QTRY_COMPARE(client->size(), before);
        m_fx.settings->values().showMenu = false;
        m_fx.settings->ProcessOptions();
        QVERIFY(m_fx.window->menuBar()->isHidden());
        QCOMPARE(m_fx.window->height(), height);
        QTRY_COMPARE(client->size(), before);
    }

    void customizeMenuShowsAndHidesToolbarItems()
    {
        open();
        QTest::mouseClick(m_fx.window->toolbar().tb7, Qt::RightButton);
        QTRY_VERIFY(m_fx.window->toolbar().popcustomize->isVisible());
        const QList<QAction *> items = m_fx.window->toolbar().popcustomize->actions();
        QCOMPARE(items.size(), 8);
        QVERIFY(items[0]->isChecked());  // Advanced Network Statistics
        QVERIFY(!items[6]->isChecked()); // Help starts hidden
        items[0]->trigger();
        m_fx.window->toolbar().popcustomize->close();
        QTRY_VERIFY(!m_fx.window->toolbar().tb7->isVisible());
        items[6]->trigger();
        QTRY_VERIFY(m_fx.window->toolbar().tb6->isVisible());
        QVERIFY(m_fx.window->toolbar().tb6->isEnabled());

        // The visibility travels with the placement.
        const Placement p = m_fx.window->placement();
        QCOMPARE(p.controls.value(QStringLiteral("tb7"), true), false);
        QCOMPARE(p.controls.value(QStringLiteral("tb6"), false), true);
        m_fx.window.reset();
        open();
        QVERIFY(m_fx.window->toolbar().tb7->isVisible());
        m_fx.window->restorePlacement(p);
        QTRY_VERIFY(!m_fx.window->toolbar().tb7->isVisible());
        QTRY_VERIFY(m_fx.window->toolbar().tb6->isVisible());
    }

    void withoutATrayMinimisingKeepsTheWindowReachable()
    {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("a tray host is running");
        open();
        m_fx.window->toolbar().tb4->click();
        QTRY_VERIFY(m_fx.window->isMinimized());
        QVERIFY(m_fx.window->isVisible());
        QVERIFY(!m_fx.window->isInTray());
        m_fx.window->restoreFromTray();
        QTRY_VERIFY(!m_fx.window->isMinimized());
    }

    void extrasShapeTheTable()
    {
        open();
        fill();
        m_fx.settings->values().xFilterBar = true;
        m_fx.settings->values().xFlatHeader = true;
        m_fx.settings->values().xHotTrack = true;
        m_fx.settings->ProcessOptions();
        QVERIFY(m_fx.window->pane().filterBar->isVisible());
        QVERIFY(m_fx.window->pane().lv->hasMouseTracking());
        QTest::keyClicks(m_fx.window->pane().filterBar, QStringLiteral("443"));
        QCOMPARE(m_fx.window->pane().lv->model()->rowCount(), 1);
        m_fx.settings->values().xFilterBar = false;
        m_fx.settings->ProcessOptions();
        QVERIFY(!m_fx.window->pane().filterBar->isVisible());
        QCOMPARE(m_fx.window->pane().lv->model()->rowCount(), 3);

        // With the extra columns on, "Time" is wide enough for its text.
        const QString time = m_fx.window->pane()
                                 .lv->model()
                                 ->index(0, ConnectionTableModel::ColTime)
                                 .data()
                                 .toString();
        QVERIFY(!time.isEmpty());
        QVERIFY(m_fx.window->pane().lv->columnWidth(ConnectionTableModel::ColTime) >=
                m_fx.window->pane().lv->fontMetrics().horizontalAdvance(time) + 6);
    }

    void dockableFormSnapsToTheScreenEdges()
    {
        open();
        const QRect screen = m_fx.window->screen()->availableGeometry();
        m_fx.window->move(screen.left() + 12, screen.top() + 100);
        QTRY_COMPARE(m_fx.window->frameGeometry().topLeft(),
                     QPoint(screen.left() + 12, screen.top() + 100));
        m_fx.settings->values().xDockForm = true;
        m_fx.window->move(screen.left() + 14, screen.top() + 100);
        QTRY_COMPARE(m_fx.window->frameGeometry().left(), screen.left());
        QCOMPARE(m_fx.window->frameGeometry().top(), screen.top() + 100);
        m_fx.window->move(screen.left() + 60, screen.top() + 5);
        QTRY_COMPARE(m_fx.window->frameGeometry().topLeft(),
                     QPoint(screen.left() + 60, screen.top()));
    }

    void aProgramWithSpacesInItsPathStartsFromTheMenu()
    {
        open();
        const QString dir = m_fx.filePath(QStringLiteral("my tools"));
        QVERIFY(QDir().mkpath(dir));
        const QString script = dir + QStringLiteral("/say hello.sh");
        const QString marker = m_fx.filePath(QStringLiteral("ran"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\npwd > '" + marker.toLocal8Bit() + "'\n");
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);

        // One rebuild, one trace line each.
        debugTrace().setEnabled(true);
        debugTrace().clear();
        m_fx.window->RefreshProgramsMenu();
        QCOMPARE(debugTrace().text().count(QStringLiteral("RefreshProgramsMenu;")), 1);
        QCOMPARE(debugTrace().text().count(QStringLiteral("gts.count = 0, no programs, skipping.")),
                 1);
        debugTrace().setEnabled(false);

        QVERIFY(m_fx.window->programs().addProgram(QStringLiteral("Hello & co"), script));
        m_fx.window->RefreshProgramsMenu();
        const QList<QAction *> entries = m_fx.window->menus().progPop->actions();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0]->objectName(), QStringLiteral("progMenu0"));
        QCOMPARE(entries[0]->text(), QStringLiteral("Hello && co"));
        QCOMPARE(entries[0]->toolTip(), script);
        entries[0]->trigger();
        auto ranIn = [&] {
            QFile out(marker);
            return out.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(out.readAll()).trimmed()
                                                 : QString();
        };
        // The shell runs in the per-user folder.
        QTRY_COMPARE_WITH_TIMEOUT(ranIn(), QDir(m_fx.filePath(QStringLiteral("."))).canonicalPath(),
                                  5000);
    }
};

QTEST_MAIN(TestMainWin)
#include "test_mainwin.moc"
