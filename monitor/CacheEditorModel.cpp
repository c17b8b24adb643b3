#include "monitor/CacheEditorModel.h"

#include "monitor/DnsCache.h"

#include <cmath>

namespace wv {

namespace {

// Row i of n done, as a percentage that ends at exactly 100.
int percentOf(qsizetype i, qsizetype n)
{
    if (n <= 0)
        return 0;
    return int(std::lround(double(i) / double(n) * 100.0));
}

} // namespace

CacheEditorModel::CacheEditorModel(DnsCache &cache, QObject *parent)
    : QAbstractTableModel(parent), m_cache(cache)
{
}

int CacheEditorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CacheEditorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CacheEditorModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &r = m_rows.at(index.row());
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != SortRole)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return role == SortRole ? QVariant(r.number) : QVariant(QString::number(r.number));
    case AddressColumn:
        return r.address;
    case HostColumn:
        return r.host;
    }
    return {};
}

bool CacheEditorModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        index.column() == NumberColumn)
        return false;
    Row &r = m_rows[index.row()];
    (index.column() == AddressColumn ? r.address : r.host) = value.toString();
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, SortRole});
    return true;
}

Qt::ItemFlags CacheEditorModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() != NumberColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant CacheEditorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return QStringLiteral("#");
    case AddressColumn:
        return QStringLiteral("IP");
    case HostColumn:
        return QStringLiteral("Assigned hostname");
    }
    return {};
}

void CacheEditorModel::load(const Progress &progress)
{
    const auto entries = m_cache.entries();
    QVector<Row> rows;
    rows.reserve(entries.size());
    int shown = -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        rows.append({int(i + 1), entries[i].first, entries[i].second});
        const int p = percentOf(i + 1, entries.size());
        if (progress && p != shown)
            progress(shown = p);
    }
    beginResetModel();
    m_rows = std::move(rows);
    m_entryCount = int(entries.size());
    m_created = m_cache.created(QStringLiteral("???"));
    endResetModel();
    if (m_rows.isEmpty())
        addFiveEntries();
}

bool CacheEditorModel::save(const Progress &progress)
{
    QVector<std::pair<QString, QString>> entries;
    int shown = -1;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const QString address = m_rows[i].address.trimmed();
        const QString host = m_rows[i].host.trimmed();
        if (address.isEmpty() || host.isEmpty())
            continue;
        const int p = percentOf(i + 1, m_rows.size());
        if (progress && p != shown)
            progress(shown = p);
        entries.append({address, host});
    }
    const bool ok = m_cache.replaceEntries(entries);
    load(progress);
    return ok;
}

void CacheEditorModel::deleteEntry(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].address.clear();
    m_rows[row].host.clear();
    Q_EMIT dataChanged(index(row, AddressColumn), index(row, HostColumn));
}

int CacheEditorModel::addFiveEntries()
{
    const int last = m_rows.isEmpty() ? 0 : m_rows.constLast().number;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + 4);
    for (int i = 1; i <= 5; ++i)
        m_rows.append({last + i, QString(), QString()});
    endInsertRows();
    return first;
}

} // namespace wv
