#include "tools/lookup/ui/TfrmLookup.h"

#include "settings/DebugTrace.h"
#include "tools/icmp/TMSicmp.h"
#include "tools/lookup/LookupPlacement.h"
#include "tools/lookup/TraceHopModel.h"
#include "tools/lookup/WhoisLookup.h"
#include "tools/lookup/WhoisSocket.h"
#include "tools/lookup/WhoisText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

TfrmLookup::TfrmLookup(const Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services), trace(new TMSTrace(this)),
      m_hops(new TraceHopModel(this)), sock(new WhoisLookup(this)), sock2(new WhoisSocket(this)),
      m_clock(new QTimer(this))
{
    setObjectName(QStringLiteral("frmLookup"));
    setWindowTitle(QStringLiteral("Wirevane Advanced Lookup and Tracing Engine"));
    trace->setTimeOut(TraceTimeOut);
    trace->dns().setServers(m_services.dnsServers);
    connect(trace, &TMSicmpTask::OnData, this, &TfrmLookup::traceData);
    connect(trace, &TMSicmpTask::OnFinished, this, &TfrmLookup::traceFinished);
    connect(trace, &TMSicmp::OnError, this, &TfrmLookup::traceError);

    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildTraceSide());
    splitter->addWidget(buildWhoisSide());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);

    auto *bar = new QStatusBar(this);
    bar->setSizeGripEnabled(true);
    const int widths[3] = {275, 275, 50};
    for (int i = 0; i < 3; ++i) {
        stat[i] = new QLabel(bar);
        stat[i]->setFixedWidth(widths[i]);
        stat[i]->setFrameShape(QFrame::Panel);
        stat[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(stat[i]);
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(splitter, 1);
    layout->addWidget(bar);

    connect(m_clock, &QTimer::timeout, this, &TfrmLookup::clockTimer);
    m_clock->start(1000);
    clockTimer();

    resize(900, 460);
    const int saved =
        (m_services.placementFile.isEmpty() ? LookupPlacement()
                                            : LookupPlacement(m_services.placementFile))
            .whoisWidth();
    const int whoisWidth = saved > 0 ? saved : DefaultWhoisWidth;
    splitter->setSizes({qMax(200, width() - whoisWidth), whoisWidth});
}

TfrmLookup::~TfrmLookup() = default;

QWidget *TfrmLookup::buildTraceSide()
{
    auto *side = new QWidget(splitter);
    auto *label = new QLabel(QStringLiteral("A&ddress"), side);
    edtTraceAddr = new QLineEdit(side);
    label->setBuddy(edtTraceAddr);
    btnTrace = new QPushButton(QStringLiteral("&Trace"), side);
    btnTrace->setEnabled(false);
    btnStop = new QPushButton(QStringLiteral("Cance&l"), side);
    btnStop->setEnabled(false);
    lv = new QTableView(side);
    lv->setModel(m_hops);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setShowGrid(true);
    lv->verticalHeader()->hide();
    lv->verticalHeader()->setDefaultSectionSize(lv->fontMetrics().height() + 4);
    lv->horizontalHeader()->setStretchLastSection(true);
    lv->setColumnWidth(TraceHopModel::NumberColumn, 19);
    lv->setColumnWidth(TraceHopModel::HostColumn, 176);
    lv->setColumnWidth(TraceHopModel::IpColumn, 90);
    lv->setContextMenuPolicy(Qt::CustomContextMenu);

    lvPop = new QMenu(lv);
    mnuPerformWhois = lvPop->addAction(QStringLiteral("Perform Whois"));
    mnuPerformWhois->setEnabled(false);
    lvPop->addSeparator();
    for (int i = 0; i < 5; ++i) {
        mnuWhoisItems[i] = lvPop->addAction(QString());
        connect(mnuWhoisItems[i], &QAction::triggered, this, [this, i] { whoisItemClick(i); });
    }
    lvPopPopup();
    connect(lvPop, &QMenu::aboutToShow, this, &TfrmLookup::lvPopPopup);
    connect(lv, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { lvPop->popup(lv->viewport()->mapToGlobal(p)); });

    connect(edtTraceAddr, &QLineEdit::textChanged, this, [this](const QString &text) {
        btnTrace->setEnabled(!text.isEmpty() && edtTraceAddr->isEnabled());
    });
    connect(edtTraceAddr, &QLineEdit::returnPressed, this, &TfrmLookup::btnTraceClick);
    connect(btnTrace, &QPushButton::clicked, this, &TfrmLookup::btnTraceClick);
    connect(btnStop, &QPushButton::clicked, this, &TfrmLookup::btnStopClick);

    auto *top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(edtTraceAddr, 1);
    top->addWidget(btnTrace);
    top->addWidget(btnStop);
    auto *layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(lv, 1);
    return side;
}

void TfrmLookup::setAddress(const QString &address)
{
    edtTraceAddr->setText(address);
    edtQuery->setText(ContainsLetter(address) ? DomainOf(address) : address);
}

void TfrmLookup::btnTraceClick()
{
    const QString address = edtTraceAddr->text();
    if (address.isEmpty() || !btnTrace->isEnabled())
        return;
    edtTraceAddr->setEnabled(false);
    btnTrace->setEnabled(false);
    btnStop->setEnabled(true);
    m_hops->clear();
    stat[0]->setText(QStringLiteral("Tracing [%1] ...").arg(address));
    trace->Start(address);
}

void TfrmLookup::traceData()
{
    const int row = m_hops->addHop(trace->CurrentTTL());
    const QString hop = trace->HopAddress();
    const quint32 time = trace->RoundTripTime();
    stat[0]->setText(QStringLiteral("Resolving [%1] ...").arg(hop));
    // The cached look-up waits in an event loop; the window must outlive it
    // even when the user closes it meanwhile.
    m_inData = true;
    const QString name = m_services.hostName ? m_services.hostName(hop) : hop;
    m_inData = false;
    m_hops->fillHop(row, name, hop, time);
    lv->scrollToBottom();
    if (m_closePending)
        deleteLater();
}

void TfrmLookup::traceControlsIdle()
{
    edtTraceAddr->setEnabled(true);
    btnTrace->setEnabled(!edtTraceAddr->text().isEmpty());
    btnStop->setEnabled(false);
}

void TfrmLookup::traceFinished()
{
    stat[0]->setText(QStringLiteral("Done: %1 hops").arg(trace->CurrentTTL()));
    traceControlsIdle();
    Q_EMIT traceEnded();
}

void TfrmLookup::traceError(QObject *, qint32, const QString &text)
{
    DebugLog(QStringLiteral("trace error: ") + text);
    stat[0]->setText(QStringLiteral("Error: ") + text);
    traceControlsIdle();
    Q_EMIT traceEnded();
}

void TfrmLookup::btnStopClick()
{
    trace->Stop();
    stat[0]->setText(QStringLiteral("Aborted"));
    traceControlsIdle();
}

void TfrmLookup::lvPopPopup()
{
    const QModelIndexList rows = lv->selectionModel()->selectedRows();
    QString host, ip;
    if (!rows.isEmpty()) {
        const TraceHopModel::Hop &h = m_hops->hop(rows.first().row());
        host = h.host;
        ip = h.ip;
    }
    const QList<TraceWhoisItem> items =
        TraceWhoisItems(!rows.isEmpty(), !btnTrace->isEnabled(), host, ip);
    m_whoisQueries.clear();
    for (int i = 0; i < 5; ++i) {
        mnuWhoisItems[i]->setText(items.at(i).caption);
        mnuWhoisItems[i]->setEnabled(items.at(i).enabled);
        m_whoisQueries.append(items.at(i).query);
    }
}

void TfrmLookup::whoisItemClick(int item)
{
    if (item < 0 || item >= m_whoisQueries.size() || !mnuWhoisItems[item]->isEnabled())
        return;
    edtQuery->setText(m_whoisQueries.at(item));
    if (item == 0) {
        cboServer->setFocus();
        cboServer->showPopup();
        return;
    }
    const QString servers[] = {QString(), WhoisRegistry::Internic(), WhoisRegistry::Arin(),
                               WhoisRegistry::Ripe(), WhoisRegistry::Apnic()};
    cboServer->setEditText(servers[item]);
    btnQueryClick();
}

void TfrmLookup::clockTimer()
{
    stat[2]->setText(QDateTime::currentDateTime().toString(QStringLiteral("h:mm AP")));
}

void TfrmLookup::savePlacement()
{
    const QList<int> sizes = splitter->sizes();
    if (sizes.size() == 2 && sizes.at(1) > 0) {
        LookupPlacement placement = m_services.placementFile.isEmpty()
                                        ? LookupPlacement()
                                        : LookupPlacement(m_services.placementFile);
        placement.setWhoisWidth(sizes.at(1));
    }
}

void TfrmLookup::closeEvent(QCloseEvent *event)
{
    savePlacement();
    trace->Stop();
    sock->cancel();
    sock2->close();
    event->accept();
    // A hop's name look-up may still be waiting further up the stack.
    if (m_inData)
        m_closePending = true;
    else
        deleteLater();
}

TfrmLookup *OpenLookup(const QString &address, const TfrmLookup::Services &services)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto *window = new TfrmLookup(services);
    window->setAddress(address);
    window->show();
    QApplication::restoreOverrideCursor();
    return window;
}

} // namespace wv
