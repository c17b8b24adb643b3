#include "mainwin/ui/ColumnFitter.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace wv {

ColumnFitter::ColumnFitter(QTableView *view) : QObject(view), m_view(view)
{
    watchModel();
}

void ColumnFitter::watchModel()
{
    QAbstractItemModel *model = m_view->model();
    if (!model)
        return;
    // Any change to the rows, their order, their texts or the headers.
    const auto touched = [this] { ++m_contents; };
    // Changed texts count only for the columns they are in (the traffic
    // columns change every refresh; the others seldom).
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) {
                if (m_cellChanges.size() <= to.column())
                    m_cellChanges.resize(to.column() + 1);
                for (int c = std::max(0, from.column()); c <= to.column(); ++c)
                    ++m_cellChanges[c];
            });
    connect(model, &QAbstractItemModel::headerDataChanged, this, touched);
    connect(model, &QAbstractItemModel::rowsInserted, this, touched);
    connect(model, &QAbstractItemModel::rowsRemoved, this, touched);
    connect(model, &QAbstractItemModel::rowsMoved, this, touched);
    connect(model, &QAbstractItemModel::columnsInserted, this, touched);
    connect(model, &QAbstractItemModel::columnsRemoved, this, touched);
    connect(model, &QAbstractItemModel::columnsMoved, this, touched);
    connect(model, &QAbstractItemModel::layoutChanged, this, touched);
    connect(model, &QAbstractItemModel::modelReset, this, touched);
}

ColumnFitter::State ColumnFitter::stateOf(int column) const
{
    State s;
    s.contents = m_contents;
    s.cells = column < m_cellChanges.size() ? m_cellChanges[column] : 0;
    s.width = m_view->columnWidth(column);
    // The view measures the rows from the first one in view.
    s.top = m_view->verticalHeader()->visualIndexAt(0);
    s.viewportHeight = m_view->viewport()->height();
    s.visible = m_view->isVisible();
    s.hidden = m_view->isColumnHidden(column);
    s.grid = m_view->showGrid();
    s.style = m_view->style();
    s.font = m_view->font();
    return s;
}

void ColumnFitter::fit(int column)
{
    const auto it = m_fitted.constFind(column);
    if (it != m_fitted.cend() && *it == stateOf(column))
        return;
    m_view->resizeColumnToContents(column);
    ++m_measured;
    m_fitted.insert(column, stateOf(column));
}

} // namespace wv
