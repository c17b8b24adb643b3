#pragma once

#include "refresh/MonitorServices.h"
#include "rules/RuleEngine.h"

namespace wv {

class ConnectionTableModel;
class TRuleList;

// Runs the rules over the connection table at the end of every refresh: the
// table's rows as the rules see them, and the asterisk mark of a matched row.
class TableRules : public RuleEvaluator, public RuleRows
{
public:
    // The row image of a row marked by a rule.
    static constexpr int MarkImage = 0;

    explicit TableRules(TRuleList &rules, ConnectionTableModel *table = nullptr,
                        RefreshControls *controls = nullptr);

    // The table and the controls that size its first column; until a table
    // is set a pass does nothing.
    void setTable(ConnectionTableModel *table, RefreshControls *controls);
    RuleEngine &engine() { return m_engine; }
    TRuleList &rules() { return m_rules; }

    void EvaluateRules() override;

    int RowCount() const override;
    QString RemoteAddress(int row) const override;
    QString DisplayName(int row) const override;
    QString LocalPortText(int row) const override;
    QString RemotePortText(int row) const override;
    QString KeyLine(int row) const override;
    // Sets or clears the asterisk and the rule attached to the row, then fits
    // the first column and writes "col1 width <width>" to the debug trace.
    void MarkRow(int row, bool on, int rule) override;

    struct MarkedRow
    {
        int row;
        QString displayName;
        int rule; // may be past the end of a list edited since
    };
    // The rows a rule marked, in row order.
    QList<MarkedRow> MarkedRows() const;

private:
    TRuleList &m_rules;
    ConnectionTableModel *m_table;
    RefreshControls *m_controls;
    RuleEngine m_engine;
};

} // namespace wv
