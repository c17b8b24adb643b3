#include "mainwin/ui/TfrmMain.h"

#include "components/ui/Artwork.h"
#include "mainwin/ColumnWidthStore.h"
#include "mainwin/EchoCounters.h"
#include "mainwin/RowCommands.h"
#include "mainwin/WindowSnap.h"
#include "mainwin/ui/TMainStatusBar.h"
#include "mainwin/ui/TableDelegate.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/DisplayTime.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "refresh/ui/ListenPanel.h"
#include "settings/DebugTrace.h"
#include "settings/programs/ProgramLauncher.h"
#include "settings/programs/ProgramsList.h"
#include "settings/programs/ProgramsMenu.h"
#include "stats/dialup/AdapterCounters.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace wv {

namespace {

const int kInitialColumnWidths[ConnectionTableModel::ColumnCount] = {30, 74, 60, 71,
                                                                     51, 42, 35, 186};

const QString kFlatScrollBars = QStringLiteral(
    "QScrollBar { border: none; background: palette(base); }"
    "QScrollBar:vertical { width: 10px; } QScrollBar:horizontal { height: 10px; }"
    "QScrollBar::handle { background: palette(mid); border-radius: 0; }"
    "QScrollBar::handle:vertical { min-height: 20px; }"
    "QScrollBar::handle:horizontal { min-width: 20px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: none; }");

const QString kFlatHeader = QStringLiteral(
    "QHeaderView::section { background: palette(base); border: none;"
    " border-right: 1px solid palette(midlight); border-bottom: 1px solid palette(mid);"
    " padding: 2px 4px; }");

} // namespace

TfrmMain::TfrmMain(SettingsStore &settings, const Services &services, QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_portInfo(services.portInfo)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Wirevane 3.0"));
    setMinimumSize(461, 180);

    setWindowIcon(programIcon());

    m_table = new ConnectionTableModel(this);
    m_listen = new ListenPortsModel(this);
    m_programs = std::make_unique<ProgramsList>();

    buildToolbar();
    buildTable();
    if (!services.registry)
        m_ownRegistry = std::make_unique<RegistryStore>();
    stat = new TMainStatusBar(services.registry ? *services.registry : *m_ownRegistry,
                              [this] { return m_settings.values().hasRAS; });
    buildStatusBar();

    refresher = new QTimer(this);
    refresher->setObjectName(QStringLiteral("refresher"));
    refresher->setInterval(5000);

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

    buildMenus();
    buildContextMenus();
    buildTray();
    updateCommandStates();

    connect(tb1, &QToolButton::clicked, this, &TfrmMain::tb1Click);
    connect(tb2, &QToolButton::clicked, this, &TfrmMain::tb2Click);
    connect(tb4, &QToolButton::clicked, this, &TfrmMain::tb4Click);
    connect(refresher, &QTimer::timeout, this, &TfrmMain::refresherTimer);
    connect(chkAutoResolve, &QCheckBox::toggled, this, &TfrmMain::chkAutoResolveClick);
    connect(chkShowListen, &QCheckBox::toggled, this, &TfrmMain::chkShowListenClick);
    connect(listenPanel, &ListenPanel::closeRequested, this, &TfrmMain::tbListenCloseClick);
    connect(lv->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvSelectionChanged);
    connect(lv->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfrmMain::lvColumnClick);
    connect(lv, &QTableView::customContextMenuRequested, this, &TfrmMain::lvContextPopup);
    connect(Toolbar971, &QToolBar::topLevelChanged, this, &TfrmMain::toolbarTopLevelChanged);
    connect(filterBar, &QLineEdit::textChanged, this, &TfrmMain::filterBarChanged);

    // Wide enough for the whole toolbar, so that nothing starts in its
    // overflow menu.
    resize(qMax(InitialWidth, Toolbar971->sizeHint().width() + 8),
           InitialHeight + Toolbar971->sizeHint().height() + statusBar()->sizeHint().height());
    m_settings.addSink(this);
    m_created = true;
}

