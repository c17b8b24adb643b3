#include "rules/ui/TRulesPage.h"

#include "rules/RuleList.h"
#include "rules/RuleListModel.h"
#include "rules/RuleWorkingList.h"
#include "rules/ui/TfrmAddRule.h"
#include "settings/DebugTrace.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace wv {

const QString TRulesPage::ClearAllQuestion =
    QStringLiteral("Are you sure you want to delete all rules you have created?");
const QString TRulesPage::NoEditorNotice =
    QStringLiteral("frmAddRule was supposed to be created on startup");

TRulesPage::TRulesPage(RuleWorkingList &rules, TfrmAddRule *editor, QWidget *parent)
    : QWidget(parent), m_rules(rules), m_editor(editor), m_model(new RuleListModel(this))
{
    lvRules = new QTreeView(this);
    lvRules->setObjectName(QStringLiteral("lvRules"));
    lvRules->setModel(m_model);
    lvRules->setRootIsDecorated(false);
    lvRules->setAllColumnsShowFocus(true);
    lvRules->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvRules->setSelectionMode(QAbstractItemView::SingleSelection);
    lvRules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvRules->header()->setStretchLastSection(true);
    lvRules->setColumnWidth(RuleListModel::NumberColumn, 44);
    lvRules->setColumnWidth(RuleListModel::MaskColumn, 100);
    lvRules->setColumnWidth(RuleListModel::TriggerColumn, 70);

    memDescription = new QPlainTextEdit(this);
    memDescription->setReadOnly(true);
    memDescription->setMaximumHeight(64);

    btnAdd = new QPushButton(QStringLiteral("Add"), this);
    btnAdd->setToolTip(QStringLiteral("Add a new rule"));
    btnEdit = new QPushButton(QStringLiteral("Edit"), this);
    btnEdit->setToolTip(QStringLiteral("Edit the selected rule"));
    btnDelete = new QPushButton(QStringLiteral("Delete"), this);
    btnDelete->setToolTip(QStringLiteral("Delete the selected rule"));
    btnClearAll = new QPushButton(QStringLiteral("Clear all"), this);
    btnClearAll->setToolTip(QStringLiteral("Delete all rules"));

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btnAdd, btnEdit, btnDelete, btnClearAll})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(lvRules, 1);
    top->addLayout(buttons);
    auto *l = new QVBoxLayout(this);
    l->addLayout(top, 1);
    l->addWidget(memDescription);

    connect(btnAdd, &QPushButton::clicked, this, &TRulesPage::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TRulesPage::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TRulesPage::btnDeleteClick);
    connect(btnClearAll, &QPushButton::clicked, this, &TRulesPage::btnClearAllClick);
    connect(lvRules, &QTreeView::doubleClicked, this, &TRulesPage::btnEditClick);
    connect(lvRules->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TRulesPage::lvSelectionChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TRulesPage::lvSelectionChanged);
}

void TRulesPage::LoadRulesIntoList()
{
    DebugLog(QStringLiteral("LoadRulesIntoList ** should only be called once ever! **"));
    if (!m_editor)
        Q_EMIT notice(NoEditorNotice);
    m_model->setRules(m_rules.isOpen() ? &m_rules.working() : nullptr);
}

void TRulesPage::applyChecks()
{
    m_model->applyChecks();
}

int TRulesPage::selectedRow() const
{
    const QModelIndexList rows = lvRules->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TRulesPage::selectRow(int row)
{
    lvRules->selectionModel()->select(m_model->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    lvRules->setCurrentIndex(m_model->index(row, 0));
}

void TRulesPage::lvSelectionChanged()
{
    const TRule *r = m_model->ruleAt(selectedRow());
    memDescription->setPlainText(r ? r->Sentence() : QString());
}

void TRulesPage::btnAddClick()
{
    if (!m_editor || !m_rules.isOpen())
        return;
    if (m_editor->exec() != QDialog::Accepted)
        return;
    auto rule = std::make_unique<TRule>();
    m_editor->LoadFromEditor(*rule);
    m_rules.add(std::move(rule));
    m_model->ruleAppended();
}

void TRulesPage::btnEditClick()
{
    const int row = selectedRow();
    TRule *r = m_model->ruleAt(row);
    if (!m_editor || !r)
        return;
    m_editor->SaveToEditor(*r);
    if (m_editor->exec() != QDialog::Accepted)
        return;
    m_editor->LoadFromEditor(*r);
    m_model->ruleChanged(row);
    lvSelectionChanged();
}

void TRulesPage::btnDeleteClick()
{
    const int row = selectedRow();
    if (!m_model->ruleAt(row))
        return;
    m_model->beginRemoveRule(row);
    m_rules.remove(row);
    m_model->endRemoveRule();
}

void TRulesPage::btnClearAllClick()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Confirm"), ClearAllQuestion,
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Cancel);
    if (box.exec() != QMessageBox::Ok)
        return;
    m_rules.clearAll();
    m_model->setRules(&m_rules.working());
}

} // namespace wv
