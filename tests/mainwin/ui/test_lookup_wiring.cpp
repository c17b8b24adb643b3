// The lookup and connection information windows reached from the main
// window: the Info button, the Connection menu and the rules' lookup hook.
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ConnectionTableModel.h"
#include "tests/support/ProgramFixture.h"
#include "tools/lookup/ui/TfrmConnInfo.h"
#include "tools/lookup/ui/TfrmLookup.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace wv;
using wv::test::writeSetting;

namespace {

QList<TfrmLookup *> lookupWindows()
{
    QList<TfrmLookup *> list;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *l = qobject_cast<TfrmLookup *>(w); l && l->isVisible())
            list.append(l);
    return list;
}

} // namespace

class TestLookupWiring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void infoButtonShowsTheRowAndOpensTheLookupWindow()
    {
        QTemporaryDir home;
        qputenv("WIREVANE_HOME", home.path().toLocal8Bit());
        writeSetting("showSplash", "0");
        writeSetting("autoResolve", "0");
        writeSetting("autoRefresh", "1");
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(client.waitForConnected(3000));

        MainProgram program;
        program.hooks().terminate = [] {};
        program.Create();
        TfrmMain &w = program.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The start-up refresh comes first.
        QTRY_VERIFY(!program.oneTime().isActive());
        QVERIFY(program.hooks().openLookup);
        QVERIFY(w.hasCommandHandler(MainCommand::ConnectionInfo));
        QVERIFY(w.hasCommandHandler(MainCommand::AdvancedLookup));
        w.toolbar().tb1->click();
        QVERIFY(w.tableModel().count() > 0);
        w.pane().lv->selectRow(0);
        QVERIFY(w.toolbar().tb2->isEnabled());
        const ConnectionRecord row = *w.selectedRecord();

        bool checked = false;
        // The host name is looked up before the window turns modal; wait for it.
        QTimer poll;
        poll.start(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *info = qobject_cast<TfrmConnInfo *>(QApplication::activeModalWidget());
            if (!info)
                return;
            poll.stop();
            // Closes the window whatever the checks below find.
            auto closer = qScopeGuard([info] { info->accept(); });
            QCOMPARE(info->infIP->text(), row.hostCell);
            QCOMPARE(info->infLPort->text(), row.LocalPortText);
            QCOMPARE(info->infState->text(), row.stateName);
            QVERIFY(!info->infStateDesc->toPlainText().isEmpty());
            QVERIFY(!w.refresher().isActive());
            info->btnAdvLookupClick();
            const QList<TfrmLookup *> windows = lookupWindows();
            QCOMPARE(windows.size(), 1);
            QCOMPARE(windows.first()->edtTraceAddr->text(), info->infHostname->text());
            windows.first()->close();
            checked = true;
        });
        QTest::mouseClick(w.toolbar().tb2, Qt::LeftButton);
        QVERIFY(checked);
        QVERIFY(w.refresher().isActive());

        // "Advanced &Lookup" of the Connection menu, for the row's host.
        emit w.menus().mnuConnection->aboutToShow();
        QVERIFY(w.menus().mnuAdvLookup->isEnabled());
        w.menus().mnuAdvLookup->trigger();
        QTRY_COMPARE(lookupWindows().size(), 1);
        TfrmLookup *lookup = lookupWindows().first();
        QCOMPARE(lookup->edtTraceAddr->text(),
                 row.HostName.isEmpty() ? row.RemoteAddressText : row.HostName);
        lookup->close();

        // The rules' lookup action and the alert window go through the hook.
        program.hooks().openLookup(QStringLiteral("gw.a.b.example.net"));
        QTRY_COMPARE(lookupWindows().size(), 1);
        QCOMPARE(lookupWindows().first()->edtQuery->text(), QStringLiteral("example.net"));
        lookupWindows().first()->close();
        program.ShutDown();
    }
};

QTEST_MAIN(TestLookupWiring)
#include "test_lookup_wiring.moc"