TfrmMain::~TfrmMain()
{
    m_settings.removeSink(this);
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

namespace {

// Every button's picture fills the same square, so that the captions under
// them line up whatever sizes the icon theme offers.
QIcon toolbarIcon(const QIcon &source)
{
    constexpr int side = 24;
    QPixmap pm = source.pixmap(QSize(side, side));
    if (pm.isNull())
        return source;
    if (pm.width() < side && pm.height() < side)
        pm = pm.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap square(side, side);
    square.fill(Qt::transparent);
    QPainter p(&square);
    p.drawPixmap((side - pm.width()) / 2, (side - pm.height()) / 2, pm);
    p.end();
    return QIcon(square);
}

QToolButton *commandButton(const char *name, const QString &text, const QString &hint,
                           const QString &theme, QStyle::StandardPixmap fallback, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setIcon(toolbarIcon(QIcon::fromTheme(theme, parent->style()->standardIcon(fallback))));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    return b;
}

} // namespace

void TfrmMain::buildToolbar()
{
    Toolbar971 = new QToolBar(QStringLiteral("Command Toolbar"), this);
    Toolbar971->setObjectName(QStringLiteral("Toolbar971"));
    Toolbar971->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    Toolbar971->setFloatable(true);
    Toolbar971->setMovable(true);
    Toolbar971->setIconSize(QSize(24, 24));
    Toolbar971->setContextMenuPolicy(Qt::PreventContextMenu);
    // The drop-down buttons open on a click; an arrow under their caption
    // would only put their text out of line with the others.
    Toolbar971->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    addToolBar(Qt::TopToolBarArea, Toolbar971);

    tb2 =
        commandButton("tb2", QStringLiteral("&Info"), QStringLiteral("Connection Information"),
                      QStringLiteral("dialog-information"), QStyle::SP_MessageBoxInformation, this);
    tb2->setEnabled(false);
    tb1 = commandButton("tb1", QStringLiteral("&Refresh"),
                        QStringLiteral("Refresh your current connections"),
                        QStringLiteral("view-refresh"), QStyle::SP_BrowserReload, this);
    tb4 = commandButton("tb4", QStringLiteral("&Tray"), QStringLiteral("Minimize to system tray"),
                        QStringLiteral("go-down"), QStyle::SP_ArrowDown, this);
    tb4->setIcon(toolbarIcon(programIcon()));
    tb3 = commandButton("tb3", QStringLiteral("&Options"), QStringLiteral("WVN Options"),
                        QStringLiteral("preferences-system"), QStyle::SP_FileDialogDetailedView,
                        this);
    tb6 = commandButton("tb6", QStringLiteral("&Help"), QStringLiteral("Help"),
                        QStringLiteral("help-browser"), QStyle::SP_DialogHelpButton, this);
    tb7 = commandButton("tb7", QStringLiteral("Ad&v Stat"),
                        QStringLiteral("Advanced Network Statistics"),
                        QStringLiteral("utilities-system-monitor"), QStyle::SP_ComputerIcon, this);
    tb5 =
        commandButton("tb5", QStringLiteral("Programs"), QStringLiteral("Launch external programs"),
                      QStringLiteral("system-run"), QStyle::SP_DesktopIcon, this);
    tb8 = commandButton("tb8", QStringLiteral("Port &Info"),
                        QStringLiteral("Port Information database"),
                        QStringLiteral("network-server"), QStyle::SP_DriveNetIcon, this);
    tb9 = commandButton("tb9", QStringLiteral("&Bug Rep"), QStringLiteral("Submit bug reports."),
                        QStringLiteral("tools-report-bug"), QStyle::SP_MessageBoxWarning, this);
    tb10 = commandButton("tb10", QStringLiteral("Too&ls"), QStringLiteral("Internet Tools"),
                         QStringLiteral("applications-internet"), QStyle::SP_DirLinkIcon, this);
    tb11 =
        commandButton("tb11", QStringLiteral("&Summary"), QStringLiteral("Show Summary window"),
                      QStringLiteral("x-office-document"), QStyle::SP_FileDialogContentsView, this);
    for (QToolButton *b : {tb5, tb6, tb9, tb10})
        b->setPopupMode(QToolButton::InstantPopup);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    chkAutoResolve = new QCheckBox(QStringLiteral("&AutoResolve"), Panel1);
    chkAutoResolve->setToolTip(QStringLiteral("Toggle automatic hostname lookup"));
    chkShowListen = new QCheckBox(QStringLiteral("&Show open ports"), Panel1);
    chkShowListen->setToolTip(QStringLiteral("Toggle Listening ports"));
    auto *quick = new QVBoxLayout(Panel1);
    quick->setContentsMargins(8, 0, 4, 0);
    quick->setSpacing(0);
    quick->addWidget(chkAutoResolve);
    quick->addWidget(chkShowListen);

    for (QWidget *w :
         {static_cast<QWidget *>(tb2), static_cast<QWidget *>(tb1), static_cast<QWidget *>(tb4),
          static_cast<QWidget *>(tb3), static_cast<QWidget *>(tb6), static_cast<QWidget *>(tb7),
          static_cast<QWidget *>(tb5), static_cast<QWidget *>(tb8), static_cast<QWidget *>(tb9),
          static_cast<QWidget *>(tb10), static_cast<QWidget *>(tb11)}) {
        QAction *a = Toolbar971->addWidget(w);
        a->setObjectName(w->objectName());
        m_toolbarItems.insert(w, a);
        w->installEventFilter(this);
    }
    Toolbar971->addSeparator();
    QAction *panelItem = Toolbar971->addWidget(Panel1);
    panelItem->setObjectName(QStringLiteral("Panel1"));
    m_toolbarItems.insert(Panel1, panelItem);
    for (QWidget *w :
         {Panel1, static_cast<QWidget *>(chkAutoResolve), static_cast<QWidget *>(chkShowListen)})
        w->installEventFilter(this);
    // Help stays off the toolbar until the user adds it.
    m_toolbarItems.value(tb6)->setVisible(false);
}

void TfrmMain::buildTable()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(5, 2, 5, 2);
    column->setSpacing(0);

    filterBar = new QLineEdit(central);
    filterBar->setObjectName(QStringLiteral("filterBar"));
    filterBar->setPlaceholderText(QStringLiteral("Show only connections containing..."));
    filterBar->setClearButtonEnabled(true);
    filterBar->setContentsMargins(0, 0, 0, 3);
    filterBar->hide();
    column->addWidget(filterBar);

    lv = new QTableView(central);
    lv->setObjectName(QStringLiteral("lv"));
    m_sorted = new ConnectionSortProxy(this);
    m_sorted->setSourceModel(m_table);
    lv->setModel(m_sorted);
    m_delegate = new TableDelegate(lv);
    lv->setItemDelegate(m_delegate);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setContextMenuPolicy(Qt::CustomContextMenu);
    lv->setShowGrid(false);
    lv->setWordWrap(false);
    lv->setSortingEnabled(false);
    lv->verticalHeader()->hide();
    lv->verticalHeader()->setDefaultSectionSize(lv->fontMetrics().height() + 4);
    QHeaderView *header = lv->horizontalHeader();
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(true);
    header->setStretchLastSection(false);
    // Keep the selection visible when the table loses the focus.
    QPalette pal = lv->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    lv->setPalette(pal);
    for (int c = 0; c < ConnectionTableModel::ColumnCount; ++c)
        lv->setColumnWidth(c, kInitialColumnWidths[c]);
    column->addWidget(lv, 1);

    listenPanel = new ListenPanel(*m_listen, m_portInfo, central);
    listenPanel->hide();
    column->addWidget(listenPanel);
    setCentralWidget(central);
}

