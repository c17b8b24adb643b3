#pragma once

#include "stats/ui/TAppBar.h"
#include "stats/viewbar/ViewBarNavigator.h"

#include <functional>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStandardItemModel;
class QTableView;
class QTimer;
class QToolButton;

namespace wv {

class LightsController;
class TLed;

// The main window's operations the view bar calls.
struct ViewBarCommands
{
    std::function<void()> refresh;        // the main window's "&Refresh" button
    std::function<void()> showMainWindow; // show and bring to the front
    std::function<void()> exitProgram;    // "Exit WVN"
    std::function<void(int)> connectionInfo;
    std::function<void()> closeViewBar;    // hide view bar
    std::function<void(bool)> setAutoHide; // vbAutoHide, saved and applied
    std::function<void(bool)> setScroll;   // vbScroll, saved and applied
};

// "ViewBar": one connection of the main table at a time, the traffic lights
// and a clock, in a strip docked to the top or bottom edge of the screen.
class Tvb : public TAppBar
{
    Q_OBJECT
public:
    static constexpr int BarHeight = 28;
    static constexpr int ClockWidth = 83;

    // table: the main connection table; position: the process-wide current
    // position; lights: the bar's traffic lights (owned by the bar).
    Tvb(ViewBarTable &table, int &position, ViewBarCommands commands, LightsController *lights,
        QWidget *parent = nullptr);
    ~Tvb() override;

    // Show connection (index).
    void ShowConnection(int index);
    // The table index of the shown row (-1: none).
    int shownIndex() const { return m_shownIndex; }
    QStringList shownCells() const;
    ViewBarNavigator &navigator() { return m_nav; }

    // Settings the main window applies.
    void setClockWidth(int width);
    void setScrollInterval(int ms);
    void setScrollEnabled(bool on);
    void setMoreColumns(bool on);
    void LayoutBar();

    // Handlers.
    void tbUPClick();
    void tbDownClick();
    void tbRefreshClick();
    void scrollconnTimer();
    void wvnbutClick();
    void viewpopPopup();
    void miConnInfoClick();
    void clock1DblClick();
    void miAutoHideClick();
    void miScrollClick();

    QFrame *Shape1 = nullptr;
    QToolButton *wvnbut = nullptr;
    QFrame *Panel1 = nullptr;
    QTableView *lv = nullptr;
    QFrame *Bevel1 = nullptr;
    QFrame *butPan = nullptr;
    QToolButton *tbDown = nullptr;
    QToolButton *tbUP = nullptr;
    QToolButton *tbRefresh = nullptr;
    QFrame *ledPan = nullptr;
    TLed *LED1 = nullptr; // sent
    TLed *LED2 = nullptr; // received
    QLabel *clock1 = nullptr;
    QTimer *scrollconn = nullptr;
    QTimer *clockTimer = nullptr;
    LightsController *lights = nullptr;

    QMenu *wvnMenu = nullptr;
    QAction *miMainWindow = nullptr;
    QAction *miCloseViewBar = nullptr;
    QAction *miRefresh = nullptr;
    QAction *miAutoHide = nullptr;
    QAction *miScroll = nullptr;
    QAction *miExit = nullptr;

    QMenu *viewpop = nullptr;
    QList<QAction *> miFields; // the seven field items
    QAction *miConnInfo = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showRow(int index, const QStringList &cells);
    void checkRowWidth();
    void updateClock();

    ViewBarTable &m_table;
    ViewBarNavigator m_nav;
    ViewBarCommands m_commands;
    QStandardItemModel *m_model = nullptr;
    int m_shownIndex = -1;
    int m_clockWidth = ClockWidth;
    bool m_moreColumns = false;
    bool m_dragging = false;
};

} // namespace wv
