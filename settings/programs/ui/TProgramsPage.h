#pragma once

#include <QWidget>

class QMenu;
class QPushButton;
class QTableView;

namespace wv {

class ProgramsList;
class ProgramsModel;
struct ProgramMenuEntry;

// Fills the "Programs" toolbar button's drop-down menu: the old entries go,
// one action per entry comes (caption as text, the path as hint), each
// launching its program through LaunchProgram.
//
//   populateProgramsMenu(tb5->menu(), RefreshProgramsMenu(m_programs));
void populateProgramsMenu(QMenu *menu, const QVector<ProgramMenuEntry> &entries);

// The options dialog's "Programs" page: the list ("#", "Name", "EXE") and the
// buttons "Add", "Edit", "Delete" and "Clear all". A double-click on a row
// edits it. The page reads the file when shown; the programs menu picks the
// changes up at its next RefreshProgramsMenu.
class TProgramsPage : public QWidget
{
    Q_OBJECT
public:
    explicit TProgramsPage(ProgramsList &programs, QWidget *parent = nullptr);

    ProgramsModel *model() const { return m_model; }
    QTableView *list() const { return lvPrograms; }
    QPushButton *addButton() const { return btnAdd; }
    QPushButton *editButton() const { return btnEdit; }
    QPushButton *deleteButton() const { return btnDelete; }
    QPushButton *clearAllButton() const { return btnClearAll; }

public Q_SLOTS:
    void RefreshPrograms();
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnClearAllClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    int selectedRow() const;
    void updateButtons();

    ProgramsList &m_programs;
    ProgramsModel *m_model;
    QTableView *lvPrograms;
    QPushButton *btnAdd;
    QPushButton *btnEdit;
    QPushButton *btnDelete;
    QPushButton *btnClearAll;
};

} // namespace wv