void TfrmMain::buildStatusBar()
{
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(stat, 1);
    prog = stat->gauge();
    prog->setRange(0, 100);
    prog->setValue(0);
}

void TfrmMain::RefreshProgramsMenu()
{
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
    listenPanel->setPortInfoOpener(opener);
    updateCommandStates();
}

const ConnectionRecord *TfrmMain::selectedRecord() const
{
    const int row = selectedRow();
    return row < 0 ? nullptr : &m_table->record(row);
}

int TfrmMain::selectedRow() const
{
    const QModelIndexList rows = lv->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return m_sorted->mapToSource(rows.first()).row();
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
    return stat->panelText(0);
}

void TfrmMain::SetStatusText(const QString &text)
{
    stat->setPanelText(0, text);
}

QVector<int> TfrmMain::columnWidths() const
{
    QVector<int> widths;
    for (int c = 0; c < ConnectionTableModel::ColumnCount; ++c)
        widths.append(lv->columnWidth(c));
    return widths;
}

void TfrmMain::setColumnWidths(const QVector<int> &widths)
{
    for (int c = 0; c < widths.size() && c < ConnectionTableModel::ColumnCount; ++c) {
        if (widths[c] != ColumnWidthStore::Missing)
            lv->setColumnWidth(c, widths[c]);
    }
}

