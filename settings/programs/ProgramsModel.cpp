#include "settings/programs/ProgramsModel.h"

#include "settings/DebugTrace.h"

namespace wv {

ProgramsModel::ProgramsModel(ProgramsList &programs, QObject *parent)
    : QAbstractTableModel(parent), m_programs(programs)
{
}

void ProgramsModel::RefreshPrograms()
{
    DebugLog(QStringLiteral("RefreshPrograms;"));
    const QVector<ProgramEntry> entries = m_programs.entries();
    beginResetModel();
    m_rows = entries;
    endResetModel();
    if (m_rows.isEmpty())
        DebugLog(QStringLiteral("gts.count = 0, no programs, skipping."));
}

ProgramEntry ProgramsModel::entry(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row] : ProgramEntry{};
}

int ProgramsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ProgramsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProgramsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != RawRole && role != Qt::ToolTipRole)
        return {};
    const ProgramEntry &e = m_rows[index.row()];
    switch (index.column()) {
    case NumberColumn:
        if (role == RawRole)
            return index.row();
        return QString::number(index.row());
    case NameColumn:
        return e.name;
    case ExeColumn:
        return e.path;
    }
    return {};
}

QVariant ProgramsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return QStringLiteral("#");
    case NameColumn:
        return QStringLiteral("Name");
    case ExeColumn:
        return QStringLiteral("EXE");
    }
    return {};
}

} // namespace wv
