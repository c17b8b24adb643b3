#include "tools/lookup/TraceHopModel.h"

namespace wv {

TraceHopModel::TraceHopModel(QObject *parent) : QAbstractTableModel(parent) {}

int TraceHopModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hops.size());
}

int TraceHopModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TraceHopModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Hop &h = m_hops.at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NumberColumn:
            return QString::number(h.number);
        case HostColumn:
            return h.host;
        case IpColumn:
            return h.ip;
        case TimeColumn:
            return h.filled ? QString::number(h.time) : QString();
        }
    } else if (role == RawRole) {
        switch (index.column()) {
        case NumberColumn:
            return h.number;
        case HostColumn:
            return h.host;
        case IpColumn:
            return h.ip;
        case TimeColumn:
            return h.time;
        }
    }
    return {};
}

QVariant TraceHopModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const names[] = {"#", "Host", "IP", "Time"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

int TraceHopModel::addHop(int number)
{
    const int row = int(m_hops.size());
    beginInsertRows({}, row, row);
    m_hops.append({number, {}, {}, 0, false});
    endInsertRows();
    return row;
}

void TraceHopModel::fillHop(int row, const QString &host, const QString &ip, quint32 time)
{
    if (row < 0 || row >= m_hops.size())
        return;
    Hop &h = m_hops[row];
    h.host = host;
    h.ip = ip;
    h.time = time;
    h.filled = true;
    Q_EMIT dataChanged(index(row, HostColumn), index(row, TimeColumn));
}

void TraceHopModel::clear()
{
    if (m_hops.isEmpty())
        return;
    beginResetModel();
    m_hops.clear();
    endResetModel();
}

} // namespace wv
