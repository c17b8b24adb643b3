// Showing, hiding and setting up the view bar from the settings, and the
// commands of its own menu and of the main window's "View&bar" menu.

#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "stats/ui/ViewBarHost.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace wv;

namespace {

class FakeTable : public ViewBarTable
{
public:
    int rowCount() const override { return rows; }
    QStringList row(int index) const override
    {
        QStringList cells{QString::number(index)};
        for (int c = 1; c < 8; ++c)
            cells.append(QStringLiteral("r%1c%2").arg(index).arg(c));
        return cells;
    }
    void refresh() override { ++refreshes; }
    int rows = 4;
    int refreshes = 0;
};

} // namespace

class TestViewBarHost : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<SettingsStore> m_settings;
    FakeTable m_table;
    std::unique_ptr<ViewBarHost> m_host;
    int m_mainShown = 0;
    int m_refreshes = 0;

    QStringList traceSince(qsizetype from) const
    {
        return debugTrace().text().mid(from).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("registry.ini")));
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
        m_registry =
            std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("registry.ini")));
        m_settings = std::make_unique<SettingsStore>(*m_registry);
        ViewBarCommands commands;
        commands.showMainWindow = [this] { ++m_mainShown; };
        commands.refresh = [this] { ++m_refreshes; };
        m_host = std::make_unique<ViewBarHost>(*m_settings, m_table, commands, nullptr);
        m_settings->addSink(m_host.get());
        m_mainShown = 0;
        m_refreshes = 0;
        // Applying the options switches the trace with the "Debug window" option.
        m_settings->values().xDebugWindow = true;
        debugTrace().setEnabled(true);
        debugTrace().clear();
    }

    void cleanup()
    {
        m_settings->removeSink(m_host.get());
        m_host.reset();
        debugTrace().setEnabled(false);
    }

    void processOptionsShowsTheBarWithItsSettings()
    {
        Settings &s = m_settings->values();
        s.vbShow = true;
        s.vbScroll = true;
        s.connShowSec = 7;
        s.vbNoSlide = true;
        s.vbShowClock = false;
        m_settings->ProcessOptions();
        Tvb *vb = m_host->bar();
        QVERIFY(vb && vb->isVisible());
        QVERIFY(m_host->isShown());
        QCOMPARE(vb->windowTitle(), QStringLiteral("ViewBar"));
        QCOMPARE(vb->height(), 28);
        QCOMPARE(vb->width(), vb->screenRect().width());
        QCOMPARE(vb->y(), vb->screenRect().bottom() + 1 - 28);
        QVERIFY(vb->scrollconn->isActive());
        QCOMPARE(vb->scrollconn->interval(), 7000);
        QVERIFY(vb->miScroll->isChecked());
        QVERIFY(!vb->SlideEffect());
        QVERIFY(!vb->clock1->isVisible());
        QVERIFY(vb->AlwaysOnTop());
        QVERIFY(vb->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(traceSince(0).contains(QStringLiteral("showViewBar")));
        QVERIFY(traceSince(0).contains(QStringLiteral("Clock width is 0")));

        s.vbShowClock = true;
        s.vbScroll = false;
        m_settings->ProcessOptions();
        QCOMPARE(m_host->bar(), vb); // the same bar, set up again
        QVERIFY(vb->clock1->isVisible());
        QCOMPARE(vb->clock1->width(), 83);
        QVERIFY(!vb->scrollconn->isActive());
        QVERIFY(traceSince(0).contains(QStringLiteral("Clock width is 83")));
        // Right to left: the clock at the end, then the lights, the buttons.
        QVERIFY(vb->clock1->x() > vb->ledPan->x());
        QVERIFY(vb->ledPan->x() > vb->butPan->x());
        QVERIFY(vb->butPan->x() > vb->lv->x() + vb->lv->width());
        const QString dir = qEnvironmentVariable("WV_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            vb->ShowConnection(1);
            vb->grab().save(dir + QStringLiteral("/viewbar-offscreen.png"));
        }
    }

    void hidingFreesTheBarAndShowsTheMainWindow()
    {
        m_settings->values().vbShow = true;
        m_settings->ProcessOptions();
        QPointer<Tvb> vb = m_host->bar();
        m_table.rows = 4;
        vb->tbUPClick();
        vb->tbUPClick();
        QCOMPARE(m_host->position(), 2);

        const qsizetype mark = debugTrace().text().size();
        m_settings->values().vbShow = false;
        m_settings->ProcessOptions();
        QCOMPARE(traceSince(mark),
                 (QStringList{"ProcessOptions;", "calling SVB in PO", "HideViewBar",
                              "executing vb.close;", "executing vb.release;", "doing vb := nil",
                              "end of HideViewBar proc", "done calling SVB in PO"}));
        QTRY_VERIFY(vb.isNull());
        QVERIFY(!m_host->isShown());
        QCOMPARE(m_mainShown, 1);

        // The position belongs to the process: a new bar goes on from it.
        m_settings->values().vbShow = true;
        m_settings->ProcessOptions();
        m_host->bar()->tbUPClick();
        QCOMPARE(m_host->bar()->shownIndex(), 3);
    }

    void barMenuCommands()
    {
        m_settings->values().vbShow = true;
        m_settings->ProcessOptions();
        Tvb *vb = m_host->bar();

        // "Scroll connections": the setting, saved, applied.
        vb->miScroll->trigger();
        QVERIFY(!m_settings->values().vbScroll);
        QCOMPARE(
            m_registry->readString(QStringLiteral("WVN3PRO\\Settings"), QStringLiteral("vbScroll")),
            QStringLiteral("0"));
        QVERIFY(!vb->scrollconn->isActive());
        // Next restarts the period only of a running timer.
        vb->tbUPClick();
        QVERIFY(!vb->scrollconn->isActive());

        // "AutoHide" likewise.
        vb->miAutoHide->trigger();
        QVERIFY(m_settings->values().vbAutoHide);
        QCOMPARE(m_registry->readString(QStringLiteral("WVN3PRO\\Settings"),
                                        QStringLiteral("vbAutoHide")),
                 QStringLiteral("1"));
        QVERIFY(vb->AutoHide());
        vb->miAutoHide->trigger();
        QVERIFY(!vb->AutoHide());

        // "Refresh" does nothing; tbRefresh refreshes the main table.
        vb->miRefresh->trigger();
        QCOMPARE(m_refreshes, 0);
        vb->tbRefresh->click();
        QCOMPARE(m_refreshes, 1);

        // "Close ViewBar" hides it but leaves vbShow alone.
        QPointer<Tvb> closing = vb;
        vb->miCloseViewBar->trigger();
        QTRY_VERIFY(closing.isNull());
        QVERIFY(m_settings->values().vbShow);
        QVERIFY(!m_host->isShown());
        // The main window's "Enable &Viewbar" brings it back.
        m_host->mnuToggleClick();
        QVERIFY(m_host->isShown());
        QVERIFY(m_settings->values().vbShow);
        m_host->mnuToggleClick();
        QVERIFY(!m_host->isShown());
        QVERIFY(!m_settings->values().vbShow);
        QCOMPARE(
            m_registry->readString(QStringLiteral("WVN3PRO\\Settings"), QStringLiteral("vbShow")),
            QStringLiteral("0"));
    }

    void switchEdgeAndExtraColumns()
    {
        m_settings->values().vbShow = true;
        m_settings->ProcessOptions();
        Tvb *vb = m_host->bar();
        m_host->mnuSwitchClick();
        QCOMPARE(vb->Edge(), DockEdge::Top);
        QCOMPARE(vb->y(), vb->screenRect().top());
        m_host->mnuSwitchClick();
        QCOMPARE(vb->Edge(), DockEdge::Bottom);

        QVERIFY(vb->lv->isColumnHidden(6) && vb->lv->isColumnHidden(7));
        m_settings->values().morecols = true;
        m_settings->ProcessOptions();
        QVERIFY(!vb->lv->isColumnHidden(6) && !vb->lv->isColumnHidden(7));
        m_settings->values().morecols = false;
        m_settings->ProcessOptions();
        QVERIFY(vb->lv->isColumnHidden(6) && vb->lv->isColumnHidden(7));
    }

    void rowMenuClockAndConnectionInformation()
    {
        m_settings->values().vbShow = true;
        m_settings->ProcessOptions();
        Tvb *vb = m_host->bar();
        vb->viewpopPopup();
        QCOMPARE(vb->miFields[0]->text(), QStringLiteral("nothing selected"));

        vb->ShowConnection(0);
        vb->viewpopPopup();
        QCOMPARE(vb->miFields[0]->text(), QStringLiteral("rAddr: r0c1"));
        QCOMPARE(vb->miFields[6]->text(), QStringLiteral("recog: r0c7"));
        vb->miFields[2]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("r0c3"));

        const qsizetype mark = debugTrace().text().size();
        vb->lv->clearSelection();
        vb->miConnInfo->trigger();
        QCOMPARE(traceSince(mark), QStringList{"[vb] Connection info: no connection selected!"});

        vb->clock1DblClick();
        QVERIFY(QGuiApplication::clipboard()->text().contains(
            QString::number(QDate::currentDate().year() % 100)));
    }
};

QTEST_MAIN(TestViewBarHost)
#include "test_viewbar_host.moc"