Placement TfrmMain::placement() const
{
    Placement p;
    p.geometry = saveGeometry();
    p.state = saveState();
    for (QAction *a : Toolbar971->actions()) {
        if (!a->objectName().isEmpty())
            p.controls.insert(a->objectName(), a->isVisible());
    }
    return p;
}

void TfrmMain::restorePlacement(const Placement &p)
{
    const QScopedValueRollback guard(m_restoringPlacement, true);
    if (!p.geometry.isEmpty())
        restoreGeometry(p.geometry);
    if (!p.state.isEmpty())
        restoreState(p.state);
    for (QAction *a : Toolbar971->actions()) {
        const QString name = a->objectName();
        // tb1 and tb2 carry the refresh cycle; they cannot be taken away.
        if (p.controls.contains(name) && name != QLatin1String("tb1") &&
            name != QLatin1String("tb2"))
            a->setVisible(p.controls.value(name));
    }
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
    runCommand(MainCommand::ConnectionInfo);
}

void TfrmMain::refresherTimer()
{
    DebugLog(QStringLiteral("refresherTimer"));
    tb1->click();
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
    if (!tb1->isEnabled())
        return;
    const ColumnSortFlag::Click c = m_sortFlag.click(column);
    if (!c.sorts)
        return;
    m_sorted->sort(c.column, c.order);
    lv->horizontalHeader()->setSortIndicatorShown(true);
    lv->horizontalHeader()->setSortIndicator(c.column, c.order);
}

void TfrmMain::filterBarChanged(const QString &text)
{
    m_sorted->setFilterFixedString(text);
}

void TfrmMain::resizeKeepingClientArea(int deltaHeight)
{
    resize(width(), height() + deltaHeight);
}

void TfrmMain::toolbarTopLevelChanged(bool floating)
{
    // The toolbar's row leaves the window or comes back; the window follows
    // so that the table keeps its size.
    if (m_restoringPlacement) {
        // The restored geometry already has the toolbar where it was.
        m_floatDelta = floating ? Toolbar971->height() : 0;
        return;
    }
    if (floating) {
        m_floatDelta = Toolbar971->height();
        resizeKeepingClientArea(-m_floatDelta);
    } else if (m_floatDelta > 0) {
        resizeKeepingClientArea(m_floatDelta);
        m_floatDelta = 0;
    }
}

void TfrmMain::applyListeningPanel(bool show)
{
    // The window grows by the panel's height so that the table keeps its size.
    const int delta = ListenPanel::PanelHeight;
    if (show && listenPanel->isHidden()) {
        resizeKeepingClientArea(delta);
        listenPanel->show();
    } else if (!show && !listenPanel->isHidden()) {
        listenPanel->hide();
        resizeKeepingClientArea(-delta);
    }
}

