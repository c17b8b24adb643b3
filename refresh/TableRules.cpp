#include "refresh/TableRules.h"

#include "refresh/ConnectionTableModel.h"
#include "settings/DebugTrace.h"

namespace wv {

TableRules::TableRules(TRuleList &rules, ConnectionTableModel *table, RefreshControls *controls)
    : m_rules(rules), m_table(table), m_controls(controls), m_engine(rules, *this)
{
}

void TableRules::setTable(ConnectionTableModel *table, RefreshControls *controls)
{
    m_table = table;
    m_controls = controls;
}

void TableRules::EvaluateRules()
{
    if (m_table)
        m_engine.EvaluateRules();
}

int TableRules::RowCount() const
{
    return m_table ? m_table->count() : 0;
}

QString TableRules::RemoteAddress(int row) const
{
    return m_table->record(row).RemoteAddressText;
}

QString TableRules::DisplayName(int row) const
{
    const ConnectionRecord &r = m_table->record(row);
    return r.HostName.isEmpty() ? r.RemoteAddressText : r.HostName;
}

QString TableRules::LocalPortText(int row) const
{
    return m_table->record(row).LocalPortText;
}

QString TableRules::RemotePortText(int row) const
{
    return m_table->record(row).RemotePortText;
}

QString TableRules::KeyLine(int row) const
{
    return m_table->record(row).key;
}

void TableRules::MarkRow(int row, bool on, int rule)
{
    if (!m_table || row < 0 || row >= m_table->count())
        return;
    m_table->setMark(row, on ? MarkImage : -1, on ? rule : -1);
    if (m_controls) {
        m_controls->fitColumn(0);
        DebugLog(QStringLiteral("col1 width ") + QString::number(m_controls->columnWidth(0)));
    }
}

QList<TableRules::MarkedRow> TableRules::MarkedRows() const
{
    QList<MarkedRow> out;
    for (int i = 0; i < RowCount(); ++i) {
        const ConnectionRecord &r = m_table->record(i);
        if (r.mark == MarkImage && r.markRule >= 0)
            out.append({i, DisplayName(i), r.markRule});
    }
    return out;
}

} // namespace wv
