#pragma once

#include "rules/mail/MailRelay.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace wv {

class RegistryStore;

// "E-mail relay": the server the e-mail action sends through. OK checks the
// values, writes them under their own registry key and hands a typed
// password to the password store; a wrong value is named under the fields
// and keeps the window open.
class TfrmMailRelay : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmMailRelay(RegistryStore &registry, QWidget *parent = nullptr);

    // The values the fields hold now; error names the first bad one.
    bool relayFromFields(MailRelay &relay, QString *error) const;

    QLineEdit *hostEdit() const { return edHost; }
    QSpinBox *portSpin() const { return spPort; }
    QComboBox *securityBox() const { return cbSecurity; }
    QLineEdit *userEdit() const { return edUser; }
    QLineEdit *passwordEdit() const { return edPassword; }
    QLineEdit *fromAddressEdit() const { return edFromAddress; }
    QLineEdit *fromNameEdit() const { return edFromName; }
    QLineEdit *caFileEdit() const { return edCaFile; }
    QLabel *errorLabel() const { return lblError; }

public Q_SLOTS:
    void btnOKClick();
    void btnForgetClick();
    void btnCaFileClick();
    void cbSecurityChange();

private:
    RegistryStore &m_registry;
    MailRelay m_loaded;
    QLineEdit *edHost;
    QSpinBox *spPort;
    QComboBox *cbSecurity;
    QLineEdit *edUser;
    QLineEdit *edPassword;
    QPushButton *btnForget;
    QLineEdit *edFromAddress;
    QLineEdit *edFromName;
    QLineEdit *edCaFile;
    QLabel *lblError;
    QDialogButtonBox *buttons;
};

} // namespace wv
