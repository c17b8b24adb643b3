#include "mainwin/ui/TfrmMain.h"

#include "components/ui/Artwork.h"
#include "mainwin/ColumnWidthStore.h"
#include "mainwin/EchoCounters.h"
#include "mainwin/RowCommands.h"
#include "mainwin/WindowSnap.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/DetailColumnsSwitch.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/MainTray.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "refresh/ui/ListenPanel.h"
#include "settings/DebugTrace.h"
#include "settings/Version.h"
#include "settings/programs/ProgramLauncher.h"
#include "settings/programs/ProgramsList.h"
#include "settings/programs/ProgramsMenu.h"
#include "stats/dialup/AdapterCounters.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace wv {

TfrmMain::TfrmMain(SettingsStore &settings, const Services &services, QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_portInfo(services.portInfo)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(programTitle());
    setMinimumSize(461, 180);

    setWindowIcon(programIcon());

    m_table = new ConnectionTableModel(this);
    m_listen = new ListenPortsModel(this);
    m_programs = std::make_unique<ProgramsList>();
    if (!services.registry)
        m_ownRegistry = std::make_unique<RegistryStore>();
    if (!services.placements)
        m_ownPlacements = std::make_unique<PlacementStore>();
    if (!services.columnWidths)
        m_ownColumnWidths = std::make_unique<ColumnWidthStore>();
    m_placements = services.placements ? services.placements : m_ownPlacements.get();
    m_columnWidths = services.columnWidths ? services.columnWidths : m_ownColumnWidths.get();

    m_commands = new MainCommands(this);
    m_toolbar = new MainToolbar(this);
    m_pane = new ConnectionPane(*m_table, *m_listen, m_portInfo, this);
    setCentralWidget(m_pane);
    m_stat = new TMainStatusBar(services.registry ? *services.registry : *m_ownRegistry,
                                [this] { return m_settings.values().hasRAS; });
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(m_stat, 1);
    m_stat->gauge()->setRange(0, 100);
    m_stat->gauge()->setValue(0);

    m_refresher = new QTimer(this);
    m_refresher->setObjectName(QStringLiteral("refresher"));
    m_refresher->setInterval(5000);

    if (!services.source)
        m_ownSource = std::make_unique<EngineSnapshotSource>();
    if (!services.summary)
        m_ownSummary = std::make_unique<SummarySink>();
    m_summary = services.summary ? services.summary : m_ownSummary.get();
    RefreshCycle::Services cs;
    cs.source = services.source ? services.source : m_ownSource.get();
    cs.hosts = services.hosts;
    cs.names = services.names;
    cs.summary = m_summary;
    cs.status = this;
    cs.rules = services.rules;
    cs.controls = this;
    m_cycle = std::make_unique<RefreshCycle>(m_settings.values(), cs, *m_table, *m_listen);

    m_menus = std::make_unique<MainMenus>(menuBar(), *m_commands, *m_toolbar, this);
    m_details =
        new DetailColumnsSwitch(m_menus->mnuDetailColumns, *m_table, *m_pane, *cs.source,
                                services.registry ? *services.registry : *m_ownRegistry, this);
    m_tray = new MainTray(this, *m_commands);
    connectToolbar();
    connectMenus();
    connectTray();
    connect(m_commands, &MainCommands::handlersChanged, this, &TfrmMain::updateCommandStates);
    updateCommandStates();

    connect(m_refresher, &QTimer::timeout, this, &TfrmMain::refresherTimer);
    connect(m_pane->listenPanel, &ListenPanel::closeRequested, this, &TfrmMain::tbListenCloseClick);
    connect(m_pane->lv->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvSelectionChanged);
    connect(m_pane->lv->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TfrmMain::lvColumnClick);
    connect(m_pane->lv, &QTableView::customContextMenuRequested, this, &TfrmMain::lvContextPopup);

    // Wide enough for the whole toolbar, so that nothing starts in its
    // overflow menu.
    QToolBar *bar = m_toolbar->Toolbar971;
    resize(qMax(InitialWidth, bar->sizeHint().width() + 8),
           InitialHeight + bar->sizeHint().height() + statusBar()->sizeHint().height());
    m_settings.addSink(this);
    m_created = true;
}

