#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace wv {

class ProgramsList;

// The modal "Add Program" dialog. "&OK" refuses an empty name or location by
// focusing the empty box; otherwise it stores the entry in the programs list
// and closes with Accepted. Escape and "&Cancel" close without a change.
//
//   TfrmAddProgram dlg(programs, this);
//   dlg.setEntry(name, path);             // "Edit": fill in the selected row
//   if (dlg.exec() == QDialog::Accepted)
//       model.RefreshPrograms();
class TfrmAddProgram : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAddProgram(ProgramsList &programs, QWidget *parent = nullptr);

    // Fills both boxes; OK then replaces that entry (renaming it when the
    // name is changed).
    void setEntry(const QString &name, const QString &path);

    QLineEdit *nameEdit() const { return edName; }
    QLineEdit *fileEdit() const { return edFile; }
    QPushButton *okButton() const { return btnOK; }

    // The filters of the browse dialog.
    static QStringList browseFilters();

public Q_SLOTS:
    void btnOKClick();
    void btnBrowseClick();

private:
    ProgramsList &m_programs;
    QString m_editedName;
    QLineEdit *edName;
    QLineEdit *edFile;
    QPushButton *btnBrowse;
    QPushButton *btnOK;
    QPushButton *btnCancel;
    QLabel *lblError;
};

} // namespace wv
