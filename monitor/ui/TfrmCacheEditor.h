#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTableView;
class QToolBar;

namespace wv {

class CacheEditorModel;
class DnsCache;

// "Cache editor": the DNS cache as a grid the user can change, blank or add
// rows to, and write back. The window frees itself when closed.
class TfrmCacheEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmCacheEditor(DnsCache &cache, QWidget *parent = nullptr);

    QToolBar *toolBar = nullptr;
    QAction *actCommit = nullptr;
    QAction *actDiscard = nullptr;
    QAction *actReload = nullptr;
    QAction *actSave = nullptr;
    QLabel *lblEntries = nullptr;
    QLabel *lblCreated = nullptr;
    QTableView *grid = nullptr;
    QStatusBar *statusBar = nullptr;
    QLabel *statusText = nullptr;
    QProgressBar *progress = nullptr;
    QMenu *gridMenu = nullptr;
    QAction *actDeleteEntry = nullptr;
    QAction *actAddEntries = nullptr;
    CacheEditorModel *model() const { return m_model; }

    void LoadCache();
    void SaveCache();
    void CommitClick();
    void DiscardClick();
    void DeleteEntryClick();
    void AddEntriesClick();
    // The row the grid menu was opened on (-1 for none).
    void setMenuRow(int row) { m_menuRow = row; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void gridContextMenu(const QPoint &pos);
    void setBusy(bool busy, const QString &status);

    CacheEditorModel *m_model;
    bool m_loaded = false;
    int m_menuRow = -1;
};

} // namespace wv
