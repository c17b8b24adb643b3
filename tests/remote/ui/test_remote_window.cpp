// The main window on another host: the toolbar's host chooser, the caption
// and status text naming the host, and an agent that stops answering.
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ConnectionTableModel.h"
#include "remote/SavedAgents.h"
#include "remote/ui/HostChooser.h"
#include "settings/Version.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/remote/SnmpdProcess.h"

#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace wv;

class TestRemoteWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowFollowsTheHostChosen()
    {
        if (test::SnmpdProcess::daemonPath().isEmpty())
            QSKIP("snmpd is not installed");
        QTemporaryDir home;
        qputenv("WIREVANE_HOME", home.path().toLocal8Bit());
        qputenv("WIREVANE_KEYCHAIN", "off");
        RegistryStore registry;
        registry.writeString("WVN3PRO\\Settings", "showSplash", "0");
        registry.writeString("WVN3PRO\\Settings", "autoResolve", "0");
        registry.writeString("WVN3PRO\\Settings", "autoRefresh", "0");

        test::LoopbackSockets sockets;
        const quint16 listener = sockets.listenTcp("127.0.0.1");
        const quint16 client = sockets.connectTcp("127.0.0.1", listener);
        test::SnmpdProcess snmpd;
        const QString why = snmpd.start({"rocommunity wvwindow 127.0.0.1"});
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        RemoteAgent agent;
        agent.host = "127.0.0.1";
        agent.port = snmpd.port();
        agent.community = "wvwindow";
        agent.timeoutMs = 400;
        agent.retries = 0;
        QVERIFY(SavedAgents::save(registry, {agent}));
        QVERIFY(SavedAgents::writeSecrets(agent));

        MainProgram program;
        program.hooks().terminate = [] {};
        program.Create();
        TfrmMain &w = program.window();
        auto *chooser = w.toolbar().Toolbar971->findChild<HostChooser *>();
        QVERIFY(chooser);
        QCOMPARE(chooser->count(), 3);
        QCOMPARE(chooser->itemText(1), agent.displayName());
        QCOMPARE(w.windowTitle(), programTitle());

        emit chooser->activated(1);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QCOMPARE(w.windowTitle(), programTitle() + " - " + agent.displayName());
        QVERIFY2(w.statusText().startsWith(agent.displayName() + "  -  Wirevane  -  Last refresh"),
                 qPrintable(w.statusText()));
        const ConnectionTableModel &table = w.tableModel();
        bool seen = false;
        for (int r = 0; r < table.rowCount(); ++r)
            seen |= table.index(r, ConnectionTableModel::ColRemotePort).data().toInt() == client;
        QVERIFY(seen);
        const int rows = table.rowCount();

        // The agent goes quiet: the rows stay, marked, and the window keeps
        // handling its events while the walk waits.
        snmpd.stop();
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(20);
        w.toolbar().tb1->click();
        tick.stop();
        QVERIFY(ticks >= 5);
        QCOMPARE(table.rowCount(), rows);
        QVERIFY(w.windowTitle().endsWith("(not current)"));
        QVERIFY2(w.statusText().contains("does not answer") &&
                     w.statusText().contains("are not current"),
                 qPrintable(w.statusText()));

        emit chooser->activated(0);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QCOMPARE(w.windowTitle(), programTitle());
        QVERIFY(w.statusText().startsWith("Wirevane  -  Last refresh"));
        program.ShutDown();
    }
};

QTEST_MAIN(TestRemoteWindow)
#include "test_remote_window.moc"
