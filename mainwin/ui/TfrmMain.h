#pragma once

#include "mainwin/ConnectionSort.h"
#include "mainwin/CopyConnection.h"
#include "mainwin/PlacementStore.h"
#include "mainwin/ui/MainCommands.h"
#include "refresh/MonitorServices.h"
#include "settings/SettingsStore.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QMenu;
class QTimer;

namespace wv {

class ColumnWidthStore;
class ConnectionPane;
class ConnectionTableModel;
class ListenPortsModel;
class DetailColumnsSwitch;
class MainMenus;
class MainToolbar;
class MainTray;
class ProgramsList;
class RefreshCycle;
class RegistryStore;
class SnapshotSource;
class TMainStatusBar;
struct ConnectionRecord;

// The program's main window: the connection table, the command toolbar, the
// menus, the listening-ports panel, the status bar and the tray icon. Each
// part is built by a helper the window owns (MainToolbar, MainMenus,
// MainTray, ConnectionPane); the window keeps the handlers.
class TfrmMain : public QMainWindow,
                 public OptionsSink,
                 private RefreshControls,
                 private StatusTextSink
{
    Q_OBJECT
public:
    // The services the window hands to the refresh cycle; null ones get the
    // plain defaults (the engine's connection list for the snapshot).
    struct Services
    {
        SnapshotSource *source = nullptr;
        HostNameProvider *hosts = nullptr;
        FriendlyNameProvider *names = nullptr;
        SummarySink *summary = nullptr;
        PortInfoOpener *portInfo = nullptr;
        RuleEvaluator *rules = nullptr;
        // The status bar's panel flags; null: registry.ini in the per-user folder.
        RegistryStore *registry = nullptr;
        // Where the window's place and the table's column widths are restored
        // from when it is first shown; null: the files in the per-user folder.
        PlacementStore *placements = nullptr;
        ColumnWidthStore *columnWidths = nullptr;
    };

    // The initial client area.
    static constexpr int InitialWidth = 554;
    static constexpr int InitialHeight = 340;

    TfrmMain(SettingsStore &settings, const Services &services, QWidget *parent = nullptr);
    ~TfrmMain() override;

    RefreshCycle &cycle() { return *m_cycle; }
    ConnectionTableModel &tableModel() { return *m_table; }
    ListenPortsModel &listenModel() { return *m_listen; }
    SummarySink &summary() { return *m_summary; }
    ConnectionSortProxy &sortedModel();

    // The parts of the window, for the code that wires other windows to it
    // and for tests.
    const MainToolbar &toolbar() const { return *m_toolbar; }
    const MainMenus &menus() const { return *m_menus; }
    const MainTray &trayIcon() const { return *m_tray; }
    const ConnectionPane &pane() const { return *m_pane; }
    QTimer &refresher() const { return *m_refresher; }

    // Where failures of commands go; by default a message box captioned
    // "Error".
    void setErrorReporter(std::function<void(const QString &)> reporter);

    // --- Hooks for the windows other parts of the program provide ---
    void setCommandHandler(MainCommand command, std::function<void()> handler);
    bool hasCommandHandler(MainCommand command) const;
    // Fills the three rule submenus of "&Rules" when the menu opens; without
    // it they stay disabled.
    void setRulesMenuFiller(std::function<void(QMenu *alerts, QMenu *ignored, QMenu *disabled)> f);
    // Whether the view bar is shown (captions and enabling of "View&bar").
    void setViewBarShownQuery(std::function<bool()> shown);
    // Port information for the row's ports and the listening panel.
    void setPortInfoOpener(PortInfoOpener *opener);
    // The debug window, hidden and shown together with the main window.
    void setDebugWindow(QWidget *window) { m_debugWindow = window; }
    // What "E&xit", the tray's "Exit" and the close box run.
    void setShutDown(std::function<void()> shutDown) { m_shutDown = std::move(shutDown); }
    // An alert is waiting: the tray menu's first item reads "Show Alert";
    // restoring the window then calls the handler that clears it.
    void setAlertWaiting(bool waiting);
    void setWaitingAlertHandler(std::function<void()> clear) { m_clearAlert = std::move(clear); }
    // The controls the refresh cycle drives (the rules pass sizes the first
    // column through them).
    RefreshControls &refreshControls() { return *this; }

    // The record of the selected table row (null when none), and its index.
    const ConnectionRecord *selectedRecord() const;
    int selectedRow() const;
    // Puts one of the "Copy connection" texts of the selected row on the
    // clipboard; does nothing without a selected row.
    void copyConnection(CopyField field);

    // Rebuilds the "Programs" drop-down from the programs list.
    void RefreshProgramsMenu();
    ProgramsList &programs() { return *m_programs; }
    TMainStatusBar *statusPanels() const { return m_stat; }

    // Status bar panel 0.
    QString statusText() const;
    void SetStatusText(const QString &text) override;

    // Column widths of the table (ColumnWidthStore::Missing leaves a column).
    QVector<int> columnWidths() const;
    void setColumnWidths(const QVector<int> &widths);
    Placement placement() const;
    void restorePlacement(const Placement &placement);

    // Tray.
    void sendToTray(bool fromCommand);
    void restoreFromTray();
    bool isInTray() const { return m_inTray; }

    // The sort direction flag the next header click uses.
    bool sortAscending() const { return m_sortFlag.ascending(); }
    void lvColumnClick(int column);

    // OptionsSink
    void applyListeningPanel(bool show) override;
    void applyQuickPanel(bool autoResolve, bool showListens) override;
    void applyGridLines(bool on) override;
    void applyRefreshTimer(int intervalMs, bool enabled) override;
    void applyColumnWidths(bool moreColumns) override;
    void applyMenuBar(bool show) override;
    void applyExtras(const Settings &s) override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Connects the parts' controls to the handlers.
    void connectToolbar();
    void connectMenus();
    void connectTray();

    // Handlers.
    void tb1Click();
    void tb2Click();
    void tb4Click();
    void refresherTimer();
    void chkAutoResolveClick(bool checked);
    void chkShowListenClick(bool checked);
    void tbListenCloseClick();
    void lvSelectionChanged();
    void lvContextPopup(const QPoint &pos);
    void mnuConnectionPopup();
    void mnuViewPopup();
    void mnuOptionsPopup();
    void mnuViewbarPopup();
    void mnuRulesPopup();
    void mnuExitClick();
    void mnuMaximizeClick();
    void mnuGridLinesClick();
    void mnuExtraColumnsClick();
    void mnuShowOpenPortsClick();
    void mnuColorCodeClick();
    void mnuCacheDNSClick();
    void mnuAutoResolveClick();
    void mnuRemotePortInfoClick();
    void mnuLocalPortInfoClick();
    void mnuContentsClick();
    void mnuReadmeClick();
    void mnuAboutClick();
    void trayDblClick();
    void trayRefreshClick();
    void toolbarTopLevelChanged(bool floating);
    void progMenuClick(const QString &path);

    void updateCommandStates();
    void updateRowMenu(bool contextMenu);
    void reportError(const QString &message);
    // Applies the options and saves them, once the window is complete.
    void optionsChanged();
    // Flips one boolean setting, then applies and saves the options.
    void flipSetting(bool Settings::*setting);
    // Grows or shrinks the window by what a bar or panel takes or gives back,
    // so that the table keeps its size.
    void resizeKeepingClientArea(int deltaHeight);

    // RefreshControls
    void setRefreshEnabled(bool on) override;
    void setInfoEnabled(bool on) override;
    bool hasSelectedRow() const override;
    void setBusyCursor(bool busy) override;
    void setProgress(int percent) override;
    void setRefresherEnabled(bool on) override;
    int columnWidth(int column) const override;
    void setColumnWidth(int column, int width) override;
    void fitColumn(int column) override;
    void setTrayHint(const QString &text) override;
    void keepResponsive() override;

    SettingsStore &m_settings;
    std::unique_ptr<RegistryStore> m_ownRegistry;
    std::unique_ptr<PlacementStore> m_ownPlacements;
    std::unique_ptr<ColumnWidthStore> m_ownColumnWidths;
    PlacementStore *m_placements = nullptr;
    ColumnWidthStore *m_columnWidths = nullptr;
    std::unique_ptr<ProgramsList> m_programs;
    std::unique_ptr<SnapshotSource> m_ownSource;
    std::unique_ptr<SummarySink> m_ownSummary;
    SummarySink *m_summary = nullptr;
    PortInfoOpener *m_portInfo = nullptr;
    ConnectionTableModel *m_table = nullptr;
    ListenPortsModel *m_listen = nullptr;
    ColumnSortFlag m_sortFlag;
    std::unique_ptr<RefreshCycle> m_cycle;
    MainCommands *m_commands = nullptr;
    MainToolbar *m_toolbar = nullptr;
    std::unique_ptr<MainMenus> m_menus;
    DetailColumnsSwitch *m_details = nullptr;
    MainTray *m_tray = nullptr;
    ConnectionPane *m_pane = nullptr;
    TMainStatusBar *m_stat = nullptr;
    QTimer *m_refresher = nullptr;
    std::function<void(const QString &)> m_errorReporter;
    std::function<void(QMenu *, QMenu *, QMenu *)> m_rulesMenuFiller;
    std::function<bool()> m_viewBarShown;
    std::function<void()> m_shutDown;
    std::function<void()> m_clearAlert;
    QWidget *m_debugWindow = nullptr;
    bool m_busyCursor = false;
    bool m_created = false;
    bool m_inTray = false;
    bool m_restoringPlacement = false;
    bool m_snapping = false;
    bool m_shownOnce = false;
    int m_floatDelta = 0;
};

} // namespace wv
