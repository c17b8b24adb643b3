#include "components/ui/WvApplication.h"
#include "mainwin/EchoCounters.h"
#include "mainwin/PanelFlags.h"
#include "mainwin/StatusBarRefresh.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "mainwin/ui/TStatusPanels.h"
#include "mainwin/ui/TfrmStatusCustomizer.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "stats/dialup/LightsController.h"
#include "stats/ui/TLightsPanel.h"
#include "tests/support/ModalDialog.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace wv;
using wv::test::whenModal;

namespace {

class ScriptedEcho : public EchoCounterSource
{
public:
    std::optional<EchoCounters> read() override { return EchoCounters{1, 2}; }
};

class ScriptedCounters : public AdapterCounterSource
{
public:
    std::optional<AdapterTotals> totals = AdapterTotals{2048, 0};
    std::optional<AdapterTotals> read() override { return totals; }
};

} // namespace

class TestStatusBarWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void customizerRoundTripAndLightsTimer();
    void customizerWithoutDialUpKeepsLightsValue();
    void statusPanelsLayOutFromFlags();
    void lightsPanelFollowsController();
};

void TestStatusBarWindows::customizerRoundTripAndLightsTimer()
{
    QTemporaryDir dir;
    RegistryStore registry(dir.filePath(QStringLiteral("registry.ini")));
    TMainStatusBar stat(
        registry, [] { return true; }, std::make_unique<ScriptedEcho>(),
        std::make_unique<ScriptedCounters>());
    stat.resize(600, 22);
    stat.show();
    QVERIFY(!stat.lightsController()->isEnabled());
    stat.LoadPanelFlags();
    QVERIFY(stat.lightsController()->isEnabled());
    QVERIFY(stat.lights()->isVisible());
    QVERIFY(stat.statusRefresh()->timer().isActive());

    debugTrace().setEnabled(true);
    debugTrace().clear();
    QPoint placed;
    whenModal<TfrmStatusCustomizer>([&](TfrmStatusCustomizer *w) {
        placed = w->pos();
        QCOMPARE(w->windowTitle(), QStringLiteral("Status Bar customizer"));
        QVERIFY(w->mainBox()->isChecked());
        QVERIFY(!w->ipBox()->isChecked());
        QVERIFY(w->lightsBox()->isEnabled());
        w->ipBox()->setChecked(true);
        w->lightsBox()->setChecked(false);
        w->mainBox()->setChecked(false);
        QTest::mouseClick(w->okButton(), Qt::LeftButton);
    });
    QTest::mouseDClick(&stat, Qt::LeftButton, {}, QPoint(10, 5));
    // 250 left of and 50 above the pointer (give or take the platform's frame).
    QVERIFY((placed - (stat.mapToGlobal(QPoint(10, 5)) - QPoint(250, 50))).manhattanLength() <= 6);
    QVERIFY(debugTrace().text().contains(QStringLiteral("gonna showmodal")));
    const PanelFlags expected{false, true, true, false, false, false};
    QCOMPARE(stat.flags(), expected);
    QVERIFY(!stat.lightsController()->isEnabled()); // lights off stops the lights timer
    QVERIFY(!stat.lights()->isVisible());
    QVERIFY(stat.panelWidth(1) > 0);
    QCOMPARE(PanelFlagsStore(registry).load(), expected);

    // Cancel changes nothing.
    whenModal<TfrmStatusCustomizer>([](TfrmStatusCustomizer *w) {
        w->progressBox()->setChecked(true);
        w->cancelButton()->click();
    });
    stat.statDblClick(QPoint(400, 300));
    QCOMPARE(stat.flags(), expected);
    QCOMPARE(PanelFlagsStore(registry).load(), expected);
    debugTrace().setEnabled(false);
}

void TestStatusBarWindows::customizerWithoutDialUpKeepsLightsValue()
{
    for (bool lightsOn : {true, false}) {
        PanelFlags flags;
        flags.lights = lightsOn;
        TfrmStatusCustomizer w(flags, false);
        QVERIFY(!w.lightsBox()->isEnabled());
        QCOMPARE(w.lightsBox()->isChecked(), lightsOn);
        QCOMPARE(w.flags().lights, lightsOn);
    }
}

void TestStatusBarWindows::statusPanelsLayOutFromFlags()
{
    TStatusPanels stat;
    stat.resize(640, 22);
    stat.show();
    QCOMPARE(stat.panelText(1), QStringLiteral("IP:"));
    QCOMPARE(stat.panelText(3), QStringLiteral("Pings"));
    PanelFlags flags{true, true, true, true, true, true};
    stat.setPanelText(1, QStringLiteral("192.0.2.9"));
    stat.setFlags(flags);
    const int used = stat.panelWidth(1) + stat.panelWidth(2) + stat.panelWidth(3) + 35 + 106;
    QCOMPARE(stat.panelWidth(0), 640 - (used + 18));
    QVERIFY(stat.panelWidth(1) > stat.fontMetrics().horizontalAdvance(QStringLiteral("192.0.2")));
    QVERIFY(stat.lights()->isVisible());
    QVERIFY(stat.gauge()->isVisible());
    QCOMPARE(stat.gauge()->x(), stat.geometry().gaugeLeft);

    // Everything off: panels 1 to 5 vanish, panel 0 keeps its width even
    // when the bar is resized.
    const int panel0 = stat.panelWidth(0);
    stat.setFlags({false, false, false, false, false, false});
    stat.resize(900, 22);
    QCOMPARE(stat.panelWidth(0), panel0);
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(stat.panelWidth(i), 0);
    QVERIFY(!stat.lights()->isVisible());
    QVERIFY(!stat.gauge()->isVisible());

    stat.setFlags(PanelFlags{});
    QCOMPARE(stat.panelWidth(0), 900 - (stat.panelWidth(2) + 35 + 18));
    QSignalSpy dbl(&stat, &TStatusPanels::doubleClicked);
    QTest::mouseDClick(&stat, Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(dbl.size(), 1);
    QCOMPARE(dbl.at(0).at(0).toPoint(), stat.mapToGlobal(QPoint(10, 5)));
}

void TestStatusBarWindows::lightsPanelFollowsController()
{
    auto source = std::make_unique<ScriptedCounters>();
    ScriptedCounters *counters = source.get();
    LightsController controller(std::move(source));
    TLightsPanel panel;
    panel.follow(&controller);
    QVERIFY(!panel.LED1->isLit());
    controller.lightsTimerTimer();
    QVERIFY(panel.LED1->isLit());
    QVERIFY(!panel.LED2->isLit());
    QCOMPARE(panel.LED1->toolTip(), QStringLiteral("2,048 bytes sent"));
    QCOMPARE(panel.LED2->toolTip(), QStringLiteral(" bytes received"));
    counters->totals = AdapterTotals{2048, 10};
    controller.lightsTimerTimer();
    QVERIFY(!panel.LED1->isLit());
    QVERIFY(panel.LED2->isLit());
    QCOMPARE(panel.width(), 35);
}

int main(int argc, char **argv)
{
    WvApplication app(argc, argv);
    TestStatusBarWindows tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_status_bar_windows.moc"
