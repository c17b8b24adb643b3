#include "ui/TfrmMain.h"

#include "monitor/refresh/ConnectionTableModel.h"
#include "monitor/refresh/ListenPortsModel.h"
#include "monitor/refresh/EngineSnapshotSource.h"
#include "monitor/refresh/RefreshCycle.h"
#include "monitor/refresh/ui/ListenPanel.h"
#include "settings/DebugTrace.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

namespace {

const int kInitialColumnWidths[ConnectionTableModel::ColumnCount] = {30, 74, 60, 71,
                                                                     51, 42, 35, 186};

QToolButton *commandButton(const QString &text, const QString &hint, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TfrmMain::TfrmMain(SettingsStore &settings, const Services &services, QWidget *parent)
    : QMainWindow(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Wirevane 3.0"));
    setMinimumSize(461, 180);

    m_table = new ConnectionTableModel(this);
    m_listen = new ListenPortsModel(this);

    // Command toolbar, left to right.
    Toolbar971 = addToolBar(QStringLiteral("Command Toolbar"));
    Toolbar971->setObjectName(QStringLiteral("Toolbar971"));
    Toolbar971->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    Toolbar971->setFloatable(false);
    tb2 = commandButton(QStringLiteral("&Info"), QStringLiteral("Connection Information"), this);
    tb2->setObjectName(QStringLiteral("tb2"));
    tb2->setEnabled(false);
    tb1 = commandButton(QStringLiteral("&Refresh"),
                        QStringLiteral("Refresh your current connections"), this);
    tb1->setObjectName(QStringLiteral("tb1"));
    Toolbar971->addWidget(tb2);
    Toolbar971->addWidget(tb1);
    Toolbar971->addSeparator();
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    chkAutoResolve = new QCheckBox(QStringLiteral("&AutoResolve"), Panel1);
    chkAutoResolve->setToolTip(QStringLiteral("Toggle automatic hostname lookup"));
    chkShowListen = new QCheckBox(QStringLiteral("&Show open ports"), Panel1);
    chkShowListen->setToolTip(QStringLiteral("Toggle Listening ports"));
    auto *quick = new QVBoxLayout(Panel1);
    quick->setContentsMargins(4, 0, 4, 0);
    quick->setSpacing(0);
    quick->addWidget(chkAutoResolve);
    quick->addWidget(chkShowListen);
    Toolbar971->addWidget(Panel1);

    // The table and the listening-ports panel under it.
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(5, 2, 5, 2);
    column->setSpacing(0);
    lv = new QTableView(central);
    lv->setObjectName(QStringLiteral("lv"));
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_table);
    m_sorted->setSortRole(ConnectionTableModel::RawRole);
    lv->setModel(m_sorted);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setShowGrid(false);
    lv->setWordWrap(false);
    lv->verticalHeader()->hide();
    lv->verticalHeader()->setDefaultSectionSize(lv->fontMetrics().height() + 4);
    lv->horizontalHeader()->setHighlightSections(false);
    lv->horizontalHeader()->setMinimumSectionSize(0);
    for (int c = 0; c < ConnectionTableModel::ColumnCount; ++c)
        lv->setColumnWidth(c, kInitialColumnWidths[c]);
    column->addWidget(lv, 1);
    listenPanel = new ListenPanel(*m_listen, services.portInfo, central);
    listenPanel->hide();
    column->addWidget(listenPanel);
    setCentralWidget(central);

    // Status bar: panel 0 and the gauge.
    statusPanel0 = new QLabel(this);
    statusPanel0->setObjectName(QStringLiteral("statusPanel0"));
    statusBar()->addWidget(statusPanel0, 1);
    prog = new QProgressBar(this);
    prog->setObjectName(QStringLiteral("prog"));
    prog->setFixedWidth(100);
    prog->setRange(0, 100);
    prog->setValue(0);
    prog->setTextVisible(false);
    statusBar()->addPermanentWidget(prog);

    refresher = new QTimer(this);
    refresher->setObjectName(QStringLiteral("refresher"));
    refresher->setInterval(5000);
    tray = new QSystemTrayIcon(this);

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

    connect(tb1, &QToolButton::clicked, this, &TfrmMain::tb1Click);
    connect(tb2, &QToolButton::clicked, this, &TfrmMain::tb2Click);
    connect(refresher, &QTimer::timeout, this, &TfrmMain::refresherTimer);
    connect(chkAutoResolve, &QCheckBox::toggled, this, &TfrmMain::chkAutoResolveClick);
    connect(chkShowListen, &QCheckBox::toggled, this, &TfrmMain::chkShowListenClick);
    connect(listenPanel, &ListenPanel::closeRequested, this, &TfrmMain::tbListenCloseClick);
    connect(lv->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvSelectionChanged);

    resize(InitialWidth,
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

void TfrmMain::setErrorReporter(std::function<void(const QString &)> reporter)
{
    m_errorReporter = std::move(reporter);
}

void TfrmMain::reportError(const QString &message)
{
    DebugLog(QStringLiteral("*** Exception! ***"));
    if (m_errorReporter) {
        m_errorReporter(message);
        return;
    }
    QMessageBox::critical(this, QStringLiteral("Error"), message);
}

int TfrmMain::selectedRow() const
{
    const QModelIndexList rows = lv->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return m_sorted->mapToSource(rows.first()).row();
}

QString TfrmMain::statusText() const
{
    return statusPanel0->text();
}

void TfrmMain::SetStatusText(const QString &text)
{
    statusPanel0->setText(text);
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
    const int row = selectedRow();
    if (row < 0) {
        DebugLog(QStringLiteral("Connection info: no connection selected!"));
        return;
    }
    Q_EMIT connectionInfoRequested(row);
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
        tb2->setEnabled(hasSelectedRow());
}

void TfrmMain::applyListeningPanel(bool show)
{
    // The window grows by the panel's height so that the table keeps its size.
    if (show && listenPanel->isHidden()) {
        resize(width(), height() + ListenPanel::PanelHeight);
        listenPanel->show();
    } else if (!show && !listenPanel->isHidden()) {
        listenPanel->hide();
        resize(width(), height() - ListenPanel::PanelHeight);
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

void TfrmMain::applyColumnWidths(bool moreColumns)
{
    QHeaderView *header = lv->horizontalHeader();
    lv->setColumnWidth(ConnectionTableModel::ColNumber, 32);
    for (int c = ConnectionTableModel::ColRemoteAddr; c <= ConnectionTableModel::ColStatus; ++c)
        lv->setColumnWidth(c, header->sectionSizeHint(c));
    if (moreColumns) {
        lv->setColumnWidth(ConnectionTableModel::ColTime, 116);
        lv->setColumnWidth(ConnectionTableModel::ColRecognized,
                           header->sectionSizeHint(ConnectionTableModel::ColRecognized));
    } else {
        lv->setColumnWidth(ConnectionTableModel::ColTime, 0);
        lv->setColumnWidth(ConnectionTableModel::ColRecognized, 0);
    }
}

void TfrmMain::applyExtras(const Settings &s)
{
    m_listen->setColorCode(s.colorCode);
}

void TfrmMain::setRefreshEnabled(bool on)
{
    tb1->setEnabled(on);
}

void TfrmMain::setInfoEnabled(bool on)
{
    tb2->setEnabled(on);
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

void TfrmMain::setTrayHint(const QString &text)
{
    tray->setToolTip(text);
}

} // namespace wv
