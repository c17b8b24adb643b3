#pragma once

#include <QAbstractTableModel>
#include <QVector>

namespace wv {

class TRule;
class TRuleList;

// The rule list of the options dialog's "Rules" page: one row per working
// rule, columns "#", "Mask", "Trigger", "Actions", and a check box per row
// that starts from the rule's Enabled flag. The check boxes are carried back
// into the rules only by applyChecks() (the dialog's OK).
class RuleListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NumberColumn,
        MaskColumn,
        TriggerColumn,
        ActionsColumn,
        ColumnCount
    };

    explicit RuleListModel(QObject *parent = nullptr);

    // Shows the rules of a list (null: none); every check box from Enabled.
    void setRules(TRuleList *rules);
    TRule *ruleAt(int row) const;

    // The list grew by one rule at its end.
    void ruleAppended();
    // The rule of a row changed.
    void ruleChanged(int row);
    // The rule of a row is about to go / has gone from the list.
    void beginRemoveRule(int row);
    void endRemoveRule();

    bool isChecked(int row) const;
    // Sets every rule's Enabled flag from its row's check box.
    void applyChecks();

    static QString maskText(const TRule &rule);
    static QString triggerText(const TRule &rule);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    TRuleList *m_rules = nullptr;
    QVector<bool> m_checked;
    // "#": the row's position when it was put in the list (rules are
    // numbered afresh from the next evaluation pass after OK).
    QVector<int> m_numbers;
};

} // namespace wv
