#include "monitor/ui/TfrmRecognize.h"

#include "monitor/FriendlyNames.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace wv {

TfrmRecognize::TfrmRecognize(FriendlyNames &names, QWidget *parent)
    : QDialog(parent), m_names(names)
{
    setWindowTitle(QStringLiteral("Recognize"));
    edHost = new QLineEdit(this);
    edIP = new QLineEdit(this);
    edName = new QLineEdit(this);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Hostname contains:"), edHost);
    form->addRow(QStringLiteral("&IP address contains:"), edIP);
    form->addRow(QStringLiteral("&Friendly name:"), edName);

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);
    // OK checks the boxes first; the dialog closes only when that succeeds.
    connect(btnOK, &QPushButton::clicked, this, &TfrmRecognize::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edName, &QLineEdit::returnPressed, this, &TfrmRecognize::btnOKClick);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void TfrmRecognize::setTexts(const QString &hostMask, const QString &addressMask,
                             const QString &name)
{
    edHost->setText(hostMask);
    edIP->setText(addressMask);
    edName->setText(name);
}

void TfrmRecognize::btnOKClick()
{
    switch (FriendlyNames::missingField(edHost->text(), edIP->text(), edName->text())) {
    case FriendlyNames::Field::FriendlyName:
        edName->setFocus();
        return;
    case FriendlyNames::Field::HostName:
        edHost->setFocus();
        return;
    case FriendlyNames::Field::Address:
        edIP->setFocus();
        return;
    case FriendlyNames::Field::None:
        break;
    }
    if (!m_names.writeEntry(edHost->text(), edIP->text(), edName->text())) {
        QMessageBox::critical(
            this, QStringLiteral("Error"),
            QStringLiteral("The recognized name could not be saved: %1").arg(m_names.lastError()));
        return;
    }
    accept();
}

} // namespace wv