void TfrmMain::applyQuickPanel(bool autoResolve, bool showListens)
{
    const QSignalBlocker a(chkAutoResolve);
    const QSignalBlocker b(chkShowListen);
    chkAutoResolve->setChecked(autoResolve);
    chkShowListen->setChecked(showListens);
}

void TfrmMain::applyGridLines(bool on)
{
    lv->setShowGrid(on);
}

void TfrmMain::applyRefreshTimer(int intervalMs, bool enabled)
{
    refresher->setInterval(intervalMs);
    setRefresherEnabled(enabled);
}

int TfrmMain::timeColumnWidth() const
{
    // 116 pixels hold a date and time in the small fonts of old; with the
    // desktop's font and date format the column widens rather than cut the
    // time off.
    const QDateTime widest(QDate(2000, 12, 28), QTime(20, 58, 58));
    const int text = lv->fontMetrics().horizontalAdvance(dateTimeText(widest));
    return std::max(116, text + 2 * lv->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8);
}

void TfrmMain::applyColumnWidths(bool moreColumns)
{
    QHeaderView *header = lv->horizontalHeader();
    lv->setColumnWidth(ConnectionTableModel::ColNumber, 32);
    for (int c = ConnectionTableModel::ColRemoteAddr; c <= ConnectionTableModel::ColStatus; ++c)
        lv->setColumnWidth(c, header->sectionSizeHint(c));
    if (moreColumns) {
        lv->setColumnWidth(ConnectionTableModel::ColTime, timeColumnWidth());
        lv->setColumnWidth(ConnectionTableModel::ColRecognized,
                           header->sectionSizeHint(ConnectionTableModel::ColRecognized));
    } else {
        lv->setColumnWidth(ConnectionTableModel::ColTime, 0);
        lv->setColumnWidth(ConnectionTableModel::ColRecognized, 0);
    }
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
    lv->verticalScrollBar()->setStyleSheet(s.xFlatScroll ? kFlatScrollBars : QString());
    lv->horizontalScrollBar()->setStyleSheet(s.xFlatScroll ? kFlatScrollBars : QString());
    lv->horizontalHeader()->setStyleSheet(s.xFlatHeader ? kFlatHeader : QString());
    m_delegate->setHotTrack(s.xHotTrack);
    if (filterBar->isHidden() == s.xFilterBar) {
        filterBar->setVisible(s.xFilterBar);
        if (!s.xFilterBar)
            filterBar->clear();
    }
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
        restorePlacement(PlacementStore().load());
        setColumnWidths(ColumnWidthStore().load(ConnectionTableModel::ColumnCount));
    }
    QMainWindow::showEvent(event);
}

void TfrmMain::setRefreshEnabled(bool on)
{
    tb1->setEnabled(on);
    mnuRefreshConnections->setEnabled(on);
}

void TfrmMain::setInfoEnabled(bool on)
{
    tb2->setEnabled(on && hasCommandHandler(MainCommand::ConnectionInfo));
}

bool TfrmMain::hasSelectedRow() const
{
    return lv->selectionModel()->hasSelection();
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
    prog->setValue(percent);
}

void TfrmMain::setRefresherEnabled(bool on)
{
    if (on)
        refresher->start();
    else
        refresher->stop();
}

int TfrmMain::columnWidth(int column) const
{
    return lv->columnWidth(column);
}

void TfrmMain::setColumnWidth(int column, int width)
{
    lv->setColumnWidth(column, width);
}

void TfrmMain::fitColumn(int column)
{
    lv->resizeColumnToContents(column);
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
    // A waiting alert keeps its hint until the user has seen it.
    if (!m_alertWaiting)
        tray->setToolTip(text);
}

} // namespace wv
