#include "stats/ui/Tvb.h"

#include "settings/DebugTrace.h"
#include "stats/dialup/LightsController.h"
#include "stats/ui/TLightsPanel.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTime>
#include <QTimer>
#include <QToolButton>

namespace wv {

namespace {

constexpr int WvnButWidth = 49;
constexpr int ButPanWidth = 104;
constexpr int LedPanWidth = 34;

// Captions turn pure blue while the mouse is over the button.
const char *const kHoverStyle = "QToolButton { color: palette(window-text); }"
                                "QToolButton:hover { color: rgb(0, 0, 255); }";

QToolButton *flatButton(const QString &text, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setStyleSheet(QLatin1String(kHoverStyle));
    return b;
}

} // namespace

Tvb::Tvb(ViewBarTable &table, int &position, ViewBarCommands commands, LightsController *lights_,
         QWidget *parent)
    : TAppBar(parent), lights(lights_), m_table(table), m_nav(table, position),
      m_commands(std::move(commands))
{
    setObjectName(QStringLiteral("vb"));
    setWindowTitle(QStringLiteral("ViewBar"));
    setDockHeight(BarHeight);
    setEdge(DockEdge::Bottom);
    setAlwaysOnTop(true);
    setAutoFillBackground(true);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAutoFillBackground(true);
    QPalette grey = Shape1->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    Shape1->setPalette(grey);
    Shape1->setCursor(Qt::SizeVerCursor);
    Shape1->setToolTip(QStringLiteral("Drag to the other edge of the screen"));
    Shape1->installEventFilter(this);

    wvnbut = flatButton(QStringLiteral("WVN"), this);
    wvnbut->setObjectName(QStringLiteral("wvnbut"));
    QFont bold = wvnbut->font();
    bold.setBold(true);
    wvnbut->setFont(bold);
    connect(wvnbut, &QToolButton::clicked, this, &Tvb::wvnbutClick);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    m_model = new QStandardItemModel(0, 8, this);
    lv = new QTableView(Panel1);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setModel(m_model);
    lv->setFrameShape(QFrame::NoFrame);
    lv->horizontalHeader()->hide();
    lv->verticalHeader()->hide();
    lv->setShowGrid(true);
    lv->setSortingEnabled(false);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setWordWrap(false);
    lv->setFocusPolicy(Qt::NoFocus);
    lv->setContextMenuPolicy(Qt::CustomContextMenu);
    lv->verticalHeader()->setDefaultSectionSize(20);

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::VLine | QFrame::Sunken);

    butPan = new QFrame(Panel1);
    butPan->setObjectName(QStringLiteral("butPan"));
    tbDown = flatButton(QString(), butPan);
    tbDown->setObjectName(QStringLiteral("tbDown"));
    tbDown->setArrowType(Qt::DownArrow);
    tbDown->setToolTip(QStringLiteral("Previous connection"));
    tbUP = flatButton(QString(), butPan);
    tbUP->setObjectName(QStringLiteral("tbUP"));
    tbUP->setArrowType(Qt::UpArrow);
    tbUP->setToolTip(QStringLiteral("Next connection"));
    tbRefresh = flatButton(QStringLiteral("Refresh"), butPan);
    tbRefresh->setObjectName(QStringLiteral("tbRefresh"));
    tbDown->setGeometry(0, 0, 24, 22);
    tbUP->setGeometry(24, 0, 24, 22);
    tbRefresh->setGeometry(48, 0, ButPanWidth - 48, 22);
    connect(tbDown, &QToolButton::clicked, this, &Tvb::tbDownClick);
    connect(tbUP, &QToolButton::clicked, this, &Tvb::tbUPClick);
    connect(tbRefresh, &QToolButton::clicked, this, &Tvb::tbRefreshClick);

    ledPan = new QFrame(Panel1);
    ledPan->setObjectName(QStringLiteral("ledPan"));
    LED2 = new TLed(ledPan);
    LED1 = new TLed(ledPan);
    LED2->setObjectName(QStringLiteral("LED2"));
    LED1->setObjectName(QStringLiteral("LED1"));
    LED2->setGeometry(3, 4, 13, 13);
    LED1->setGeometry(18, 4, 13, 13);

