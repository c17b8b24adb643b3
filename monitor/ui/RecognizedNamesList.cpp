#include "monitor/ui/RecognizedNamesList.h"

#include "monitor/RecognizedNamesModel.h"
#include "monitor/ui/MessageBoxPrompt.h"
#include "monitor/ui/TfrmRecognize.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace wv {

RecognizedNamesList::RecognizedNamesList(FriendlyNames &names, QWidget *parent)
    : QWidget(parent), m_names(names), m_model(new RecognizedNamesModel(names, this))
{
    lvRecognized = new QTreeView(this);
    lvRecognized->setModel(m_model);
    lvRecognized->setRootIsDecorated(false);
    lvRecognized->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvRecognized->setSelectionMode(QAbstractItemView::SingleSelection);
    lvRecognized->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvRecognized->header()->resizeSection(RecognizedNamesModel::NumberColumn, 30);
    connect(lvRecognized, &QTreeView::doubleClicked, this, &RecognizedNamesList::btnEditClick);

    btnAdd = new QPushButton(QStringLiteral("Add"), this);
    btnEdit = new QPushButton(QStringLiteral("Edit"), this);
    btnDelete = new QPushButton(QStringLiteral("Delete"), this);
    btnClearAll = new QPushButton(QStringLiteral("Clear all"), this);
    connect(btnAdd, &QPushButton::clicked, this, &RecognizedNamesList::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &RecognizedNamesList::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &RecognizedNamesList::btnDeleteClick);
    connect(btnClearAll, &QPushButton::clicked, this, &RecognizedNamesList::btnClearAllClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnEdit);
    buttons->addWidget(btnDelete);
    buttons->addStretch();
    buttons->addWidget(btnClearAll);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lvRecognized);
    layout->addLayout(buttons);
}

void RecognizedNamesList::RefreshRecognized()
{
    m_model->RefreshRecognized();
}

int RecognizedNamesList::selectedRow() const
{
    const QModelIndexList rows = lvRecognized->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RecognizedNamesList::openRecognize(const QString &host, const QString &address,
                                        const QString &name)
{
    TfrmRecognize dialog(m_names, this);
    dialog.setTexts(host, address, name);
    dialog.exec();
    RefreshRecognized();
}

void RecognizedNamesList::btnAddClick()
{
    openRecognize({}, {}, {});
}

void RecognizedNamesList::btnEditClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const auto e = m_model->entry(row);
    openRecognize(e.hostMask, e.addressMask, e.name);
}

void RecognizedNamesList::btnDeleteClick()
{
    const int row = selectedRow();
    if (row >= 0)
        m_model->Delete(row);
}

void RecognizedNamesList::btnClearAllClick()
{
    MessageBoxPrompt prompt(this);
    m_model->ClearAll(prompt);
}

} // namespace wv
