#include "rules/RuleListModel.h"

#include "rules/RuleList.h"

namespace wv {

RuleListModel::RuleListModel(QObject *parent) : QAbstractTableModel(parent) {}

void RuleListModel::setRules(TRuleList *rules)
{
    beginResetModel();
    m_rules = rules;
    m_checked.clear();
    m_numbers.clear();
    if (m_rules) {
        for (const auto &r : m_rules->Items()) {
            m_checked.append(r->Enabled != 0);
            m_numbers.append(int(m_numbers.size()));
        }
    }
    endResetModel();
}

TRule *RuleListModel::ruleAt(int row) const
{
    if (!m_rules || row < 0 || row >= m_rules->Count())
        return nullptr;
    return m_rules->Items()[size_t(row)].get();
}

void RuleListModel::ruleAppended()
{
    const int row = int(m_checked.size());
    beginInsertRows(QModelIndex(), row, row);
    m_checked.append(ruleAt(row) && ruleAt(row)->Enabled != 0);
    m_numbers.append(row);
    endInsertRows();
}

void RuleListModel::ruleChanged(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void RuleListModel::beginRemoveRule(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_checked.remove(row);
    m_numbers.remove(row);
}

void RuleListModel::endRemoveRule()
{
    endRemoveRows();
}

bool RuleListModel::isChecked(int row) const
{
    return row >= 0 && row < m_checked.size() && m_checked[row];
}

void RuleListModel::applyChecks()
{
    for (int row = 0; row < rowCount(); ++row) {
        if (TRule *r = ruleAt(row))
            r->Enabled = m_checked[row] ? 1 : 0;
    }
}

QString RuleListModel::maskText(const TRule &rule)
{
    return rule.WhoKind == 0 ? QStringLiteral("(anyone)") : rule.Address;
}

QString RuleListModel::triggerText(const TRule &rule)
{
    switch (rule.EventKind) {
    case 0:
        return QStringLiteral("Connects");
    case 1:
        return QStringLiteral("SYN event");
    case 2:
        return QStringLiteral("Over 2");
    default:
        return QString();
    }
}

int RuleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_checked.size());
}

int RuleListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RuleListModel::data(const QModelIndex &index, int role) const
{
    const TRule *r = index.isValid() ? ruleAt(index.row()) : nullptr;
    if (!r)
        return {};
    if (role == Qt::CheckStateRole && index.column() == NumberColumn)
        return m_checked[index.row()] ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case NumberColumn:
        return QString::number(m_numbers[index.row()]);
    case MaskColumn:
        return maskText(*r);
    case TriggerColumn:
        return triggerText(*r);
    case ActionsColumn:
        return r->ActionsText();
    default:
        return {};
    }
}

bool RuleListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != NumberColumn || role != Qt::CheckStateRole ||
        index.row() >= rowCount())
        return false;
    m_checked[index.row()] = value.toInt() == Qt::Checked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant RuleListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const kHeaders[ColumnCount] = {"#", "Mask", "Trigger", "Actions"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeaders[section])
                                                 : QVariant();
}

Qt::ItemFlags RuleListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == NumberColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

} // namespace wv
