#pragma once

#include "monitor/refresh/MonitorServices.h"
#include "settings/SettingsStore.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QSortFilterProxyModel;
class QSystemTrayIcon;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;

namespace wv {

class ConnectionTableModel;
class ListenPanel;
class ListenPortsModel;
class RefreshCycle;
class SnapshotSource;

// The program's main window: the connection table, the command toolbar, the
// listening-ports panel and the status bar.
class TfrmMain : public QMainWindow,
                 public OptionsSink,
                 private RefreshControls,
                 private StatusTextSink
{
    Q_OBJECT
public:
    // The services the window hands to the refresh cycle; null ones get the
    // plain defaults (the live /proc tables for the snapshot).
    struct Services
    {
        SnapshotSource *source = nullptr;
        HostNameProvider *hosts = nullptr;
        FriendlyNameProvider *names = nullptr;
        SummarySink *summary = nullptr;
        PortInfoOpener *portInfo = nullptr;
        RuleEvaluator *rules = nullptr;
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

    // Where failures of commands go; by default a message box captioned
    // "Error".
    void setErrorReporter(std::function<void(const QString &)> reporter);

    // The record index of the selected table row, or -1.
    int selectedRow() const;

    // Status bar panel 0.
    QString statusText() const;
    void SetStatusText(const QString &text) override;

    // OptionsSink
    void applyListeningPanel(bool show) override;
    void applyQuickPanel(bool autoResolve, bool showListens) override;
    void applyGridLines(bool on) override;
    void applyRefreshTimer(int intervalMs, bool enabled) override;
    void applyColumnWidths(bool moreColumns) override;
    void applyExtras(const Settings &s) override;

    // Controls other parts of the program use.
    QToolBar *Toolbar971 = nullptr;
    QToolButton *tb1 = nullptr;
    QToolButton *tb2 = nullptr;
    QWidget *Panel1 = nullptr;
    QCheckBox *chkAutoResolve = nullptr;
    QCheckBox *chkShowListen = nullptr;
    QTableView *lv = nullptr;
    ListenPanel *listenPanel = nullptr;
    QLabel *statusPanel0 = nullptr;
    QProgressBar *prog = nullptr;
    QTimer *refresher = nullptr;
    QSystemTrayIcon *tray = nullptr;

Q_SIGNALS:
    // tb2 with a selected row: show the connection information for it.
    void connectionInfoRequested(int row);

private:
    void tb1Click();
    void tb2Click();
    void refresherTimer();
    void chkAutoResolveClick(bool checked);
    void chkShowListenClick(bool checked);
    void tbListenCloseClick();
    void lvSelectionChanged();
    void reportError(const QString &message);
    // Applies the options and saves them, once the window is complete.
    void optionsChanged();

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

    SettingsStore &m_settings;
    std::unique_ptr<SnapshotSource> m_ownSource;
    std::unique_ptr<SummarySink> m_ownSummary;
    SummarySink *m_summary = nullptr;
    ConnectionTableModel *m_table = nullptr;
    ListenPortsModel *m_listen = nullptr;
    QSortFilterProxyModel *m_sorted = nullptr;
    std::unique_ptr<RefreshCycle> m_cycle;
    std::function<void(const QString &)> m_errorReporter;
    bool m_busyCursor = false;
    bool m_created = false;
};

} // namespace wv