    clock1 = new QLabel(Panel1);
    clock1->setObjectName(QStringLiteral("clock1"));
    clock1->setAlignment(Qt::AlignCenter);
    clock1->installEventFilter(this);
    clockTimer = new QTimer(this);
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, &Tvb::updateClock);
    clockTimer->start();
    updateClock();

    scrollconn = new QTimer(this);
    scrollconn->setObjectName(QStringLiteral("scrollconn"));
    scrollconn->setInterval(5000);
    connect(scrollconn, &QTimer::timeout, this, &Tvb::scrollconnTimer);

    if (lights) {
        lights->setParent(this);
        connect(lights, &LightsController::lightsChanged, this, [this](bool sent, bool received) {
            LED1->setLit(sent);
            LED2->setLit(received);
        });
        lights->setEnabled(true);
    }

    wvnMenu = new QMenu(this);
    wvnMenu->setObjectName(QStringLiteral("wvnMenu"));
    miMainWindow = wvnMenu->addAction(QStringLiteral("Main window"));
    miCloseViewBar = wvnMenu->addAction(QStringLiteral("Close ViewBar"));
    wvnMenu->addSeparator();
    miRefresh = wvnMenu->addAction(QStringLiteral("Refresh"));
    wvnMenu->addSeparator();
    miAutoHide = wvnMenu->addAction(QStringLiteral("AutoHide"));
    miAutoHide->setCheckable(true);
    miScroll = wvnMenu->addAction(QStringLiteral("Scroll connections"));
    miScroll->setCheckable(true);
    miScroll->setChecked(true);
    wvnMenu->addSeparator();
    miExit = wvnMenu->addAction(QStringLiteral("Exit WVN"));
    connect(miMainWindow, &QAction::triggered, this, [this] {
        if (m_commands.showMainWindow)
            m_commands.showMainWindow();
    });
    connect(miCloseViewBar, &QAction::triggered, this, [this] {
        if (m_commands.closeViewBar)
            m_commands.closeViewBar();
    });
    connect(miAutoHide, &QAction::triggered, this, &Tvb::miAutoHideClick);
    connect(miScroll, &QAction::triggered, this, &Tvb::miScrollClick);
    connect(miExit, &QAction::triggered, this, [this] {
        if (m_commands.exitProgram)
            m_commands.exitProgram();
    });

    viewpop = new QMenu(this);
    viewpop->setObjectName(QStringLiteral("viewpop"));
    viewpop->addAction(QStringLiteral("Copy to clipboard"));
    viewpop->addSeparator();
    for (int i = 0; i < 7; ++i) {
        QAction *a = viewpop->addAction(QString());
        connect(a, &QAction::triggered, this,
                [a] { QGuiApplication::clipboard()->setText(a->data().toString()); });
        miFields.append(a);
    }
    viewpop->addSeparator();
    miConnInfo = viewpop->addAction(QStringLiteral("Connection Information..."));
    connect(miConnInfo, &QAction::triggered, this, &Tvb::miConnInfoClick);
    connect(viewpop, &QMenu::aboutToShow, this, &Tvb::viewpopPopup);
    connect(lv, &QTableView::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex index = lv->indexAt(pos);
        if (index.isValid())
            lv->selectRow(index.row());
        viewpop->popup(lv->viewport()->mapToGlobal(pos));
    });

    m_nav.setShowCallback([this](int index, const QStringList &cells) { showRow(index, cells); });
    setMoreColumns(false);
    resize(800, BarHeight);
    LayoutBar();
}

Tvb::~Tvb() = default;

void Tvb::setClockWidth(int width)
{
    m_clockWidth = width;
    clock1->setVisible(width > 0);
    LayoutBar();
}

void Tvb::setScrollInterval(int ms)
{
    scrollconn->setInterval(ms);
}

void Tvb::setScrollEnabled(bool on)
{
    miScroll->setChecked(on);
    if (on)
        scrollconn->start();
    else
        scrollconn->stop();
}

void Tvb::setMoreColumns(bool on)
{
    m_moreColumns = on;
    lv->setColumnHidden(6, !on);
    lv->setColumnHidden(7, !on);
    if (on) {
        lv->setColumnWidth(6, 116);
        lv->resizeColumnToContents(7);
    }
}

void Tvb::LayoutBar()
{
    const int h = height();
    Shape1->setGeometry(1, 1, 6, h - 2);
    wvnbut->setGeometry(9, 2, WvnButWidth, h - 4);
    const ViewBarLayout l =
        layoutViewBar(width(), WvnButWidth, m_clockWidth, ButPanWidth, LedPanWidth);
    const int left = 9 + WvnButWidth + 3;
    Panel1->setGeometry(left, 1, l.panel1Width, h - 2);
    const int inner = Panel1->height() - 4;
    clock1->setGeometry(l.clockLeft, 2, m_clockWidth, inner);
    ledPan->setGeometry(l.ledPanLeft, 2, LedPanWidth, inner);
    butPan->setGeometry(l.butPanLeft, 2, ButPanWidth, inner);
    Bevel1->setGeometry(l.bevelLeft, 2, 2, inner);
    lv->setGeometry(2, 2, std::max(0, l.lvWidth), inner);
}

