#include "monitor/RecognizedNamesModel.h"

#include "monitor/UserPrompt.h"
#include "settings/DebugTrace.h"

namespace wv {

RecognizedNamesModel::RecognizedNamesModel(FriendlyNames &names, QObject *parent)
    : QAbstractTableModel(parent), m_names(names)
{
}

int RecognizedNamesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecognizedNamesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecognizedNamesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &r = m_rows.at(index.row());
    const FriendlyNames::Entry &e = r.entry;
    if (role == Qt::DisplayRole || role == SortRole) {
        switch (index.column()) {
        case NumberColumn:
            return role == SortRole ? QVariant(r.number) : QVariant(QString::number(r.number));
        case HostColumn:
            return e.hostMask;
        case AddressColumn:
            return e.addressMask;
        case NameColumn:
            return e.name;
        }
    }
    return {};
}

QVariant RecognizedNamesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return QStringLiteral("#");
    case HostColumn:
        return QStringLiteral("Hostname mask");
    case AddressColumn:
        return QStringLiteral("IP mask");
    case NameColumn:
        return QStringLiteral("Friendly name");
    }
    return {};
}

void RecognizedNamesModel::RefreshRecognized()
{
    DebugLog(QStringLiteral("RefreshRecognized;"));
    const QVector<FriendlyNames::Entry> entries = m_names.entries();
    QVector<Row> rows;
    rows.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        rows.append({int(i), entries[i]});
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    if (m_rows.isEmpty())
        DebugLog(QStringLiteral("gtsH.count = 0, no friendly names, skipping."));
}

bool RecognizedNamesModel::Delete(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    const FriendlyNames::Entry e = m_rows.at(row).entry;
    const bool ok = m_names.removeEntry(e.hostMask, e.addressMask);
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    return ok;
}

bool RecognizedNamesModel::ClearAll(UserPrompt &prompt)
{
    if (!prompt.askOkCancel(
            QStringLiteral("Confirm"),
            QStringLiteral("Are you sure you want to clear all recognized addresses?")))
        return false;
    const bool ok = m_names.clearAll();
    beginResetModel();
    m_rows.clear();
    endResetModel();
    return ok;
}

} // namespace wv
