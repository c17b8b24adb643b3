// The statistics window and the view bar in the running program: "Ad&v Stat"
// and the Tools menu open the window, the "View&bar" menu drives the bar, the
// stored vb* settings bring it up at start-up, and its lights and rows come
// from the program's own adapter choice and table.

#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ConnectionTableModel.h"
#include "settings/Paths.h"
#include "settings/ui/OptionsCommands.h"
#include "settings/ui/TfrmOptions.h"
#include "stats/ui/TfrmAdvStatus.h"
#include "stats/ui/ViewBarHost.h"
#include "tests/support/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>

using namespace wv;
using wv::test::ProgramFixture;
using wv::test::visibleWindow;
using wv::test::writeSetting;

namespace {

} // namespace

class TestStatsWiring : public QObject
{
    Q_OBJECT

private:
    ProgramFixture m_fx;
    QList<int> m_info;

    MainProgram &create()
    {
        // The connection information window is recorded, not opened.
        return m_fx.createStarted({}, [this](MainProgram::Hooks &h) {
            h.connectionInfo = [this](int row) { m_info.append(row); };
        });
    }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        qputenv("XDG_RUNTIME_DIR", m_fx.home().toLocal8Bit());
        m_info.clear();
    }
    void cleanup() { m_fx.destroy(); }

    void advStatOpensTheStatisticsWindow()
    {
        MainProgram &p = create();
        TfrmMain &w = p.window();
        QVERIFY(w.toolbar().tb7->isEnabled());
        w.toolbar().tb7->click();
        QPointer<TfrmAdvStatus> form = visibleWindow<TfrmAdvStatus>();
        QVERIFY(form);
        QCOMPARE(form->pc->count(), 5);
        QVERIFY(!form->isModal());
        form->close();
        QTRY_VERIFY(form.isNull());
        // The Tools menu's entry does the same.
        QAction *tools = nullptr;
        for (QAction *a : w.menus().mnuTools->actions())
            if (a->text() == QStringLiteral("&Advanced Network Statistics"))
                tools = a;
        QVERIFY(tools && tools->isEnabled());
        tools->trigger();
        QVERIFY(visibleWindow<TfrmAdvStatus>());
        visibleWindow<TfrmAdvStatus>()->close();
    }

    void storedSettingsBringTheBarUpAndTheMenuDrivesIt()
    {
        writeSetting("vbShow", "1");
        writeSetting("connShowSec", "3");
        MainProgram &p = create();
        TfrmMain &w = p.window();
        ViewBarHost *host = p.viewBar();
        QVERIFY(host->isShown());
        QVERIFY(host->bar()->isVisible());
        QCOMPARE(host->bar()->scrollconn->interval(), 3000);

        // "View&bar": captions and enabling follow the bar.
        Q_EMIT w.menus().mnuViewbar->aboutToShow();
        QCOMPARE(w.menus().mnuVbToggle->text(), QStringLiteral("Disable &Viewbar"));
        QVERIFY(w.menus().mnuVbSwitch->isEnabled() && w.menus().mnuVbAutoHide->isEnabled() &&
                w.menus().mnuVbScroll->isEnabled());
        QVERIFY(w.menus().mnuVbScroll->isChecked());
        w.menus().mnuVbSwitch->trigger();
        QCOMPARE(host->bar()->Edge(), DockEdge::Top);
        w.menus().mnuVbScroll->trigger();
        QVERIFY(!p.settings().values().vbScroll);
        QVERIFY(!host->bar()->scrollconn->isActive());

        w.menus().mnuVbToggle->trigger();
        QVERIFY(!host->isShown());
        QCOMPARE(RegistryStore().readString(QStringLiteral("WVN3PRO\\Settings"),
                                            QStringLiteral("vbShow")),
                 QStringLiteral("0"));
        Q_EMIT w.menus().mnuViewbar->aboutToShow();
        QCOMPARE(w.menus().mnuVbToggle->text(), QStringLiteral("Enable &Viewbar"));
        QVERIFY(!w.menus().mnuVbSwitch->isEnabled());
        // The options dialog's "manually start viewbar".
        QVERIFY(p.options()->context().startViewBar);
        p.options()->context().startViewBar();
        QVERIFY(host->isShown());
    }

    void theBarWalksTheWindowsTable()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(client.waitForConnected(3000));
        writeSetting("vbShow", "1");
        writeSetting("autoResolve", "0");
        MainProgram &p = create();
        Tvb *vb = p.viewBar()->bar();
        // An empty table is refreshed first; then the first row is shown.
        vb->scrollconnTimer();
        const int rows = p.window().tableModel().rowCount();
        QVERIFY(rows > 0);
        // The walk goes on from position 0: the next row, or the only one.
        const int shown = rows > 1 ? 1 : 0;
        QCOMPARE(vb->shownIndex(), shown);
        QCOMPARE(vb->shownCells().value(1),
                 p.window().tableModel().index(shown, 1).data().toString());
        vb->lv->selectRow(0);
        vb->miConnInfo->trigger();
        QCOMPARE(m_info, QList<int>{shown});
        // The bar's "Exit WVN" and "Main window" reach the program.
        p.window().hide();
        vb->miMainWindow->trigger();
        QVERIFY(p.window().isVisible());
    }
};

QTEST_MAIN(TestStatsWiring)
#include "test_stats_wiring.moc"
