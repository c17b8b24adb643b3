// Windows the running program opens from its menus, opened and closed the
// ways a user does, and what they show.

#include "components/ui/TfrmDebug.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/DebugMenu.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/MainTray.h"
#include "monitor/FriendlyNames.h"
#include "monitor/HostNameResolver.h"
#include "monitor/ui/TfrmCacheEditor.h"
#include "monitor/ui/TfrmRecognize.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/SnapshotSource.h"
#include "settings/Paths.h"
#include "stats/SummaryLog.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <vector>

#include <sys/socket.h>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::whenModal;
using wv::test::writeSetting;

namespace {

QAction *findAction(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

} // namespace

class TestProgramWindows : public QObject
{
    Q_OBJECT

private:
    ProgramFixture m_fx;
    ScriptedSource m_source;

    MainProgram &create(bool live = false)
    {
        TfrmMain::Services services;
        if (!live)
            services.source = &m_source;
        return m_fx.create(services);
    }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        m_source = ScriptedSource();
        m_source.push({SnapshotRow::tcp(QStringLiteral("127.0.0.1"), 40001,
                                        QStringLiteral("127.0.0.2"), 8080, 5),
                       SnapshotRow::tcp(QStringLiteral("127.0.0.1"), 40002,
                                        QStringLiteral("127.0.0.3"), 8080, 5)});
    }
    void cleanup() { m_fx.destroy(); }

