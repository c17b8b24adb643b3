// The tools as the running program opens them: the Tools menu's commands,
// and the listening-ports panel's connect controls on a port that really
// listens on this machine.
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/ui/ListenPanel.h"
#include "tools/porttest/TerminalScreen.h"
#include "tools/porttest/ui/TerminalWidget.h"
#include "tools/porttest/ui/TfrmPortTest.h"
#include "tools/quick/ui/TfrmNBLookup.h"
#include "tools/quick/ui/TfrmQuickDNS.h"
#include "tools/quick/ui/TfrmQuickFinger.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace wv;

namespace {

QAction *toolsAction(TfrmMain &w, const QString &text)
{
    for (QAction *a : w.menuBar()->actions()) {
        if (a->text() != QLatin1String("&Tools"))
            continue;
        for (QAction *item : a->menu()->actions())
            if (item->text() == text)
                return item;
    }
    return nullptr;
}

template <typename T> T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

} // namespace

class TestToolsInMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toolsMenuOpensEachWindow()
    {
        MainProgram program;
        program.hooks().notice = [](const QString &) {};
        program.hooks().terminate = [] {};
        program.Create();
        TfrmMain &w = program.window();

        struct Item
        {
            const char *text;
            std::function<QWidget *()> find;
        };
        const Item items[] = {
            {"Quick&DNS Lookup", [] { return topLevel<TfrmQuickDNS>(); }},
            {"Quick&Finger", [] { return topLevel<TfrmQuickFinger>(); }},
            {"&NetBIOS Lookup", [] { return topLevel<TfrmNBLookup>(); }},
            {"Port &tester", [] { return topLevel<TfrmPortTest>(); }},
        };
        for (const Item &item : items) {
            QAction *a = toolsAction(w, QString::fromLatin1(item.text));
            QVERIFY2(a, item.text);
            QVERIFY2(a->isEnabled(), item.text);
            a->trigger();
            QWidget *opened = item.find();
            QVERIFY2(opened, item.text);
            opened->close();
        }
        QVERIFY(w.pane().listenPanel->tbPlugPort->isVisibleTo(w.pane().listenPanel));
        QVERIFY(w.pane().listenPanel->mnuConnectToPort->isVisible());
        program.ShutDown();
    }

    void connectToThisPortConnectsAtOnce()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        connect(&server, &QTcpServer::newConnection, this, [&server] {
            QTcpSocket *s = server.nextPendingConnection();
            s->write("220 wirevane test service\r\n");
        });
        const QString port = QString::number(server.serverPort());

        MainProgram program;
        program.hooks().notice = [](const QString &) {};
        program.hooks().terminate = [] {};
        program.Create();
        TfrmMain &w = program.window();
        QTRY_VERIFY(!program.oneTime().isActive());
        // A refresh finds the listener this test opened.
        w.toolbar().tb1->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.listenModel().ListenPorts().contains(port), 15000);

        Q_EMIT w.pane().listenPanel->portTestRequested(port, true);
        TfrmPortTest *t = program.portTesterWindow();
        QVERIFY(t);
        QVERIFY(t->isVisible());
        QCOMPARE(t->cboPort->currentText(), port);
        QCOMPARE(t->cboHost->currentText(), QStringLiteral("127.0.0.1"));
        QTRY_VERIFY_WITH_TIMEOUT(
            t->tn->screen().text().contains(QStringLiteral("220 wirevane test service")), 10000);
        QCOMPARE(t->stat->currentMessage(), QStringLiteral("Data available"));

        // A second request reuses the window.
        Q_EMIT w.pane().listenPanel->portTestRequested(QString(), false);
        QCOMPARE(program.portTesterWindow(), t);
        program.ShutDown();
    }
};

QTEST_MAIN(TestToolsInMain)
#include "test_tools_in_main.moc"
