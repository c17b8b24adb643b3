#pragma once

#include "mainwin/ConnectionSort.h"
#include "mainwin/CopyConnection.h"
#include "mainwin/PlacementStore.h"
#include "refresh/MonitorServices.h"
#include "settings/SettingsStore.h"

#include <QHash>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTimer;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;

namespace wv {

class ConnectionTableModel;
class ProgramsList;
class RegistryStore;
class TMainStatusBar;
class ListenPanel;
class ListenPortsModel;
class RefreshCycle;
class SnapshotSource;
class TableDelegate;
struct ConnectionRecord;

// Commands of the main window whose windows live elsewhere. Each stays
// visible in its menus and on its toolbar button, disabled, until a handler
// is set for it with TfrmMain::setCommandHandler. Row commands read the
// selected row through TfrmMain::selectedRecord().
enum class MainCommand
{
    ConnectionInfo,     // tb2, "Connection &Info" (row)
    Options,            // tb3, "&Options...", tray "Options"
    AdvancedStatistics, // tb7, "&Advanced Network Statistics"
    PortDatabase,       // tb8, "&Port Information"
    Summary,            // tb11
    PrintTable,         // "&Print connection table..."
    SaveTable,          // "&Save connections to file"
    ExportConfig,       // "&Export WVN config"
    ImportConfig,       // "&Import WVN config"
    AdvancedLookup,     // "Advanced &Lookup" (row)
    LookupTool,         // "Advanced &Lookup [LATE]" (empty)
    RecognizeAs,        // "Reco&gnize as..." (row)
    RecognizeNew,       // "&Recognize a new connection"
    CacheEditor,        // "&Cache editor"
    NetBiosLookup,      // "&NetBIOS lookup..." (row: fill in and start)
    NetBiosTool,        // "&NetBIOS Lookup" (empty)
    QuickDns,           // "Quick&DNS Lookup"
    QuickFinger,        // "Quick&Finger"
    PortTester,         // "Port &tester"
    ViewAlert,          // "&View Alert" (row marked by a rule)
    EditRules,          // "&Edit rules..."
    ViewBarToggle,      // "Enable &Viewbar" / "Disable &Viewbar"
    ViewBarSwitch,      // "&Switch top/bottom"
    ViewBarAutoHide,    // "&Autohide"
    ViewBarScroll,      // "Scroll &connections"
    BugReportTool,      // tb9: the feedback program
    BugReportPage,      // tb9: the web page
    Count
};

// The program's main window: the connection table, the command toolbar, the
// menus, the listening-ports panel, the status bar and the tray icon.
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
    ConnectionSortProxy &sortedModel() { return *m_sorted; }

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
    TMainStatusBar *statusPanels() const { return stat; }

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

    // Controls other parts of the program use.
    QToolBar *Toolbar971 = nullptr;
    QToolButton *tb1 = nullptr;
    QToolButton *tb2 = nullptr;
    QToolButton *tb3 = nullptr;
    QToolButton *tb4 = nullptr;
    QToolButton *tb5 = nullptr;
    QToolButton *tb6 = nullptr;
    QToolButton *tb7 = nullptr;
    QToolButton *tb8 = nullptr;
    QToolButton *tb9 = nullptr;
    QToolButton *tb10 = nullptr;
    QToolButton *tb11 = nullptr;
    QWidget *Panel1 = nullptr;
    QCheckBox *chkAutoResolve = nullptr;
    QCheckBox *chkShowListen = nullptr;
    QLineEdit *filterBar = nullptr;
    QTableView *lv = nullptr;
    ListenPanel *listenPanel = nullptr;
    TMainStatusBar *stat = nullptr;
    QProgressBar *prog = nullptr;
    QTimer *refresher = nullptr;
    QSystemTrayIcon *tray = nullptr;

    // Menus.
    QMenu *mnuFile = nullptr;
    QMenu *mnuConnection = nullptr;
    QMenu *mnuCopyConnection = nullptr;
    QMenu *mnuRules = nullptr;
    QMenu *mnuRuleAlerts = nullptr;
    QMenu *mnuRuleIgnored = nullptr;
    QMenu *mnuRuleDisabled = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuOptions = nullptr;
    QMenu *mnuViewbar = nullptr;
    QMenu *mnuTools = nullptr;
    QMenu *mnuHelp = nullptr;
    QMenu *rxpop = nullptr;
    QMenu *trayPop = nullptr;
    QMenu *popcustomize = nullptr;
    QMenu *progPop = nullptr;
    QMenu *bugPop = nullptr;