    // The editor frees itself when it closes; closing it by any route must
    // leave the program running.
    void cacheEditorClosesByEveryRoute_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("Commit") << QStringLiteral("commit");
        QTest::newRow("Discard") << QStringLiteral("discard");
        QTest::newRow("close box") << QStringLiteral("close");
        QTest::newRow("Save, Reload, then Escape") << QStringLiteral("save");
    }
    void cacheEditorClosesByEveryRoute()
    {
        QFETCH(QString, how);
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAction *open = findAction(w.menus().mnuTools, QStringLiteral("&Cache editor"));
        QVERIFY(open);
        // The toolbar's Tools button drops down the same menu.
        QCOMPARE(w.toolbar().tb10->menu(), w.menus().mnuTools);

        for (int round = 0; round < 2; ++round) {
            bool seen = false;
            QPointer<TfrmCacheEditor> editor;
            whenModal<TfrmCacheEditor>([&](TfrmCacheEditor *e) {
                seen = true;
                editor = e;
                if (how == QLatin1String("escape")) {
                    QTest::keyClick(e, Qt::Key_Escape);
                } else if (how == QLatin1String("commit")) {
                    e->actCommit->trigger();
                } else if (how == QLatin1String("discard")) {
                    e->actDiscard->trigger();
                } else if (how == QLatin1String("close")) {
                    e->close();
                } else {
                    e->actSave->trigger();
                    e->actReload->trigger();
                    QTest::keyClick(e, Qt::Key_Escape);
                }
            });
            open->trigger();
            QVERIFY(seen);
            QTRY_VERIFY(editor.isNull());
        }
        // Still running: a refresh works and the window is there.
        w.toolbar().tb1->click();
        QVERIFY(w.toolbar().tb1->isEnabled());
        QVERIFY(w.isVisible());
    }

    void recognizeAsOpensWithTheRowsCurrentName()
    {
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        p.friendlyNames().writeEntry(QStringLiteral("nomatch"), QStringLiteral("127.0.0.2"),
                                     QStringLiteral("Build server"));
        w.toolbar().tb1->click();
        ConnectionTableModel &table = w.tableModel();
        QCOMPARE(table.count(), 2);
        for (int row = 0; row < 2; ++row) {
            const QString expected =
                table.record(row).RemoteAddressText == QLatin1String("127.0.0.2")
                    ? QStringLiteral("Build server")
                    : QStringLiteral("???");
            w.pane().lv->selectRow(row);
            emit w.menus().mnuConnection->aboutToShow();
            QVERIFY(w.menus().mnuRecognizeAs->isEnabled());
            bool seen = false;
            QString host, address, name;
            whenModal<TfrmRecognize>([&](TfrmRecognize *d) {
                seen = true;
                host = d->edHost->text();
                address = d->edIP->text();
                name = d->edName->text();
                d->reject();
            });
            w.menus().mnuRecognizeAs->trigger();
            QVERIFY(seen);
            QCOMPARE(address, table.record(row).RemoteAddressText);
            QCOMPARE(host, table.record(row).HostName);
            QCOMPARE(name, expected);
        }
    }

    // Automatic refresh is off by default: the program refreshes once by
    // itself right after the window is shown.
    void theWindowOpensWithTheMachinesConnections()
    {
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.tableModel().count(), 2);
        QCOMPARE(m_source.calls(), 1);
        QVERIFY(w.toolbar().tb1->isEnabled());
        QVERIFY(w.statusText().startsWith(QStringLiteral("Wirevane  -  Last refresh: ")));
    }

    void theDebugWindowAndMenuOnlyWithTheirOption()
    {
        {
            MainProgram &p = create();
            TfrmMain &w = p.window();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::qWait(200);
            QVERIFY(!p.debugWindow()->isVisible());
            QVERIFY(!p.debugMenu()->menu()->menuAction()->isVisible());
            // Back from the tray (or from minimised) it stays hidden.
            w.sendToTray(true);
            w.restoreFromTray();
            QTRY_VERIFY(w.isVisible());
            QVERIFY(!p.debugWindow()->isVisible());
            m_fx.destroy();
        }
        writeSetting("xDebugWindow", "1");
        writeSetting("showMenu", "1");
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(p.debugWindow()->isVisible());
        QCOMPARE(p.debugWindow()->x(),
                 QGuiApplication::primaryScreen()->availableGeometry().left());
        TDebugMenu *menu = p.debugMenu();
        QVERIFY(menu->menu()->menuAction()->isVisible());
        QStringList captions;
        for (QAction *a : menu->menu()->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"Asterisk", "NetDisconnect", "Blink Tray", "Ignored?",
                                        "RefreshProgsMenu", "SplashScreen"}));

        // "Asterisk" toggles the mark of the second row.
        QTRY_COMPARE(w.tableModel().count(), 2);
        auto mark = [&] {
            return w.tableModel().index(1, 0).data(ConnectionTableModel::MarkRole).toInt();
        };
        const int before = mark();
        menu->action(QStringLiteral("Asterisk"))->trigger();
        QVERIFY(mark() != before);
        menu->action(QStringLiteral("Asterisk"))->trigger();
        QCOMPARE(mark(), before);

        menu->action(QStringLiteral("Blink Tray"))->trigger();
        QCOMPARE(w.trayIcon().trayRestore->text(), QStringLiteral("Show Alert"));

        // The option off again hides both.
        p.settings().values().xDebugWindow = false;
        p.settings().ProcessOptions();
        QVERIFY(!p.debugWindow()->isVisible());
        QVERIFY(!menu->menu()->menuAction()->isVisible());
    }

    void aTrayClickRestoresAndTellsAboutAWaitingAlert()
    {
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // StatusNotifier trays report a click as Trigger.
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}) {
            w.sendToTray(true);
            QTRY_VERIFY(w.isMinimized() || !w.isVisible());
            emit w.trayIcon().tray->activated(reason);
            QTRY_VERIFY(w.isVisible() && !w.isMinimized());
        }
        QVERIFY(m_fx.notices.isEmpty());

        w.setAlertWaiting(true);
        w.sendToTray(true);
        emit w.trayIcon().tray->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(m_fx.notices,
                 QStringList{QStringLiteral("in the future this will bring up the alert window")});
        QCOMPARE(w.trayIcon().trayRestore->text(), QStringLiteral("Restore"));
        QTRY_VERIFY(w.isVisible() && !w.isMinimized());
    }

    // The machine's own table: 60 loopback connections, one of them reset.
    // Both ends of each are this machine's, so the closed one vanishes twice;
    // the 59 others are redrawn by the rebuild without a "New Conn: " event.
    void oneClosingAmongSixtyLiveConnections()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        std::vector<std::unique_ptr<QTcpSocket>> clients, accepted;
        QSet<QString> ours{QString::number(server.serverPort())};
        for (int i = 0; i < 60; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QHostAddress::LocalHost, server.serverPort());
            QVERIFY(clients.back()->waitForConnected(5000));
            ours.insert(QString::number(clients.back()->localPort()));
            QVERIFY(server.waitForNewConnection(5000) || server.hasPendingConnections());
            accepted.emplace_back(server.nextPendingConnection());
        }
        MainProgram &p = create(true);
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(!p.oneTime().isActive());
        // Events about the test's own connections, by the remote port they name.
        auto ownEvents = [&](int from) {
            QStringList out;
            const QRegularExpression remote(QStringLiteral("remote port (\\d+)"));
            for (int r = from; r < p.summaryLog().rowCount(); ++r) {
                const QString e =
                    p.summaryLog().index(r, SummaryLog::EventColumn).data().toString();
                const auto m = remote.match(e);
                if (m.hasMatch() && ours.contains(m.captured(1)))
                    out << e;
            }
            return out;
        };
        // Every one of ours was new (an unrelated connection of another process
        // may happen to name one of these ports too).
        QVERIFY(ownEvents(0).filter(QStringLiteral("New Conn: ")).size() >= 120);

        const int before = p.summaryLog().rowCount();
        const QString gonePort = QString::number(clients[17]->localPort());
        // A reset leaves no TIME_WAIT row behind.
        const int fd = int(clients[17]->socketDescriptor());
        const linger reset{1, 0};
        QCOMPARE(::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset), 0);
        clients[17]->abort();
        QTRY_COMPARE(accepted[17]->state(), QAbstractSocket::UnconnectedState);
        w.toolbar().tb1->click();
        w.toolbar().tb1->click();
        const QStringList events = ownEvents(before);
        QCOMPARE(events.filter(QStringLiteral("New Conn: ")), QStringList());
        const QStringList gone = events.filter(QStringLiteral("is no longer connected"));
        QCOMPARE(gone.size(), 2);
        QVERIFY(gone.filter(QStringLiteral("remote port ") + gonePort + QLatin1Char(' ')).size() ==
                1);
        QCOMPARE(events.size(), 2);
    }

    void clearingTheCacheShowsInTheStatusBar()
    {
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(p.resolver().ClearCache());
        QCOMPARE(w.statusText(), QStringLiteral("Cache cleared"));
    }
};

QTEST_MAIN(TestProgramWindows)
#include "test_program_windows.moc"
