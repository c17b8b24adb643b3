// The main window on another host: the toolbar's host chooser, the caption
// and status text naming the host, and an agent that stops answering.
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ConnectionTableModel.h"
#include "remote/SavedAgents.h"
#include "remote/ui/HostChooser.h"
#include "remote/ui/TfrmAgent.h"
#include "settings/Version.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/remote/SnmpdProcess.h"
#include "tests/support/ProgramFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::visibleWindow;
using wv::test::writeSetting;

namespace {

// Fills in the agent dialog once it is open (within a few seconds).
void whenDialogOpens(std::function<void(TfrmAgent *)> fill)
{
    auto *poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, fill] {
        auto *d = qobject_cast<TfrmAgent *>(QApplication::activeModalWidget());
        if (!d && ++*tries < 250)
            return;
        poll->stop();
        poll->deleteLater();
        if (d)
            fill(d);
    });
    poll->start(20);
}

} // namespace

class TestRemoteWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowFollowsTheHostChosen()
    {
        if (test::SnmpdProcess::daemonPath().isEmpty())
            QSKIP("snmpd is not installed");
        ProgramFixture fx;
        fx.reset();
        qputenv("WIREVANE_KEYCHAIN", "off");
        writeSetting("autoRefresh", "0");
        RegistryStore registry;

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

        MainProgram &program = fx.create();
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
        fx.destroy();
    }

    void agentsAreEditedAndRemovedFromTheChooser()
    {
        ProgramFixture fx;
        fx.reset();
        qputenv("WIREVANE_KEYCHAIN", "off");
        writeSetting("autoRefresh", "0");
        RegistryStore registry;
        // Nothing answers at these ports: the agents' rows do not matter here.
        QList<RemoteAgent> agents;
        for (quint16 port : {9, 19}) {
            RemoteAgent a;
            a.host = "127.0.0.1";
            a.port = port;
            a.community = QStringLiteral("community-%1").arg(port);
            a.timeoutMs = 100;
            a.retries = 0;
            agents.append(a);
            QVERIFY(SavedAgents::writeSecrets(a));
        }
        QVERIFY(SavedAgents::save(registry, agents));

        QStringList &told = fx.notices;
        QStringList asked;
        MainProgram &program = fx.create({}, [&](MainProgram::Hooks &h) {
            h.confirm = [&](const QString &q) {
                asked << q;
                return true;
            };
        });
        TfrmMain &w = program.window();
        auto *chooser = w.toolbar().Toolbar971->findChild<HostChooser *>();
        QVERIFY(chooser);
        emit chooser->activated(1);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());

        // "Edit agent..." opens the dialog filled in, secret included.
        QString shownCommunity;
        whenDialogOpens([&](TfrmAgent *d) {
            shownCommunity = d->edCommunity->text();
            d->edAddress->setText("127.0.0.1:29");
            d->edCommunity->setText("edited-community");
            d->accept();
        });
        QCOMPARE(chooser->itemText(chooser->count() - 2), QStringLiteral("Edit agent..."));
        emit chooser->activated(chooser->count() - 2);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QCOMPARE(shownCommunity, QStringLiteral("community-9"));
        QCOMPARE(chooser->itemText(1), QStringLiteral("127.0.0.1:29"));
        QCOMPARE(chooser->shown(), 0);
        QVERIFY(w.windowTitle().startsWith(programTitle() + " - 127.0.0.1:29"));
        QList<RemoteAgent> saved = SavedAgents::load(RegistryStore());
        QCOMPARE(saved.size(), 2);
        QCOMPARE(saved[0].port, 29);
        QVERIFY(SavedAgents::readSecrets(saved[0]));
        QCOMPARE(saved[0].community, QStringLiteral("edited-community"));

        // An edit onto another saved agent's address is refused.
        whenDialogOpens([&](TfrmAgent *d) {
            d->edAddress->setText("127.0.0.1:19");
            d->accept();
        });
        emit chooser->activated(chooser->count() - 2);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains("saved already"), qPrintable(told.first()));
        saved[0].community.clear();
        QCOMPARE(SavedAgents::load(RegistryStore()), saved);

        // "Remove agent" asks, takes it out and shows this machine.
        QCOMPARE(chooser->itemText(chooser->count() - 1), QStringLiteral("Remove agent"));
        emit chooser->activated(chooser->count() - 1);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().contains("127.0.0.1:29"));
        QCOMPARE(chooser->shown(), -1);
        QCOMPARE(chooser->count(), 3);
        QCOMPARE(chooser->itemText(1), QStringLiteral("127.0.0.1:19"));
        QCOMPARE(w.windowTitle(), programTitle());
        saved = SavedAgents::load(RegistryStore());
        QCOMPARE(saved.size(), 1);
        RemoteAgent gone = agents[0];
        gone.port = 29;
        QVERIFY(SavedAgents::readSecrets(gone));
        QVERIFY(gone.community.isEmpty());
        program.ShutDown();
        fx.destroy();
    }
};

QTEST_MAIN(TestRemoteWindow)
#include "test_remote_window.moc"
