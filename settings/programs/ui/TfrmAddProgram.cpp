#include "settings/programs/ui/TfrmAddProgram.h"

#include "settings/programs/ProgramsList.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace wv {

TfrmAddProgram::TfrmAddProgram(ProgramsList &programs, QWidget *parent)
    : QDialog(parent), m_programs(programs)
{
    setWindowTitle(QStringLiteral("Add Program"));
    setModal(true);

    auto *nameLabel = new QLabel(QStringLiteral("Name to display for this program:"), this);
    edName = new QLineEdit(this);
    nameLabel->setBuddy(edName);
    auto *fileLabel = new QLabel(QStringLiteral("Location of program Application:"), this);
    edFile = new QLineEdit(this);
    edFile->setMinimumWidth(280);
    fileLabel->setBuddy(edFile);
    btnBrowse = new QPushButton(QStringLiteral("..."), this);
    btnBrowse->setToolTip(QStringLiteral("Choose Application"));
    btnBrowse->setAutoDefault(false);
    btnBrowse->setMaximumWidth(36);
    lblError = new QLabel(this);
    lblError->setStyleSheet(QStringLiteral("color: #b00020"));
    lblError->setWordWrap(true);
    lblError->hide();

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(nameLabel, 0, 0, 1, 2);
    grid->addWidget(edName, 1, 0, 1, 2);
    grid->addWidget(fileLabel, 2, 0, 1, 2);
    grid->addWidget(edFile, 3, 0);
    grid->addWidget(btnBrowse, 3, 1);
    grid->setColumnStretch(0, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblError);
    layout->addStretch(1);
    layout->addWidget(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfrmAddProgram::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmAddProgram::btnBrowseClick);
}

void TfrmAddProgram::setEntry(const QString &name, const QString &path)
{
    m_editedName = name;
    edName->setText(name);
    edFile->setText(path);
}

void TfrmAddProgram::btnOKClick()
{
    if (edName->text().trimmed().isEmpty()) {
        edName->setFocus();
        return;
    }
    if (edFile->text().trimmed().isEmpty()) {
        edFile->setFocus();
        return;
    }
    const bool stored = m_editedName.isEmpty()
                            ? m_programs.addProgram(edName->text(), edFile->text())
                            : m_programs.editProgram(m_editedName, edName->text(), edFile->text());
    if (!stored) {
        lblError->setText(m_programs.lastError());
        lblError->show();
        return;
    }
    accept();
}

QStringList TfrmAddProgram::browseFilters()
{
    return {QStringLiteral("Applications (*)"), QStringLiteral("All files (*)")};
}

void TfrmAddProgram::btnBrowseClick()
{
    QFileDialog dialog(this, QStringLiteral("Choose Application"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(browseFilters());
    // Programs on Linux carry no extension: the first filter lists the files
    // that may be run, the second every file.
    const QDir::Filters executables = QDir::AllDirs | QDir::Files | QDir::Executable;
    dialog.setFilter(executables);
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, executables](const QString &f) {
                dialog.setFilter(f == browseFilters().constFirst() ? executables
                                                                   : QDir::AllDirs | QDir::Files);
            });
    if (!edFile->text().isEmpty())
        dialog.selectFile(edFile->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edFile->setText(dialog.selectedFiles().constFirst());
}

} // namespace wv
