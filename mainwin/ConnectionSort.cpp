#include "mainwin/ConnectionSort.h"

#include "refresh/ConnectionTableModel.h"

namespace wv {

SortKind sortKindOf(int column)
{
    switch (column) {
    case ConnectionTableModel::ColNumber:
    case ConnectionTableModel::ColLocalPort:
    case ConnectionTableModel::ColRemotePort:
    case ConnectionTableModel::ColSent:
    case ConnectionTableModel::ColReceived:
    case ConnectionTableModel::ColRate:
        return SortKind::Numeric;
    case ConnectionTableModel::ColRemoteAddr:
    case ConnectionTableModel::ColProtocol:
    case ConnectionTableModel::ColStatus:
    case ConnectionTableModel::ColProcess:
        return SortKind::Alphabetic;
    default:
        return SortKind::None;
    }
}

ColumnSortFlag::Click ColumnSortFlag::click(int column)
{
    Click c;
    c.column = column;
    c.sorts = sortKindOf(column) != SortKind::None;
    c.order = m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_ascending = !m_ascending;
    return c;
}

ConnectionSortProxy::ConnectionSortProxy(QObject *parent) : QSortFilterProxyModel(parent)
{
    setSortRole(ConnectionTableModel::RawRole);
    setFilterKeyColumn(-1);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

bool ConnectionSortProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QVariant a = left.data(ConnectionTableModel::RawRole);
    const QVariant b = right.data(ConnectionTableModel::RawRole);
    if (sortKindOf(left.column()) == SortKind::Numeric)
        return a.toLongLong() < b.toLongLong();
    return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
}

} // namespace wv
