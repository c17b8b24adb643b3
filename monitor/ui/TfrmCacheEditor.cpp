#include "monitor/ui/TfrmCacheEditor.h"

#include "monitor/CacheEditorModel.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace wv {

TfrmCacheEditor::TfrmCacheEditor(DnsCache &cache, QWidget *parent)
    : QDialog(parent), m_model(new CacheEditorModel(cache, this))
{
    setWindowTitle(QStringLiteral("Cache editor"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(440, 420);

    toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    actCommit = toolBar->addAction(QStringLiteral("Commit"), this, &TfrmCacheEditor::CommitClick);
    actDiscard =
        toolBar->addAction(QStringLiteral("Discard"), this, &TfrmCacheEditor::DiscardClick);
    actReload = toolBar->addAction(QStringLiteral("Reload"), this, &TfrmCacheEditor::LoadCache);
    actSave = toolBar->addAction(QStringLiteral("Save"), this, &TfrmCacheEditor::SaveCache);

    lblEntries = new QLabel(QStringLiteral("Cache entries: "), this);
    lblCreated = new QLabel(QStringLiteral("Date created :"), this);
    auto *labels = new QHBoxLayout;
    labels->addWidget(lblEntries);
    labels->addSpacing(20);
    labels->addWidget(lblCreated);
    labels->addStretch();

    grid = new QTableView(this);
    grid->setModel(m_model);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setTabKeyNavigation(true);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->setColumnWidth(CacheEditorModel::NumberColumn, 33);
    grid->setColumnWidth(CacheEditorModel::AddressColumn, 152);
    grid->setColumnWidth(CacheEditorModel::HostColumn, 210);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QTableView::customContextMenuRequested, this, &TfrmCacheEditor::gridContextMenu);

    gridMenu = new QMenu(this);
    actDeleteEntry = gridMenu->addAction(QStringLiteral("Delete entry"), this,
                                         &TfrmCacheEditor::DeleteEntryClick);
    actAddEntries = gridMenu->addAction(QStringLiteral("Add 5 entries"), this,
                                        &TfrmCacheEditor::AddEntriesClick);

    statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    statusText = new QLabel(QStringLiteral("Ready"), this);
    progress = new QProgressBar(this);
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    statusBar->addWidget(statusText, 0);
    statusBar->addWidget(progress, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 0, 5, 0);
    layout->addWidget(toolBar);
    layout->addLayout(labels);
    layout->addWidget(grid, 1);
    layout->addWidget(statusBar);
}

void TfrmCacheEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        LoadCache();
    }
}

void TfrmCacheEditor::setBusy(bool busy, const QString &status)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    grid->setEnabled(!busy);
    toolBar->setEnabled(!busy);
    statusText->setText(status);
    // Shown at once: loading or saving a large cache holds the event loop.
    statusBar->repaint();
}

void TfrmCacheEditor::LoadCache()
{
    m_loaded = true;
    setBusy(true, QStringLiteral("Loading"));
    m_model->load([this](int percent) { progress->setValue(percent); });
    lblEntries->setText(QStringLiteral("Cache entries: ") + QString::number(m_model->entryCount()));
    lblCreated->setText(QStringLiteral("Date created :") + m_model->created());
    progress->setValue(0);
    setBusy(false, QStringLiteral("Ready"));
}

void TfrmCacheEditor::SaveCache()
{
    // An edit still open in the grid is part of what the user saves.
    // Moving the current cell away commits it (toolbar buttons take no focus).
    grid->setCurrentIndex(QModelIndex());
    setBusy(true, QStringLiteral("Saving"));
    const bool ok = m_model->save([this](int percent) { progress->setValue(percent); });
    lblEntries->setText(QStringLiteral("Cache entries: ") + QString::number(m_model->entryCount()));
    lblCreated->setText(QStringLiteral("Date created :") + m_model->created());
    progress->setValue(0);
    setBusy(false, QStringLiteral("Ready"));
    if (!ok)
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("The DNS cache could not be written."));
}

void TfrmCacheEditor::CommitClick()
{
    SaveCache();
    close();
}

void TfrmCacheEditor::DiscardClick()
{
    close();
}

void TfrmCacheEditor::gridContextMenu(const QPoint &pos)
{
    const QModelIndex at = grid->indexAt(pos);
    m_menuRow = at.isValid() ? at.row() : -1;
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (at.isValid())
        grid->selectRow(at.row());
    gridMenu->exec(grid->viewport()->mapToGlobal(pos));
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
}

void TfrmCacheEditor::DeleteEntryClick()
{
    m_model->deleteEntry(m_menuRow);
}

void TfrmCacheEditor::AddEntriesClick()
{
    const int first = m_model->addFiveEntries();
    grid->setCurrentIndex(m_model->index(first, CacheEditorModel::AddressColumn));
}

} // namespace wv
