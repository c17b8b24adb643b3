#pragma once

#include "rules/RuleEngine.h"
#include "rules/mail/TSendMail.h"

#include <QObject>

namespace wv {

class RegistryStore;

// Sends the e-mail of a rules pass through the relay of the settings, and
// writes the mail's progress to the debug trace ("Mail info: ...", "Mail
// error: ..."); a failure also goes to the rules' log file, so that the user
// can find out why an alert never arrived.
class MailNotifier : public QObject, public RuleMailer
{
    Q_OBJECT
public:
    // The relay is read from the registry at every mail, so a change made in
    // the settings takes effect with the next one.
    explicit MailNotifier(RegistryStore &registry, QObject *parent = nullptr);

    TSendMail &SendMail() { return m_mail; }

    void SendEmailNotification(const QString &recipients, const QString &subject,
                               const QString &body);
    void SendAlertMail(const QString &recipients, const QString &subject,
                       const QString &body) override;

    // The rules' log file that failures go to (empty: none).
    void setLogPath(const QString &path) { m_logPath = path; }

    void OnMailInfo(int code, const QString &text);
    void OnMailError(int code, const QString &text);

Q_SIGNALS:
    // The mail has ended, sent or not.
    void finished(bool sent);

private:
    RegistryStore &m_registry;
    TSendMail m_mail;
    QString m_logPath;
    bool m_readingPassword = false;
};

} // namespace wv