void Tvb::resizeEvent(QResizeEvent *event)
{
    TAppBar::resizeEvent(event);
    LayoutBar();
}

void Tvb::ShowConnection(int index)
{
    const auto cells = m_nav.showConnection(index);
    showRow(cells ? index : -1, cells.value_or(QStringList()));
}

void Tvb::showRow(int index, const QStringList &cells)
{
    // The connection is shown for a full period. A bar whose scrolling is off
    // keeps its timer stopped.
    if (scrollconn->isActive())
        scrollconn->start();
    m_model->removeRows(0, m_model->rowCount());
    QList<QStandardItem *> items;
    for (int c = 0; c < 8; ++c)
        items.append(new QStandardItem(index >= 0 ? cells.value(c) : QString()));
    m_model->appendRow(items);
    m_shownIndex = index;
    lv->resizeColumnsToContents();
}

QStringList Tvb::shownCells() const
{
    QStringList cells;
    if (m_model->rowCount() == 0)
        return cells;
    for (int c = 0; c < 8; ++c)
        cells.append(m_model->item(0, c)->text());
    return cells;
}

void Tvb::checkRowWidth()
{
    int width = 0;
    for (int c = 0; c < 8; ++c)
        width += lv->isColumnHidden(c) ? 0 : lv->columnWidth(c);
    if (width > lv->width()) {
        lv->setColumnWidth(1, 50);
        lv->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        lv->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

void Tvb::tbUPClick()
{
    if (m_nav.next())
        checkRowWidth();
}

void Tvb::tbDownClick()
{
    if (m_nav.previous())
        checkRowWidth();
}

void Tvb::scrollconnTimer()
{
    if (m_nav.scrollStep())
        checkRowWidth();
}

void Tvb::tbRefreshClick()
{
    if (m_commands.refresh)
        m_commands.refresh();
}

void Tvb::wvnbutClick()
{
    if (Edge() != DockEdge::Bottom)
        wvnMenu->popup(wvnbut->mapToGlobal(QPoint(0, wvnbut->height())));
    else
        wvnMenu->popup(wvnbut->mapToGlobal(QPoint(0, 3)));
}

void Tvb::viewpopPopup()
{
    const std::optional<QStringList> cells =
        m_shownIndex >= 0 ? std::optional<QStringList>(shownCells()) : std::nullopt;
    const QStringList texts = viewRowMenuTexts(cells);
    for (int i = 0; i < 7; ++i) {
        QString shown = texts.value(i);
        miFields[i]->setText(shown.replace(QLatin1Char('&'), QStringLiteral("&&")));
        miFields[i]->setData(cells ? cells->value(i + 1) : QString());
    }
}

void Tvb::miConnInfoClick()
{
    const bool selected = lv->selectionModel()->hasSelection() && m_shownIndex >= 0;
    if (!selected) {
        DebugLog(QStringLiteral("[vb] Connection info: no connection selected!"));
        return;
    }
    DebugLog(QStringLiteral("[vb] showing info on connection ") + QString::number(m_shownIndex));
    if (m_commands.connectionInfo)
        m_commands.connectionInfo(m_shownIndex);
}

void Tvb::clock1DblClick()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QGuiApplication::clipboard()->setText(locale.toString(now.date(), QLocale::ShortFormat) +
                                          QLatin1Char(' ') +
                                          locale.toString(now.time(), QLocale::LongFormat));
}

void Tvb::miAutoHideClick()
{
    if (m_commands.setAutoHide)
        m_commands.setAutoHide(miAutoHide->isChecked());
}

void Tvb::miScrollClick()
{
    if (m_commands.setScroll)
        m_commands.setScroll(miScroll->isChecked());
}

void Tvb::updateClock()
{
    clock1->setText(viewBarClockText(QTime::currentTime()));
}

bool Tvb::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == clock1 && event->type() == QEvent::MouseButtonDblClick) {
        clock1DblClick();
        return true;
    }
    const bool mouse =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease;
    if (watched == Shape1 && mouse) {
        // Only mouse events are cast: the handle also gets enter, leave and
        // paint events.
        auto *me = static_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (me->button() == Qt::LeftButton) {
                m_dragging = true;
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (m_dragging && me->button() == Qt::LeftButton) {
                m_dragging = false;
                setEdge(edgeNearest(screenRect(), me->globalPosition().toPoint()));
                return true;
            }
            break;
        default:
            break;
        }
    }
    return TAppBar::eventFilter(watched, event);
}

} // namespace wv
