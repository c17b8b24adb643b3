#include "remote/ui/TfrmAgent.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace wv {

TfrmAgent::TfrmAgent(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAgent"));
    setWindowTitle(QStringLiteral("Add agent"));
    auto *form = new QFormLayout;
    edAddress = new QLineEdit;
    edAddress->setPlaceholderText(QStringLiteral("[udp:|tcp:]host[:port]"));
    cbVersion = new QComboBox;
    cbVersion->addItems({QStringLiteral("SNMPv2c (community)"), QStringLiteral("SNMPv3 (user)")});
    edCommunity = new QLineEdit(QStringLiteral("public"));
    edCommunity->setEchoMode(QLineEdit::Password);
    edUser = new QLineEdit;
    cbAuth = new QComboBox;
    cbAuth->addItem(QStringLiteral("none"));
    cbAuth->addItems(RemoteAgent::authProtocols());
    cbAuth->setCurrentText(QStringLiteral("SHA"));
    edAuthPass = new QLineEdit;
    edAuthPass->setEchoMode(QLineEdit::Password);
    cbPriv = new QComboBox;
    cbPriv->addItem(QStringLiteral("none"));
    cbPriv->addItems(RemoteAgent::privProtocols());
    cbPriv->setCurrentText(QStringLiteral("AES"));
    edPrivPass = new QLineEdit;
    edPrivPass->setEchoMode(QLineEdit::Password);
    spTimeout = new QDoubleSpinBox;
    spTimeout->setRange(0.1, 600);
    spTimeout->setDecimals(1);
    spTimeout->setSuffix(QStringLiteral(" s"));
    spTimeout->setValue(2);
    spRetries = new QSpinBox;
    spRetries->setRange(0, 20);
    spRetries->setValue(1);
    form->addRow(QStringLiteral("&Agent:"), edAddress);
    form->addRow(QStringLiteral("&Version:"), cbVersion);
    form->addRow(QStringLiteral("&Community:"), edCommunity);
    form->addRow(QStringLiteral("&User:"), edUser);
    form->addRow(QStringLiteral("Au&thentication:"), cbAuth);
    form->addRow(QStringLiteral("Authentication &pass phrase:"), edAuthPass);
    form->addRow(QStringLiteral("P&rivacy:"), cbPriv);
    form->addRow(QStringLiteral("Privacy pa&ss phrase:"), edPrivPass);
    form->addRow(QStringLiteral("&Time-out:"), spTimeout);
    form->addRow(QStringLiteral("R&etries:"), spRetries);
    lblProblem = new QLabel;
    lblProblem->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmAgent::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmAgent::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);
    connect(cbVersion, &QComboBox::currentIndexChanged, this, &TfrmAgent::updateEnabled);
    connect(cbAuth, &QComboBox::currentIndexChanged, this, &TfrmAgent::updateEnabled);
    connect(cbPriv, &QComboBox::currentIndexChanged, this, &TfrmAgent::updateEnabled);
    updateEnabled();
}

void TfrmAgent::setAgent(const RemoteAgent &a)
{
    edAddress->setText(a.displayName());
    cbVersion->setCurrentIndex(a.version == RemoteAgent::Version::V3 ? 1 : 0);
    edCommunity->setText(a.community);
    edUser->setText(a.user);
    cbAuth->setCurrentText(a.authProtocol.isEmpty() ? QStringLiteral("none") : a.authProtocol);
    edAuthPass->setText(a.authPassphrase);
    cbPriv->setCurrentText(a.privProtocol.isEmpty() ? QStringLiteral("none") : a.privProtocol);
    edPrivPass->setText(a.privPassphrase);
    spTimeout->setValue(a.timeoutMs / 1000.0);
    spRetries->setValue(a.retries);
    updateEnabled();
}

void TfrmAgent::updateEnabled()
{
    const bool v3 = cbVersion->currentIndex() == 1;
    const bool auth = v3 && cbAuth->currentIndex() > 0;
    edCommunity->setEnabled(!v3);
    edUser->setEnabled(v3);
    cbAuth->setEnabled(v3);
    edAuthPass->setEnabled(auth);
    cbPriv->setEnabled(auth);
    edPrivPass->setEnabled(auth && cbPriv->currentIndex() > 0);
}

QString TfrmAgent::read(RemoteAgent &a) const
{
    QString why;
    if (!a.setAddress(edAddress->text(), &why))
        return why;
    a.version =
        cbVersion->currentIndex() == 1 ? RemoteAgent::Version::V3 : RemoteAgent::Version::V2c;
    if (a.version == RemoteAgent::Version::V2c) {
        a.community = edCommunity->text();
    } else {
        a.community.clear();
        a.user = edUser->text().trimmed();
        if (cbAuth->currentIndex() > 0) {
            a.authProtocol = cbAuth->currentText();
            a.authPassphrase = edAuthPass->text();
            if (cbPriv->currentIndex() > 0) {
                a.privProtocol = cbPriv->currentText();
                a.privPassphrase = edPrivPass->text();
            }
        }
    }
    a.timeoutMs = int(spTimeout->value() * 1000);
    a.retries = spRetries->value();
    return a.validate();
}

void TfrmAgent::accept()
{
    RemoteAgent a;
    const QString problem = read(a);
    if (!problem.isEmpty()) {
        lblProblem->setText(problem);
        return;
    }
    m_agent = a;
    QDialog::accept();
}

} // namespace wv
