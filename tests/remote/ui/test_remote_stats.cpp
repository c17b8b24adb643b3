// The statistics window and the status bar's echo counters on another host:
// its agent's counters, read without stalling the window, kept and marked
// when the agent falls silent, and this machine's again on the way back.
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "remote/SavedAgents.h"
#include "remote/ui/HostChooser.h"
#include "stats/advstat/StatsListModel.h"
#include "stats/ui/TfrmAdvStatus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/remote/SnmpdProcess.h"
#include "tests/support/ProgramFixture.h"

#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::visibleWindow;
using wv::test::writeSetting;

namespace {

// The value the TCP page shows for a counter; -1 when the page lacks it.
qint64 shown(TfrmAdvStatus &form, const QString &counter)
{
    const StatsListModel &m = form.model(StatsPage::Tcp);
    for (int r = 0; r < m.rowCount(); ++r) {
        if (m.cell(r, 1) == counter)
            return m.cell(r, 2).toLongLong();
    }
    return -1;
}

} // namespace

class TestRemoteStats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void statisticsFollowTheHostShown()
    {
        if (test::SnmpdProcess::daemonPath().isEmpty())
            QSKIP("snmpd is not installed");
        // This side's network is the test's own, the agent's another one:
        // their counters differ by what the test does here.
        if (!test::enterPrivateNetwork())
            QSKIP("cannot make a network namespace here");
        test::AgentNamespace ns;
        const QString nsProblem = ns.create();
        if (!nsProblem.isEmpty())
            QSKIP(qPrintable(nsProblem));
        test::SnmpdProcess snmpd;
        const QString why = snmpd.start({"rocommunity wvstats 10.213.0.0/30"},
                                        test::AgentNamespace::farAddress(), ns.prefix());
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        // Thirty connections opened here and none over there.
        test::LoopbackSockets sockets;
        const quint16 listener = sockets.listenTcp("127.0.0.1");
        for (int i = 0; i < 30; ++i)
            sockets.connectTcp("127.0.0.1", listener);

        ProgramFixture fx;
        fx.reset();
        qputenv("XDG_RUNTIME_DIR", fx.home().toLocal8Bit());
        qputenv("WIREVANE_KEYCHAIN", "off");
        writeSetting("autoRefresh", "0");
        RegistryStore registry;
        registry.writeString("WVN3PRO\\Panels", "ping", "1");
        RemoteAgent agent;
        agent.host = test::AgentNamespace::farAddress();
        agent.port = snmpd.port();
        agent.community = "wvstats";
        agent.timeoutMs = 400;
        agent.retries = 0;
        QVERIFY(SavedAgents::save(registry, {agent}));
        QVERIFY(SavedAgents::writeSecrets(agent));

        MainProgram &program = fx.create();
        TfrmMain &w = program.window();
        auto *chooser = w.toolbar().Toolbar971->findChild<HostChooser *>();
        QVERIFY(chooser);
        w.toolbar().tb7->click();
        QPointer<TfrmAdvStatus> form = visibleWindow<TfrmAdvStatus>();
        QVERIFY(form);
        form->pc->setCurrentIndex(int(StatsPage::Tcp));
        QVERIFY(!form->lblHost->isVisible());
        const qint64 here = shown(*form, "tcpActiveOpens");
        QVERIFY2(here >= 30, qPrintable(QString::number(here)));

        emit chooser->activated(1);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QVERIFY(form->lblHost->isVisible());
        QVERIFY(form->windowTitle().endsWith(" - " + agent.displayName()));
        QTRY_VERIFY2(form->lblHost->text().startsWith("Counters of " + agent.displayName()),
                     qPrintable(form->lblHost->text()));
        const qint64 there = shown(*form, "tcpActiveOpens");
        QVERIFY2(there >= 0 && there < 30, qPrintable(QString::number(there)));
        const int rows = form->model(StatsPage::Tcp).rowCount();
        QCOMPARE(rows, 14);
        // The echo counters come with the agent's rows.
        QTRY_VERIFY2(w.statusPanels()->panelText(3).startsWith("In: ") &&
                         !w.statusPanels()->panelText(3).contains("-"),
                     qPrintable(w.statusPanels()->panelText(3)));

        // The agent falls silent: the window keeps handling events while the
        // page is read, then says so and keeps the figures it had.
        snmpd.stop();
        form->pc->setCurrentIndex(int(StatsPage::Ip));
        form->pc->setCurrentIndex(int(StatsPage::Tcp));
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(20);
        QTRY_VERIFY2(form->lblHost->text().contains("does not answer"),
                     qPrintable(form->lblHost->text()));
        tick.stop();
        QVERIFY(ticks >= 5);
        QVERIFY(form->lblHost->text().contains("are not current"));
        QCOMPARE(shown(*form, "tcpActiveOpens"), there);
        w.toolbar().tb1->click();
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QTRY_VERIFY2(w.statusPanels()->panelText(3).endsWith("(not current)"),
                     qPrintable(w.statusPanels()->panelText(3)));

        // This machine again: its own counters, read at once.
        emit chooser->activated(0);
        QTRY_VERIFY(w.toolbar().tb1->isEnabled());
        QVERIFY(!form->lblHost->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("Advanced Network Statistics"));
        QVERIFY(shown(*form, "tcpActiveOpens") >= here);
        QTRY_VERIFY2(!w.statusPanels()->panelText(3).contains("not current"),
                     qPrintable(w.statusPanels()->panelText(3)));
        form->close();
        program.ShutDown();
        fx.destroy();
    }
};

QTEST_MAIN(TestRemoteStats)
#include "test_remote_stats.moc"
