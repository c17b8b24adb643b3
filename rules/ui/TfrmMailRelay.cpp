#include "rules/ui/TfrmMailRelay.h"

#include "rules/mail/MailPassword.h"
#include "settings/RegistryStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace wv {

TfrmMailRelay::TfrmMailRelay(RegistryStore &registry, QWidget *parent)
    : QDialog(parent), m_registry(registry), m_loaded(MailRelay::read(registry))
{
    setWindowTitle(QStringLiteral("E-mail relay"));
    auto *form = new QFormLayout;
    edHost = new QLineEdit(m_loaded.host);
    form->addRow(QStringLiteral("&Server:"), edHost);
    cbSecurity = new QComboBox;
    cbSecurity->addItem(QStringLiteral("None"), QStringLiteral("none"));
    cbSecurity->addItem(QStringLiteral("STARTTLS"), QStringLiteral("starttls"));
    cbSecurity->addItem(QStringLiteral("TLS"), QStringLiteral("tls"));
    cbSecurity->setCurrentIndex(cbSecurity->findData(securityName(m_loaded.security)));
    form->addRow(QStringLiteral("S&ecurity:"), cbSecurity);
    spPort = new QSpinBox;
    spPort->setRange(0, 65535);
    spPort->setValue(m_loaded.port);
    form->addRow(QStringLiteral("&Port:"), spPort);
    edUser = new QLineEdit(m_loaded.user);
    edUser->setPlaceholderText(QStringLiteral("none: no log-in"));
    form->addRow(QStringLiteral("&User name:"), edUser);
    edPassword = new QLineEdit;
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setPlaceholderText(QStringLiteral("unchanged"));
    btnForget = new QPushButton(QStringLiteral("&Forget"));
    auto *pwRow = new QHBoxLayout;
    pwRow->addWidget(edPassword, 1);
    pwRow->addWidget(btnForget);
    form->addRow(QStringLiteral("Pass&word:"), pwRow);
    edFromAddress = new QLineEdit(m_loaded.fromAddress);
    edFromAddress->setPlaceholderText(m_loaded.effectiveFromAddress());
    form->addRow(QStringLiteral("Sender &address:"), edFromAddress);
    edFromName = new QLineEdit(m_loaded.fromName);
    form->addRow(QStringLiteral("Sender &name:"), edFromName);
    edCaFile = new QLineEdit(m_loaded.caFile);
    edCaFile->setPlaceholderText(QStringLiteral("the system's certificates only"));
    auto *caBrowse = new QPushButton(QStringLiteral("..."));
    auto *caRow = new QHBoxLayout;
    caRow->addWidget(edCaFile, 1);
    caRow->addWidget(caBrowse);
    form->addRow(QStringLiteral("Extra &CA file:"), caRow);

    lblError = new QLabel;
    lblError->setWordWrap(true);
    lblError->setStyleSheet(QStringLiteral("color: #b00000"));
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto *top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(lblError);
    top->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmMailRelay::btnOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnForget, &QPushButton::clicked, this, &TfrmMailRelay::btnForgetClick);
    connect(caBrowse, &QPushButton::clicked, this, &TfrmMailRelay::btnCaFileClick);
    connect(cbSecurity, &QComboBox::currentIndexChanged, this, &TfrmMailRelay::cbSecurityChange);
    cbSecurityChange();
}

void TfrmMailRelay::cbSecurityChange()
{
    MailSecurity s = MailSecurity::None;
    parseSecurity(cbSecurity->currentData().toString(), s);
    spPort->setSpecialValueText(QStringLiteral("usual (%1)").arg(MailRelay::defaultPort(s)));
}

bool TfrmMailRelay::relayFromFields(MailRelay &relay, QString *error) const
{
    relay = m_loaded;
    const std::pair<const char *, QString> values[] = {
        {"MailServer", edHost->text()},
        {"MailPort", QString::number(spPort->value())},
        {"MailSecurity", cbSecurity->currentData().toString()},
        {"MailUser", edUser->text().trimmed()},
        {"MailFromAddress", edFromAddress->text().trimmed()},
        {"MailFromName", edFromName->text()},
        {"MailCaFile", edCaFile->text().trimmed()},
    };
    for (const auto &[key, value] : values) {
        const QString wrong = findMailRelayKey(QLatin1String(key))->set(relay, value);
        if (!wrong.isEmpty()) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(QLatin1String(key), wrong);
            return false;
        }
    }
    if (!relay.user.isEmpty() && relay.security == MailSecurity::None) {
        if (error)
            *error = QStringLiteral("A user name and password are only sent over TLS: choose "
                                    "STARTTLS or TLS.");
        return false;
    }
    return true;
}

void TfrmMailRelay::btnOKClick()
{
    MailRelay relay;
    QString error;
    if (!relayFromFields(relay, &error)) {
        lblError->setText(error);
        return;
    }
    if (!relay.write(m_registry)) {
        lblError->setText(QStringLiteral("Cannot write %1").arg(m_registry.file().path()));
        return;
    }
    if (!edPassword->text().isEmpty() && !relay.user.isEmpty() &&
        !MailPassword::writeNow(relay, edPassword->text(), &error)) {
        lblError->setText(QStringLiteral("The password was not stored: ") + error);
        return;
    }
    accept();
}

void TfrmMailRelay::btnForgetClick()
{
    MailRelay relay;
    if (!relayFromFields(relay, nullptr))
        relay = m_loaded;
    QString error;
    if (MailPassword::writeNow(relay, QString(), &error)) {
        edPassword->clear();
        lblError->setText(QStringLiteral("The stored password of %1 is forgotten.")
                              .arg(MailPassword::entryKey(relay)));
    } else {
        lblError->setText(error);
    }
}

void TfrmMailRelay::btnCaFileClick()
{
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Certificate authorities"), edCaFile->text(),
        QStringLiteral("Certificates (*.pem *.crt);;All files (*)"));
    if (!file.isEmpty())
        edCaFile->setText(file);
}

} // namespace wv
