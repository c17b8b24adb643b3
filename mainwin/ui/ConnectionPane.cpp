#include "mainwin/ui/ConnectionPane.h"

#include "mainwin/ColumnWidthStore.h"
#include "mainwin/ConnectionSort.h"
#include "mainwin/ui/ColumnFitter.h"
#include "mainwin/ui/TableDelegate.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/DisplayTime.h"
#include "refresh/ui/ListenPanel.h"
#include "settings/Settings.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
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

ConnectionPane::ConnectionPane(ConnectionTableModel &table, ListenPortsModel &listen,
                               PortInfoOpener *portInfo, QWidget *parent)
    : QWidget(parent), m_table(table)
{
    setObjectName(QStringLiteral("clientArea"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(5, 2, 5, 2);
    column->setSpacing(0);

    filterBar = new QLineEdit(this);
    filterBar->setObjectName(QStringLiteral("filterBar"));
    filterBar->setPlaceholderText(QStringLiteral("Show only connections containing..."));
    filterBar->setClearButtonEnabled(true);
    filterBar->setContentsMargins(0, 0, 0, 3);
    filterBar->hide();
    column->addWidget(filterBar);

    lv = new QTableView(this);
    lv->setObjectName(QStringLiteral("lv"));
    m_sorted = new ConnectionSortProxy(this);
    m_sorted->setSourceModel(&m_table);
    lv->setModel(m_sorted);
    m_delegate = new TableDelegate(lv);
    lv->setItemDelegate(m_delegate);
    m_fitter = new ColumnFitter(lv);
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

    listenPanel = new ListenPanel(listen, portInfo, this);
    listenPanel->hide();
    column->addWidget(listenPanel);

    connect(filterBar, &QLineEdit::textChanged, m_sorted,
            &ConnectionSortProxy::setFilterFixedString);
}

int ConnectionPane::selectedRow() const
{
    const QModelIndexList rows = lv->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return m_sorted->mapToSource(rows.first()).row();
}

bool ConnectionPane::hasSelectedRow() const
{
    return lv->selectionModel()->hasSelection();
}

void ConnectionPane::sortByHeaderClick(ColumnSortFlag &flag, int column)
{
    const ColumnSortFlag::Click c = flag.click(column);
    if (!c.sorts)
        return;
    m_sorted->sort(c.column, c.order);
    lv->horizontalHeader()->setSortIndicatorShown(true);
    lv->horizontalHeader()->setSortIndicator(c.column, c.order);
}

QVector<int> ConnectionPane::columnWidths() const
{
    QVector<int> widths;
    for (int c = 0; c < ConnectionTableModel::ColumnCount; ++c)
        widths.append(lv->columnWidth(c));
    return widths;
}

void ConnectionPane::setColumnWidths(const QVector<int> &widths)
{
    for (int c = 0; c < widths.size() && c < ConnectionTableModel::ColumnCount; ++c) {
        if (widths[c] != ColumnWidthStore::Missing)
            lv->setColumnWidth(c, widths[c]);
    }
}

int ConnectionPane::timeColumnWidth() const
{
    // 116 pixels hold a date and time in the small fonts of old; with the
    // desktop's font and date format the column widens rather than cut the
    // time off.
    const QDateTime widest(QDate(2000, 12, 28), QTime(20, 58, 58));
    const int text = lv->fontMetrics().horizontalAdvance(dateTimeText(widest));
    return std::max(116, text + 2 * lv->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8);
}

void ConnectionPane::applyColumnWidths(bool moreColumns)
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

void ConnectionPane::applyGridLines(bool on)
{
    lv->setShowGrid(on);
}

void ConnectionPane::applyLook(const Settings &s)
{
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

void ConnectionPane::fitColumn(int column)
{
    m_fitter->fit(column);
}

} // namespace wv
