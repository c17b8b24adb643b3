#include "settings/programs/ui/TProgramsPage.h"

#include "settings/programs/ProgramLauncher.h"
#include "settings/programs/ProgramsList.h"
#include "settings/programs/ProgramsMenu.h"
#include "settings/programs/ProgramsModel.h"
#include "settings/programs/ui/TfrmAddProgram.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace wv {

void populateProgramsMenu(QMenu *menu, const QVector<ProgramMenuEntry> &entries)
{
    menu->clear();
    menu->setToolTipsVisible(true);
    for (const ProgramMenuEntry &e : entries) {
        // A '&' in a name is part of the name, not a shortcut mark.
        QString text = e.caption;
        text.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *action = menu->addAction(text);
        action->setObjectName(e.objectName);
        action->setToolTip(e.hint);
        action->setStatusTip(e.hint);
        const QString path = e.hint;
        QObject::connect(action, &QAction::triggered, menu, [path] { LaunchProgram(path); });
    }
}

TProgramsPage::TProgramsPage(ProgramsList &programs, QWidget *parent)
    : QWidget(parent), m_programs(programs), m_model(new ProgramsModel(programs, this))
{
    lvPrograms = new QTableView(this);
    lvPrograms->setModel(m_model);
    lvPrograms->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvPrograms->setSelectionMode(QAbstractItemView::SingleSelection);
    lvPrograms->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvPrograms->verticalHeader()->hide();
    lvPrograms->setShowGrid(false);
    lvPrograms->horizontalHeader()->setStretchLastSection(true);
    lvPrograms->setColumnWidth(ProgramsModel::NumberColumn, 30);
    lvPrograms->setColumnWidth(ProgramsModel::NameColumn, 120);

    btnAdd = new QPushButton(QStringLiteral("Add"), this);
    btnEdit = new QPushButton(QStringLiteral("Edit"), this);
    btnDelete = new QPushButton(QStringLiteral("Delete"), this);
    btnClearAll = new QPushButton(QStringLiteral("Clear all"), this);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnAdd, btnEdit, btnDelete, btnClearAll})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvPrograms, 1);
    layout->addLayout(buttons);

    connect(btnAdd, &QPushButton::clicked, this, &TProgramsPage::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TProgramsPage::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TProgramsPage::btnDeleteClick);
    connect(btnClearAll, &QPushButton::clicked, this, &TProgramsPage::btnClearAllClick);
    connect(lvPrograms, &QTableView::doubleClicked, this, &TProgramsPage::btnEditClick);
    connect(lvPrograms->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TProgramsPage::updateButtons);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TProgramsPage::updateButtons);
    RefreshPrograms();
}

void TProgramsPage::showEvent(QShowEvent *event)
{
    RefreshPrograms();
    QWidget::showEvent(event);
}

void TProgramsPage::RefreshPrograms()
{
    m_model->RefreshPrograms();
}

int TProgramsPage::selectedRow() const
{
    const QModelIndexList rows = lvPrograms->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void TProgramsPage::updateButtons()
{
    const bool selected = selectedRow() >= 0;
    btnEdit->setEnabled(selected);
    btnDelete->setEnabled(selected);
    btnClearAll->setEnabled(m_model->rowCount() > 0);
}

void TProgramsPage::btnAddClick()
{
    TfrmAddProgram dialog(m_programs, this);
    if (dialog.exec() == QDialog::Accepted)
        RefreshPrograms();
}

void TProgramsPage::btnEditClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const ProgramEntry entry = m_model->entry(row);
    TfrmAddProgram dialog(m_programs, this);
    dialog.setEntry(entry.name, entry.path);
    if (dialog.exec() == QDialog::Accepted)
        RefreshPrograms();
}

void TProgramsPage::btnDeleteClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (!m_programs.deleteProgram(m_model->entry(row).name)) {
        QMessageBox::warning(this, QStringLiteral("Warning"), m_programs.lastError());
        return;
    }
    RefreshPrograms();
}

void TProgramsPage::btnClearAllClick()
{
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Are you sure you want to clear all stored Programs?"),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    ask.setDefaultButton(QMessageBox::Cancel);
    if (ask.exec() != QMessageBox::Ok)
        return;
    if (!m_programs.clearAll())
        QMessageBox::warning(this, QStringLiteral("Warning"), m_programs.lastError());
    RefreshPrograms();
}

} // namespace wv
