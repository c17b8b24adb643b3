#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace wv {

class RuleListModel;
class RuleWorkingList;
class TfrmAddRule;

// The options dialog's "Rules" page: the working rules as a list with check
// boxes, the selected rule as a sentence, and "Add", "Edit", "Delete",
// "Clear all". Every change goes to the working copy; the live rules change
// only when the dialog is closed with OK.
class TRulesPage : public QWidget
{
    Q_OBJECT
public:
    static const QString ClearAllQuestion; // "Are you sure you want to delete all rules ..."
    static const QString NoEditorNotice;   // "frmAddRule was supposed to be created on startup"

    // The editor is the one window made at start-up (null: a notice when the
    // list is filled, and Add/Edit do nothing).
    TRulesPage(RuleWorkingList &rules, TfrmAddRule *editor, QWidget *parent = nullptr);

    // Fills the list from the working copy (once per opening of the dialog).
    void LoadRulesIntoList();
    // The dialog's OK: every rule's Enabled flag from its row's check box.
    void applyChecks();

    RuleListModel *model() const { return m_model; }
    int selectedRow() const;
    void selectRow(int row);

    QTreeView *lvRules = nullptr;
    QPlainTextEdit *memDescription = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClearAll = nullptr;

    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnClearAllClick();

Q_SIGNALS:
    // A message for the user (shown as a message box by default).
    void notice(const QString &text);

private:
    void lvSelectionChanged();

    RuleWorkingList &m_rules;
    TfrmAddRule *m_editor;
    RuleListModel *m_model;
};

} // namespace wv
