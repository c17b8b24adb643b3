#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "mainwin/ui/TfrmMain.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "refresh/ui/ListenPanel.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "tests/support/WindowFixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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

SnapshotRow est(const char *remote, int localPort, int remotePort)
{
    return SnapshotRow::tcp(QStringLiteral("192.168.1.2"), localPort, QString::fromLatin1(remote),
                            remotePort, 5);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    WindowFixture m_fx;
    ScriptedSource m_source;
    RecordingPortInfo m_portInfo;
    QStringList m_errors;

    void open(SnapshotSource *source = nullptr)
    {
        TfrmMain::Services s;
        s.source = source ? source : &m_source;
        s.portInfo = &m_portInfo;
        QVERIFY(m_fx.open(s, [this](TfrmMain &w) {
            w.setErrorReporter([this](const QString &m) { m_errors.append(m); });
            w.setCommandHandler(MainCommand::ConnectionInfo, [] {});
        }));
    }

private Q_SLOTS:
    void init()
    {
        m_fx.reset();
        m_fx.settings->values().autoResolve = false;
        m_source = ScriptedSource();
        m_errors.clear();
        m_portInfo.ports.clear();
    }
    void cleanup() { m_fx.destroy(); }

    void refreshFillsTheTableAndRestoresTheControls()
    {
        open();
        m_source.push({est("10.0.0.5", 1042, 80), est("10.0.0.6", 1043, 443),
                       SnapshotRow::udp(QStringLiteral("0.0.0.0"), 53)});
        m_fx.window->toolbar().tb1->click();
        QCOMPARE(m_fx.window->pane().lv->model()->rowCount(), 2);
        QCOMPARE(m_fx.window->pane().lv->model()->index(0, 1).data().toString(),
                 QStringLiteral("10.0.0.6"));
        QVERIFY(m_fx.window->toolbar().tb1->isEnabled());
        QVERIFY(!m_fx.window->toolbar().tb2->isEnabled());
        QCOMPARE(m_fx.window->statusPanels()->gauge()->value(), 100);
        QVERIFY(
            m_fx.window->statusText().startsWith(QStringLiteral("Wirevane  -  Last refresh: ")));
        QVERIFY(!QGuiApplication::overrideCursor());
        // morecols is off: the extra columns stay closed even after a widening.
        m_fx.window->pane().lv->setColumnWidth(ConnectionTableModel::ColTime, 90);
        m_fx.window->toolbar().tb1->click();
        QCOMPARE(m_fx.window->pane().lv->columnWidth(ConnectionTableModel::ColTime), 0);
        QCOMPARE(m_fx.window->pane().lv->columnWidth(ConnectionTableModel::ColRecognized), 0);

        m_fx.window->pane().lv->selectRow(1);
        QVERIFY(m_fx.window->toolbar().tb2->isEnabled());
        QCOMPARE(m_fx.window->selectedRow(), 1);
    }

    void aFailingRefreshIsReportedAndLeavesTheWindowUsable()
    {
        m_fx.settings->values().autoRefresh = true;
        open();
        m_source.pushFailure(QStringLiteral("Unexpected end of query results encountered."));
        m_fx.window->toolbar().tb1->click();
        QCOMPARE(m_errors,
                 QStringList{QStringLiteral("Unexpected end of query results encountered.")});
        QVERIFY(m_fx.window->toolbar().tb1->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(m_fx.window->refresher().isActive());
        QCOMPARE(m_fx.window->refresher().interval(), 15000);
    }

    void theListeningPanelGrowsAndShrinksTheWindow()
    {
        open();
        const int height = m_fx.window->height();
        const int tableHeight = m_fx.window->pane().lv->height();
        m_fx.window->toolbar().chkShowListen->setChecked(true);
        QVERIFY(m_fx.settings->values().showListens);
        QVERIFY(m_fx.window->pane().listenPanel->isVisible());
        QCOMPARE(m_fx.window->height(), height + ListenPanel::PanelHeight);
        QTRY_COMPARE(m_fx.window->pane().lv->height(), tableHeight);
        QVERIFY(m_fx.registry->readString(QStringLiteral("WVN3PRO\\Settings"),
                                          QStringLiteral("showListens")) == QLatin1String("1"));

        m_fx.window->pane().listenPanel->tbListenClose->click();
        QVERIFY(!m_fx.settings->values().showListens);
        QVERIFY(!m_fx.window->toolbar().chkShowListen->isChecked());
        QVERIFY(m_fx.window->pane().listenPanel->isHidden());
        QCOMPARE(m_fx.window->height(), height);
    }

    void autoResolveSwitchRebuildsAtTheNextRefresh()
    {
        open();
        m_source.push({est("10.0.0.5", 1042, 80)});
        m_fx.window->toolbar().tb1->click();
        QVERIFY(!m_fx.window->cycle().RebuildPending());
        m_fx.window->toolbar().chkAutoResolve->setChecked(true);
        QVERIFY(m_fx.settings->values().autoResolve);
        QVERIFY(m_fx.window->cycle().RebuildPending());
        m_fx.window->toolbar().tb1->click();
        QCOMPARE(m_fx.window->tableModel().count(), 1);
        QCOMPARE(m_fx.window->summary().texts().last(),
                 QStringLiteral("New Conn: 10.0.0.5, remote port 80, status ESTABLISHED"));
    }

    void infoModeOpensThePortUnderTheMouse()
    {
        m_fx.settings->values().showListens = true;
        m_fx.settings->values().colorCode = true;
        open();
        m_source.push(
            {SnapshotRow::tcp(QStringLiteral("0.0.0.0"), 22, QStringLiteral("0.0.0.0"), 0, 2),
             SnapshotRow::udp(QStringLiteral("0.0.0.0"), 53),
             SnapshotRow::udp(QStringLiteral("0.0.0.0"), 137)});
        m_fx.window->toolbar().tb1->click();
        ListenPanel *panel = m_fx.window->pane().listenPanel;
        QVERIFY(!panel->tbPlugPort->isVisible());
        QVERIFY(!panel->mnuConnectToPort->isVisible());
        QTableView *grid = panel->listenGrid;
        QCOMPARE(grid->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(0xA0, 0x96, 0x83));
        QCOMPARE(grid->model()->index(0, 2).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(0xEF, 0xE9, 0xE0));

        auto clickCell = [grid](int row, int column) {
            const QRect r = grid->visualRect(grid->model()->index(row, column));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        };
        panel->tbListenInfo->setChecked(true);
        QCOMPARE(grid->viewport()->cursor().shape(), Qt::WhatsThisCursor);
        clickCell(1, 1); // ListenPorts is 137, 53, 22
        QCOMPARE(m_portInfo.ports, QList<int>{53});
        QVERIFY(!panel->tbListenInfo->isChecked());
        QCOMPARE(grid->viewport()->cursor().shape(), Qt::ArrowCursor);
        // A plain click does nothing; the empty last cell names no port.
        clickCell(0, 1);
        panel->tbListenInfo->setChecked(true);
        clickCell(1, 2);
        QCOMPARE(m_portInfo.ports, QList<int>{53});
        // From the menu, on the selected cell.
        grid->setCurrentIndex(grid->model()->index(0, 2));
        panel->mnuPortInformation->trigger();
        QCOMPARE(m_portInfo.ports, (QList<int>{53, 22}));
    }

    // Run under a display with WV_SCREENSHOT=<file.png> to look at the window
    // after a refresh of this machine's connections.
    void screenshotAfterALiveRefresh()
    {
        const QByteArray path = qgetenv("WV_SCREENSHOT");
        if (path.isEmpty())
            QSKIP("WV_SCREENSHOT not set");
        m_fx.settings->values().showListens = true;
        m_fx.settings->values().colorCode = true;
        m_fx.settings->values().morecols = true;
        EngineSnapshotSource live;
        open(&live);
        m_fx.window->toolbar().tb1->click();
        QTest::qWait(300);
        QVERIFY(m_fx.window->grab().save(QString::fromLocal8Bit(path)));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
