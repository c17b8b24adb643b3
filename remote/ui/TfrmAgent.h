#pragma once

#include "remote/RemoteAgent.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace wv {

// "Add agent...": where another host's SNMP agent is and how to speak to it
// (v2c community, or v3 user with authentication and privacy).
class TfrmAgent : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAgent(QWidget *parent = nullptr);

    void setAgent(const RemoteAgent &agent);
    // The agent as the fields describe it (valid after the dialog was accepted).
    RemoteAgent agent() const { return m_agent; }

    QLineEdit *edAddress = nullptr;
    QComboBox *cbVersion = nullptr;
    QLineEdit *edCommunity = nullptr;
    QLineEdit *edUser = nullptr;
    QComboBox *cbAuth = nullptr;
    QLineEdit *edAuthPass = nullptr;
    QComboBox *cbPriv = nullptr;
    QLineEdit *edPrivPass = nullptr;
    QDoubleSpinBox *spTimeout = nullptr;
    QSpinBox *spRetries = nullptr;
    QLabel *lblProblem = nullptr;

    void accept() override;

private:
    void updateEnabled();
    // The agent of the fields, or the reason it is not usable.
    QString read(RemoteAgent &agent) const;

    RemoteAgent m_agent;
};

} // namespace wv