TfrmMain::~TfrmMain()
{
    m_settings.removeSink(this);
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

void TfrmMain::connectToolbar()
{
    const MainToolbar &t = *m_toolbar;
    connect(t.tb1, &QToolButton::clicked, this, &TfrmMain::tb1Click);
    connect(t.tb2, &QToolButton::clicked, this, &TfrmMain::tb2Click);
    connect(t.tb4, &QToolButton::clicked, this, &TfrmMain::tb4Click);
    connect(t.chkAutoResolve, &QCheckBox::toggled, this, &TfrmMain::chkAutoResolveClick);
    connect(t.chkShowListen, &QCheckBox::toggled, this, &TfrmMain::chkShowListenClick);
    connect(t.Toolbar971, &QToolBar::topLevelChanged, this, &TfrmMain::toolbarTopLevelChanged);
    connect(m_toolbar, &MainToolbar::rebuildRequested, this,
            [this] { m_cycle->setRebuildPending(true); });
}

ConnectionSortProxy &TfrmMain::sortedModel()
{
    return m_pane->sortedModel();
}

void TfrmMain::RefreshProgramsMenu()
{
    QMenu *progPop = m_menus->progPop;
    progPop->clear();
    progPop->setToolTipsVisible(true);
    // The list's own rebuild writes the trace lines.
    const QVector<ProgramMenuEntry> entries = wv::RefreshProgramsMenu(*m_programs);
    for (const ProgramMenuEntry &e : entries) {
        QAction *a = progPop->addAction(literalCaption(e.caption));
        a->setObjectName(e.objectName);
        a->setToolTip(e.hint);
        a->setStatusTip(e.hint);
        connect(a, &QAction::triggered, this, [this, path = e.hint] { progMenuClick(path); });
    }
}

void TfrmMain::progMenuClick(const QString &path)
{
    LaunchProgram(path);
}

void TfrmMain::setErrorReporter(std::function<void(const QString &)> reporter)
{
    m_errorReporter = std::move(reporter);
}

void TfrmMain::reportError(const QString &message)
{
    // A reporter writes its own trace line (the application's error window
    // does).
    if (m_errorReporter) {
        m_errorReporter(message);
        return;
    }
    DebugLog(QStringLiteral("*** Exception! ***"));
    QMessageBox::critical(this, QStringLiteral("Error"), message);
}

void TfrmMain::setPortInfoOpener(PortInfoOpener *opener)
{
    m_portInfo = opener;
    m_pane->listenPanel->setPortInfoOpener(opener);
    updateCommandStates();
}

const ConnectionRecord *TfrmMain::selectedRecord() const
{
    const int row = selectedRow();
    return row < 0 ? nullptr : &m_table->record(row);
}

int TfrmMain::selectedRow() const
{
    return m_pane->selectedRow();
}

void TfrmMain::copyConnection(CopyField field)
{
    const ConnectionRecord *r = selectedRecord();
    if (!r)
        return;
    QGuiApplication::clipboard()->setText(copyConnectionText(*r, field));
}

QString TfrmMain::statusText() const
{
    return m_stat->panelText(0);
}

void TfrmMain::SetStatusText(const QString &text)
{
    m_statusRaw = text;
    m_stat->setPanelText(0, m_statusFilter ? m_statusFilter(text) : text);
}

void TfrmMain::setStatusTextFilter(std::function<QString(const QString &)> filter)
{
    m_statusFilter = std::move(filter);
    SetStatusText(m_statusRaw);
}

QVector<int> TfrmMain::columnWidths() const
{
    return m_pane->columnWidths();
}

void TfrmMain::setColumnWidths(const QVector<int> &widths)
{
    m_pane->setColumnWidths(widths);
}

Placement TfrmMain::placement() const
{
    Placement p;
    p.geometry = saveGeometry();
    p.state = saveState();
    p.controls = m_toolbar->visibleControls();
    return p;
}

void TfrmMain::restorePlacement(const Placement &p)
{
    const QScopedValueRollback guard(m_restoringPlacement, true);
    if (!p.geometry.isEmpty())
        restoreGeometry(p.geometry);
    if (!p.state.isEmpty())
        restoreState(p.state);
    m_toolbar->restoreVisibleControls(p.controls);
}

void TfrmMain::tb1Click()
{
    try {
        m_cycle->RefreshConnections();
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    }
}

void TfrmMain::tb2Click()
{
    if (selectedRow() < 0) {
        DebugLog(QStringLiteral("Connection info: no connection selected!"));
        return;
    }
    m_commands->run(MainCommand::ConnectionInfo);
}

void TfrmMain::refresherTimer()
{
    DebugLog(QStringLiteral("refresherTimer"));
    m_toolbar->tb1->click();
}

void TfrmMain::optionsChanged()
{
    if (!m_created)
        return;
    m_settings.ProcessOptions();
    m_settings.WriteRegistry();
}

void TfrmMain::chkAutoResolveClick(bool checked)
{
    m_settings.values().autoResolve = checked;
    // Every row is looked up again (or not) at the next refresh.
    m_cycle->setRebuildPending(true);
    optionsChanged();
}

void TfrmMain::chkShowListenClick(bool checked)
{
    m_settings.values().showListens = checked;
    optionsChanged();
}

void TfrmMain::tbListenCloseClick()
{
    m_settings.values().showListens = false;
    m_settings.ProcessOptions();
    m_settings.WriteRegistry();
}

void TfrmMain::lvSelectionChanged()
{
    // tb2 follows the selection except while a refresh runs (the cycle
    // enables it again at its end).
    if (!m_cycle->isRunning())
        setInfoEnabled(hasSelectedRow());
}

void TfrmMain::lvColumnClick(int column)
{
    // A refresh in progress owns the table.
    if (!m_toolbar->tb1->isEnabled())
        return;
    m_pane->sortByHeaderClick(m_sortFlag, column);
}

void TfrmMain::resizeKeepingClientArea(int deltaHeight)
{
    resize(width(), height() + deltaHeight);
}

void TfrmMain::toolbarTopLevelChanged(bool floating)
{
    // The toolbar's row leaves the window or comes back; the window follows
    // so that the table keeps its size.
    QToolBar *bar = m_toolbar->Toolbar971;
    if (m_restoringPlacement) {
        // The restored geometry already has the toolbar where it was.
        m_floatDelta = floating ? bar->height() : 0;
        return;
    }
    if (floating) {
        m_floatDelta = bar->height();
        resizeKeepingClientArea(-m_floatDelta);
    } else if (m_floatDelta > 0) {
        resizeKeepingClientArea(m_floatDelta);
        m_floatDelta = 0;
    }
}

void TfrmMain::applyListeningPanel(bool show)
{
    // The window grows by the panel's height so that the table keeps its size.
    ListenPanel *panel = m_pane->listenPanel;
    const int delta = ListenPanel::PanelHeight;
    if (show && panel->isHidden()) {
        resizeKeepingClientArea(delta);
        panel->show();
    } else if (!show && !panel->isHidden()) {
        panel->hide();
        resizeKeepingClientArea(-delta);
    }
}

void TfrmMain::applyQuickPanel(bool autoResolve, bool showListens)
{
    const QSignalBlocker a(m_toolbar->chkAutoResolve);
    const QSignalBlocker b(m_toolbar->chkShowListen);
    m_toolbar->chkAutoResolve->setChecked(autoResolve);
    m_toolbar->chkShowListen->setChecked(showListens);
}

void TfrmMain::applyGridLines(bool on)
{
    m_pane->applyGridLines(on);
}

void TfrmMain::applyRefreshTimer(int intervalMs, bool enabled)
{
    m_refresher->setInterval(intervalMs);
    setRefresherEnabled(enabled);
}

void TfrmMain::applyColumnWidths(bool moreColumns)
{
    m_pane->applyColumnWidths(moreColumns);
}

void TfrmMain::applyMenuBar(bool show)
{
    QMenuBar *bar = menuBar();
    if (show == !bar->isHidden())
        return;
    // The window grows or shrinks by the bar's height: the client area keeps
    // its size.
    const int h = bar->sizeHint().height();
    if (show) {
        DebugLog(QStringLiteral("ShowMainMenu: menu height is %1").arg(h));
        bar->show();
        resizeKeepingClientArea(h);
    } else {
        DebugLog(QStringLiteral("HideMainMenu: menu height is %1").arg(h));
        bar->hide();
        resizeKeepingClientArea(-h);
    }
}

void TfrmMain::applyExtras(const Settings &s)
{
    m_listen->setColorCode(s.colorCode);
    m_pane->applyLook(s);
}

void TfrmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || m_inTray)
        return;
    // A minimised window goes to the tray where there is one; the state
    // change is still being delivered, so hide once it is done.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && !m_inTray)
                sendToTray(false);
        });
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_shutDown)
        m_shutDown();
    event->accept();
}

void TfrmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    if (!m_settings.values().xDockForm || m_snapping || !isVisible() || !screen())
        return;
    const QPoint at = frameGeometry().topLeft();
    const QPoint snapped = snapToScreenEdges(at, screen()->availableGeometry());
    if (snapped != at) {
        const QScopedValueRollback guard(m_snapping, true);
        move(snapped);
    }
}

void TfrmMain::showEvent(QShowEvent *event)
{
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        restorePlacement(m_placements->load());
        setColumnWidths(m_columnWidths->load(ConnectionTableModel::ColumnCount));
    }
    QMainWindow::showEvent(event);
}

void TfrmMain::setRefreshEnabled(bool on)
{
    m_toolbar->tb1->setEnabled(on);
    m_menus->mnuRefreshConnections->setEnabled(on);
}

void TfrmMain::setInfoEnabled(bool on)
{
    m_toolbar->tb2->setEnabled(on && hasCommandHandler(MainCommand::ConnectionInfo));
}

bool TfrmMain::hasSelectedRow() const
{
    return m_pane->hasSelectedRow();
}

void TfrmMain::setBusyCursor(bool busy)
{
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmMain::setProgress(int percent)
{
    m_stat->gauge()->setValue(percent);
}

void TfrmMain::setRefresherEnabled(bool on)
{
    if (on)
        m_refresher->start();
    else
        m_refresher->stop();
}

int TfrmMain::columnWidth(int column) const
{
    return m_pane->lv->columnWidth(column);
}

void TfrmMain::setColumnWidth(int column, int width)
{
    m_pane->lv->setColumnWidth(column, width);
}

void TfrmMain::fitColumn(int column)
{
    m_pane->fitColumn(column);
}

void TfrmMain::keepResponsive()
{
    // One pass over what is pending (input, painting, timers); the refresh
    // button and the refresh timer are off, so no second cycle starts.
    QEventLoop pass;
    QTimer::singleShot(0, &pass, &QEventLoop::quit);
    pass.exec();
}

void TfrmMain::setTrayHint(const QString &text)
{
    m_tray->setHint(text);
}

} // namespace wv