    // Menu items other code and tests reach by name.
    QAction *mnuExit = nullptr;
    QAction *mnuRefreshConnections = nullptr;
    std::array<QAction *, 8> mnuCopy{}; // in CopyField order
    QAction *mnuConnInfo = nullptr;
    QAction *mnuAdvLookup = nullptr;
    QAction *mnuRecognizeAs = nullptr;
    QAction *mnuNetBios = nullptr;
    QAction *mnuRemotePortInfo = nullptr;
    QAction *mnuLocalPortInfo = nullptr;
    QAction *mnuViewAlertSep = nullptr;
    QAction *mnuViewAlert = nullptr;
    QAction *mnuSendToTray = nullptr;
    QAction *mnuMaximize = nullptr;
    QAction *mnuGridLines = nullptr;
    QAction *mnuExtraColumns = nullptr;
    QAction *mnuShowOpenPorts = nullptr;
    QAction *mnuColorCode = nullptr;
    QAction *mnuCacheDNS = nullptr;
    QAction *mnuAutoResolve = nullptr;
    QAction *mnuVbToggle = nullptr;
    QAction *mnuVbSwitch = nullptr;
    QAction *mnuVbAutoHide = nullptr;
    QAction *mnuVbScroll = nullptr;
    QAction *rxViewAlert = nullptr;
    QAction *rxViewAlertSep = nullptr;
    QAction *rxConnInfo = nullptr;
    QAction *rxAdvLookup = nullptr;
    QAction *rxRecognizeAs = nullptr;
    QAction *rxRemotePortInfo = nullptr;
    QAction *rxLocalPortInfo = nullptr;
    QAction *rxNetBios = nullptr;
    QAction *rxExtraColumns = nullptr;
    QAction *rxGridLines = nullptr;
    QAction *trayRestore = nullptr;
    QAction *trayRefresh = nullptr;
    QAction *trayOptions = nullptr;
    QAction *trayAbout = nullptr;
    QAction *trayExit = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Construction, by part of the window.
    void buildToolbar();
    void buildTable();
    void buildStatusBar();
    void buildMenus();
    void buildContextMenus();
    void buildTray();

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
    void popcustomizePopup();
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
    void filterBarChanged(const QString &text);
    void progMenuClick(const QString &path);

    QAction *commandAction(MainCommand command, const QString &text, QObject *owner);
    void runCommand(MainCommand command);
    void updateCommandStates();
    void updateRowMenu(bool contextMenu);
    void customizeMouseUp(QWidget *control, const QPoint &globalPos);
    void reportError(const QString &message);
    // Applies the options and saves them, once the window is complete.
    void optionsChanged();
    // Flips one boolean setting, then applies and saves the options.
    void flipSetting(bool Settings::*setting);
    // Grows or shrinks the window by what a bar or panel takes or gives back,
    // so that the table keeps its size.
    void resizeKeepingClientArea(int deltaHeight);
    // The width "Time" gets with the extra columns on.
    int timeColumnWidth() const;

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
    std::unique_ptr<ProgramsList> m_programs;
    std::unique_ptr<SnapshotSource> m_ownSource;
    std::unique_ptr<SummarySink> m_ownSummary;
    SummarySink *m_summary = nullptr;
    PortInfoOpener *m_portInfo = nullptr;
    ConnectionTableModel *m_table = nullptr;
    ListenPortsModel *m_listen = nullptr;
    ConnectionSortProxy *m_sorted = nullptr;
    TableDelegate *m_delegate = nullptr;
    ColumnSortFlag m_sortFlag;
    std::unique_ptr<RefreshCycle> m_cycle;
    std::function<void(const QString &)> m_errorReporter;
    std::array<std::function<void()>, static_cast<size_t>(MainCommand::Count)> m_handlers;
    std::array<QList<QAction *>, static_cast<size_t>(MainCommand::Count)> m_commandActions;
    std::function<void(QMenu *, QMenu *, QMenu *)> m_rulesMenuFiller;
    std::function<bool()> m_viewBarShown;
    std::function<void()> m_shutDown;
    std::function<void()> m_clearAlert;
    QWidget *m_debugWindow = nullptr;
    QList<std::pair<QAction *, QAction *>> m_customizeItems; // menu item, toolbar item
    QHash<QWidget *, QAction *> m_toolbarItems;
    bool m_busyCursor = false;
    bool m_created = false;
    bool m_inTray = false;
    bool m_alertWaiting = false;
    // While an alert waits the tray icon blinks every 500 ms.
    QTimer *trayBlink = nullptr;
    bool m_blinkOn = false;
    bool m_restoringPlacement = false;
    bool m_snapping = false;
    bool m_shownOnce = false;
    int m_floatDelta = 0;
};

} // namespace wv
