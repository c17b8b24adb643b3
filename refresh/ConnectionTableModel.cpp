#include "refresh/ConnectionTableModel.h"

#include "refresh/TrafficText.h"

namespace wv {

ConnectionTableModel::ConnectionTableModel(QObject *parent) : QAbstractTableModel(parent) {}

int ConnectionTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ConnectionTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : (m_detailColumns ? AllColumnCount : ColumnCount);
}

QString ConnectionTableModel::columnCaption(int column)
{
    static const char *const captions[AllColumnCount] = {
        "#",    "Remote Addr", "Local Port", "Remote Port", "Protocol", "Status",
        "Time", "Recognized",  "Process",    "Sent",        "Received", "Rate"};
    if (column < 0 || column >= AllColumnCount)
        return {};
    return QString::fromLatin1(captions[column]);
}

QVariant ConnectionTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ConnectionRecord &r = record(index.row());
    if (role == MarkRole)
        return r.mark;
    if (role != Qt::DisplayRole && role != RawRole)
        return {};
    const bool raw = role == RawRole;
    switch (index.column()) {
    case ColNumber:
        return raw ? QVariant(r.number) : QVariant(QString::number(r.number));
    case ColRemoteAddr:
        return r.hostCell;
    case ColLocalPort:
        return raw ? QVariant(r.LocalPortText.toInt()) : QVariant(r.LocalPortText);
    case ColRemotePort:
        return raw ? QVariant(r.RemotePortText.toInt()) : QVariant(r.RemotePortText);
    case ColProtocol:
        return r.protocol;
    case ColStatus:
        return r.stateName;
    case ColTime:
        return raw ? QVariant(r.appended) : QVariant(r.timeText);
    case ColRecognized:
        return r.recognized;
    case ColProcess:
        return processText(r.pid, r.program);
    case ColSent:
        return raw ? QVariant(r.bytesSent) : QVariant(byteCountText(r.bytesSent));
    case ColReceived:
        return raw ? QVariant(r.bytesReceived) : QVariant(byteCountText(r.bytesReceived));
    case ColRate:
        return raw ? QVariant(r.rate) : QVariant(rateText(r.rate));
    default:
        return {};
    }
}

QVariant ConnectionTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnCaption(section);
}

void ConnectionTableModel::appendRecords(std::vector<ConnectionRecord> &&records)
{
    if (records.empty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + static_cast<int>(records.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(records.begin()),
                  std::make_move_iterator(records.end()));
    ++m_generation;
    endInsertRows();
    records.clear();
}

void ConnectionTableModel::clear()
{
    if (m_rows.empty())
        return;
    beginRemoveRows({}, 0, count() - 1);
    m_rows.clear();
    ++m_generation;
    endRemoveRows();
}

void ConnectionTableModel::setMark(int row, int image, int rule)
{
    if (row < 0 || row >= count())
        return;
    ConnectionRecord &r = m_rows[static_cast<size_t>(row)];
    r.markRule = image < 0 ? -1 : rule;
    if (r.mark == image)
        return;
    r.mark = image;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1), {MarkRole});
}

void ConnectionTableModel::setDetailColumns(bool on)
{
    if (on == m_detailColumns)
        return;
    if (on) {
        beginInsertColumns({}, ColumnCount, AllColumnCount - 1);
        m_detailColumns = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, ColumnCount, AllColumnCount - 1);
        m_detailColumns = false;
        endRemoveColumns();
    }
}

void ConnectionTableModel::setTraffic(int row, const SnapshotRow &snapshot, qint64 nowMs)
{
    if (row < 0 || row >= count())
        return;
    if (takeTraffic(m_rows[static_cast<size_t>(row)], snapshot, nowMs) && m_detailColumns)
        Q_EMIT dataChanged(index(row, ColProcess), index(row, ColRate), {Qt::DisplayRole, RawRole});
}

QStringList ConnectionTableModel::ConnectionKeys() const
{
    QStringList keys;
    keys.reserve(count());
    for (const ConnectionRecord &r : m_rows)
        keys.append(r.key);
    return keys;
}

} // namespace wv
