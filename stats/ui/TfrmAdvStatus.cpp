#include "stats/ui/TfrmAdvStatus.h"

#include "monitor/ConnectionListFile.h"
#include "monitor/ListExporter.h"
#include "settings/DebugTrace.h"
#include "settings/Settings.h"
#include "stats/advstat/AdapterStatistics.h"
#include "stats/advstat/NetworkManagerSource.h"
#include "stats/advstat/StatsListModel.h"
#include "stats/ui/TLightsPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace wv {

namespace {

// A menu caption shows the text as it is: '&' would otherwise mark a key.
QString menuText(const QString &text)
{
    QString t = text;
    return t.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

TfrmAdvStatus::TfrmAdvStatus(const Settings &settings, const Sources &sources, QWidget *parent)
    : QDialog(parent), m_hasRAS(settings.hasRAS), m_sources(sources)
{
    setObjectName(QStringLiteral("frmAdvStatus"));
    setWindowTitle(QStringLiteral("Advanced Network Statistics"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    DebugLog(m_hasRAS ? QStringLiteral("HasRAS = true, user has modem")
                      : QStringLiteral("HasRAS = false, user has no modem"));
    if (m_hasRAS) {
        DebugLog(QStringLiteral("Creating TDialUp"));
        if (!m_sources.dialUp)
            m_sources.dialUp = std::make_shared<NetworkManagerSource>();
    }

    pc = new QTabWidget(this);
    pc->setObjectName(QStringLiteral("pc"));
    pc->addTab(buildConnectionPage(), statsPageCaption(StatsPage::Connection));
    const QList<int> counterWidths = {19, 230, 116};
    icmpLv = makeList(StatsPage::Icmp, counterWidths);
    ipLv = makeList(StatsPage::Ip, counterWidths);
    tcpLv = makeList(StatsPage::Tcp, counterWidths);
    udpLv = makeList(StatsPage::Udp, counterWidths);
    for (StatsPage p : {StatsPage::Icmp, StatsPage::Ip, StatsPage::Tcp, StatsPage::Udp})
        pc->addTab(list(p), statsPageCaption(p));

    butOK = new QPushButton(QStringLiteral("&OK"), this);
    butCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    butSave = new QPushButton(QStringLiteral("&Save fields to file..."), this);
    butOK->setDefault(true);
    connect(butOK, &QPushButton::clicked, this, &QDialog::close);
    connect(butCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(butSave, &QPushButton::clicked, this, &TfrmAdvStatus::butSaveClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(butSave);
    buttons->addStretch();
    buttons->addWidget(butOK);
    buttons->addWidget(butCancel);
    lblHost = new QLabel(this);
    lblHost->setObjectName(QStringLiteral("lblHost"));
    lblHost->setWordWrap(true);
    lblHost->hide();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHost);
    layout->addWidget(pc);
    layout->addLayout(buttons);

    itemPopup = new QMenu(this);
    itemPopup->setObjectName(QStringLiteral("itemPopup"));
    QAction *title = itemPopup->addAction(QStringLiteral("Copy to Clipboard"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    itemPopup->addSeparator();
    miName = itemPopup->addAction(QString());
    miVal = itemPopup->addAction(QString());
    for (QAction *a : {miName, miVal}) {
        connect(a, &QAction::triggered, this,
                [a] { QGuiApplication::clipboard()->setText(a->data().toString()); });
    }

    saveD = new QFileDialog(this);
    saveD->setAcceptMode(QFileDialog::AcceptSave);
    saveD->setNameFilters(ListExporter::nameFilters());

    modemTimer1 = new QTimer(this);
    modemTimer1->setObjectName(QStringLiteral("modemTimer1"));
    modemTimer1->setInterval(100);
    connect(modemTimer1, &QTimer::timeout, this, &TfrmAdvStatus::modemTimer1Timer);
    modemTimer1->start();

    connect(pc, &QTabWidget::currentChanged, this, &TfrmAdvStatus::pcChange);
    if (m_sources.pages) {
        connect(m_sources.pages, &CounterPages::pageRead, this, &TfrmAdvStatus::remotePageRead);
        connect(m_sources.pages, &CounterPages::hostChanged, this, &TfrmAdvStatus::hostChanged);
        hostChanged();
    }

    DebugLog(QStringLiteral("featching net device"));
    fillAdapterChoices();
    showNetDevice();

    // A fixed dialog border: the window keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmAdvStatus::~TfrmAdvStatus() = default;

QWidget *TfrmAdvStatus::buildConnectionPage()
{
    auto *page = new QWidget;
    mainLv = makeList(StatsPage::Connection, {0, 180, 180});

    auto *transmission = new QGroupBox(QStringLiteral("Transmission"), page);
    auto *grid = new QGridLayout(transmission);
    lblRcvd = new QLabel(transmission);
    lblSent = new QLabel(transmission);
    lblFrames = new QLabel(transmission);
    lblRcvd->setObjectName(QStringLiteral("lblRcvd"));
    lblSent->setObjectName(QStringLiteral("lblSent"));
    lblFrames->setObjectName(QStringLiteral("lblFrames"));
    LED1 = new TLed(transmission);
    LED2 = new TLed(transmission);
    LED1->setObjectName(QStringLiteral("LED1"));
    LED2->setObjectName(QStringLiteral("LED2"));
    LED1->setFixedSize(13, 13);
    LED2->setFixedSize(13, 13);
    const QString captions[3] = {QStringLiteral("Bytes received:"), QStringLiteral("Bytes sent:"),
                                 QStringLiteral("Frames received:")};
    QLabel *values[3] = {lblRcvd, lblSent, lblFrames};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(captions[r], transmission), r, 0);
        values[r]->setMinimumWidth(150);
        values[r]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(values[r], r, 1);
    }
    grid->addWidget(LED1, 0, 2);
    grid->addWidget(LED2, 1, 2);

    auto *device = new QGroupBox(QStringLiteral("Network device"), page);
    auto *deviceLayout = new QVBoxLayout(device);
    lblNetDevice = new QLabel(device);
    lblNetDevice->setObjectName(QStringLiteral("lblNetDevice"));
    lblNetDevice->setToolTip(QStringLiteral("Click to copy to clipboard"));
    lblNetDevice->setCursor(Qt::PointingHandCursor);
    lblNetDevice->installEventFilter(this);
    cbAdapter = new QComboBox(device);
    cbAdapter->setObjectName(QStringLiteral("cbAdapter"));
    cbAdapter->setToolTip(QStringLiteral("The interface whose traffic is counted"));
    deviceLayout->addWidget(lblNetDevice);
    deviceLayout->addWidget(cbAdapter);

    auto *side = new QVBoxLayout;
    side->addWidget(transmission);
    side->addWidget(device);
    side->addStretch();
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(mainLv, 1);
    layout->addLayout(side);
    return page;
}

int TfrmAdvStatus::numberColumnWidth(const QTableView &list)
{
    // The text and the cell's margins on both sides.
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return list.fontMetrics().horizontalAdvance(QStringLiteral("88")) + 2 * margin + 2;
}

QTableView *TfrmAdvStatus::makeList(StatsPage page, const QList<int> &widths)
{
    auto *model = new StatsListModel(
        page == StatsPage::Connection ? connectionColumns() : counterColumns(), this);
    auto *lv = new QTableView;
    static const char *const names[StatsPageCount] = {"mainLv", "icmpLv", "ipLv", "tcpLv", "udpLv"};
    lv->setObjectName(QLatin1String(names[int(page)]));
    lv->setModel(model);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setShowGrid(true);
    lv->setSortingEnabled(false);
    lv->setWordWrap(false);
    lv->verticalHeader()->hide();
    lv->verticalHeader()->setDefaultSectionSize(lv->fontMetrics().height() + 4);
    lv->horizontalHeader()->setHighlightSections(false);
    lv->horizontalHeader()->setSectionsClickable(false);
    lv->horizontalHeader()->setStretchLastSection(false);
    lv->horizontalHeader()->setMinimumSectionSize(0);
    int total = 0;
    for (int c = 0; c < widths.size(); ++c) {
        int width = widths[c];
        // 19 pixels hold the two-digit numbers of the counter pages only in
        // a narrow font; below what they need, "10" would show as "1...".
        if (c == 0 && page != StatsPage::Connection)
            width = std::max(width, numberColumnWidth(*lv));
        lv->setColumnWidth(c, width);
        total += width;
    }
    if (page == StatsPage::Connection)
        lv->setColumnHidden(0, true);
    // Wide enough for the columns and a vertical scroll bar.
    lv->setMinimumSize(total + 24, 300);
    lv->viewport()->installEventFilter(this);
    m_models[size_t(page)] = model;
    m_lists[size_t(page)] = lv;
    return lv;
}

void TfrmAdvStatus::setErrorReporter(std::function<void(const QString &)> reporter)
{
    m_errorReporter = std::move(reporter);
}

void TfrmAdvStatus::reportError(const QString &message)
{
    if (m_errorReporter)
        m_errorReporter(message);
    else
        QMessageBox::critical(this, QStringLiteral("Error"), message);
}

void TfrmAdvStatus::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        pcChange();
}

void TfrmAdvStatus::pcChange()
{
    const auto page = StatsPage(pc->currentIndex());
    if (page == StatsPage::Connection)
        fillConnectionPage();
    else
        fillCounterPage(page);
}

void TfrmAdvStatus::fillCounterPage(StatsPage page)
{
    if (m_sources.pages && m_sources.pages->isRemote()) {
        // Read on a worker; the page keeps what it shows until the answer.
        m_sources.pages->read(page);
        lblHost->setText(m_hostStatus + QStringLiteral("  -  reading..."));
        return;
    }
    TCounterList *counters = m_counters.listFor(page);
    if (!counters)
        return;
    const CounterRows rows = readCounterRows(*counters);
    model(page).setRows(rows.rows);
    if (rows.error) {
        DebugLog(QStringLiteral("protocol statistics: ") + *rows.error);
        reportError(QLatin1String(ProtocolStatsError));
    }
}

void TfrmAdvStatus::hostChanged()
{
    const bool remote = m_sources.pages->isRemote();
    const QString host = m_sources.pages->hostName();
    setWindowTitle(QStringLiteral("Advanced Network Statistics") +
                   (remote ? QStringLiteral(" - ") + host : QString()));
    // The figures shown are the other host's: none stand until read anew.
    for (StatsPage p : {StatsPage::Icmp, StatsPage::Ip, StatsPage::Tcp, StatsPage::Udp})
        model(p).setRows({});
    lblHost->setVisible(remote);
    m_hostStatus = QStringLiteral("The counter pages show the counters of %1").arg(host);
    lblHost->setText(m_hostStatus);
    if (isVisible())
        pcChange();
}

void TfrmAdvStatus::remotePageRead(const CounterPages::Result &result)
{
    model(result.page).setRows(result.rows);
    if (int(result.page) != pc->currentIndex())
        return;
    const QString host = m_sources.pages->hostName();
    const QString time = QLocale().toString(result.readTime.time(), QLocale::LongFormat);
    if (result.current)
        lblHost->setText(QStringLiteral("Counters of %1, read at %2").arg(host, time));
    else if (result.readTime.isValid())
        lblHost->setText(
            QStringLiteral("%1  -  the figures of %2 are not current").arg(result.failure, time));
    else
        lblHost->setText(QStringLiteral("%1  -  no figures read yet").arg(result.failure));
}

void TfrmAdvStatus::fillConnectionPage()
{
    if (!m_hasRAS || !m_sources.dialUp)
        return;
    // With several connections each replaces the one before: the list shows
    // the last one enumerated.
    for (const DialUpConnection &c : m_sources.dialUp->activeConnections())
        DialUpActiveConnection(c);
}

void TfrmAdvStatus::DialUpActiveConnection(const DialUpConnection &connection)
{
    DebugLog(QStringLiteral("Getting active connection"));
    QString rate;
    const QString adapter = m_sources.adapter ? m_sources.adapter->current() : QString();
    if (const auto stats = readAdapterStatistics(adapter, m_sources.sysClassNet);
        stats && stats->connectSpeed)
        rate = QString::number(*stats->connectSpeed);
    model(StatsPage::Connection).setRows(connectionRows(connection, rate));
    mainLv->setColumnWidth(0, 0);
    mainLv->setColumnHidden(0, true);
    mainLv->resizeColumnToContents(1);
    mainLv->resizeColumnToContents(2);
}

void TfrmAdvStatus::modemTimer1Timer()
{
    const QString adapter = m_sources.adapter ? m_sources.adapter->current() : QString();
    if (!m_transmission.tick(readAdapterStatistics(adapter, m_sources.sysClassNet)))
        return; // no figures: labels and lights keep their state
    const Transmission::View &v = m_transmission.view();
    lblRcvd->setText(v.received);
    lblSent->setText(v.sent);
    lblFrames->setText(v.frames);
    LED1->setLit(v.receivedLit);
    LED2->setLit(v.sentLit);
}

void TfrmAdvStatus::lvMouseUp(QTableView *lv, int row, const QPoint &globalPos, bool popup)
{
    const auto *m = qobject_cast<const StatsListModel *>(lv->model());
    if (!m || row < 0 || row >= m->rowCount())
        return;
    const QString name = m->cell(row, 1);
    const QString value = m->cell(row, 2);
    miName->setText(menuText(name));
    miName->setData(name);
    miVal->setText(menuText(value));
    miVal->setData(value);
    if (popup)
        itemPopup->popup(globalPos);
}

void TfrmAdvStatus::lblNetDeviceClick()
{
    QGuiApplication::clipboard()->setText(lblNetDevice->text());
}

bool TfrmAdvStatus::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (watched == lblNetDevice && me->button() == Qt::LeftButton) {
            lblNetDeviceClick();
            return true;
        }
        if (me->button() == Qt::RightButton) {
            for (QTableView *lv : m_lists) {
                if (lv && watched == lv->viewport()) {
                    const QModelIndex index = lv->indexAt(me->position().toPoint());
                    if (index.isValid()) {
                        lv->selectRow(index.row());
                        lvMouseUp(lv, index.row(), me->globalPosition().toPoint());
                    }
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAdvStatus::butSaveClick()
{
    const QString caption = pc->tabText(pc->currentIndex());
    saveD->setWindowTitle(QStringLiteral("Save ") + caption + QStringLiteral(" to file..."));
    QString path;
    int filterIndex = 1;
    if (chooseFile) {
        if (!chooseFile(&path, &filterIndex))
            return;
    } else {
        if (saveD->exec() != QDialog::Accepted || saveD->selectedFiles().isEmpty())
            return;
        const auto format = ListExporter::formatForFilter(saveD->selectedNameFilter())
                                .value_or(ListExporter::Format::Text);
        path = saveD->selectedFiles().first();
        filterIndex = int(format);
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + ListExporter::extension(format);
        saveD->selectFile(QString());
    }
    QString error;
    if (!ConnectionListFile::save(model(StatsPage(pc->currentIndex())), path, filterIndex, &error))
        reportError(error);
}

void TfrmAdvStatus::fillAdapterChoices()
{
    if (!m_sources.adapter) {
        cbAdapter->setEnabled(false);
        return;
    }
    const QString named = m_sources.adapter->named();
    QSignalBlocker block(cbAdapter);
    cbAdapter->clear();
    cbAdapter->addItem(QStringLiteral("Interface of the default route"), QString());
    QStringList names = networkInterfaces(m_sources.sysClassNet);
    if (!named.isEmpty() && !names.contains(named))
        names.append(named); // chosen earlier, absent now (a link that is down)
    for (const QString &n : names)
        cbAdapter->addItem(n, n);
    cbAdapter->setCurrentIndex(std::max(0, cbAdapter->findData(named)));
    connect(cbAdapter, &QComboBox::currentIndexChanged, this, &TfrmAdvStatus::cbAdapterChange,
            Qt::UniqueConnection);
}

void TfrmAdvStatus::cbAdapterChange(int index)
{
    if (!m_sources.adapter || index < 0)
        return;
    m_sources.adapter->setNamed(cbAdapter->itemData(index).toString());
    // The other adapter's totals are new to the lights: start them afresh.
    m_transmission = Transmission();
    showNetDevice();
}

void TfrmAdvStatus::showNetDevice()
{
    const QString adapter = m_sources.adapter ? m_sources.adapter->current() : QString();
    lblNetDevice->setText(adapterDescription(adapter, m_sources.sysClassNet));
}

} // namespace wv
