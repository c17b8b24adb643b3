#include "rules/mail/MailNotifier.h"

#include "rules/RuleLog.h"
#include "rules/mail/MailPassword.h"
#include "rules/mail/MailRelay.h"
#include "rules/mail/MailText.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"

namespace wv {

MailNotifier::MailNotifier(RegistryStore &registry, QObject *parent)
    : QObject(parent), m_registry(registry), m_logPath(RuleLog::defaultPath())
{
    connect(&m_mail, &TSendMail::OnMailInfo, this, &MailNotifier::OnMailInfo);
    connect(&m_mail, &TSendMail::OnMailError, this, &MailNotifier::OnMailError);
    connect(&m_mail, &TSendMail::completed, this, &MailNotifier::finished);
}

void MailNotifier::OnMailInfo(int, const QString &text)
{
    DebugLog(QStringLiteral("Mail info: ") + text);
}

void MailNotifier::OnMailError(int, const QString &text)
{
    DebugLog(QStringLiteral("Mail error: ") + text);
    if (!m_logPath.isEmpty())
        RuleLog::WriteLog(QStringLiteral("Mail error: ") + text, m_logPath);
}

void MailNotifier::SendAlertMail(const QString &recipients, const QString &subject,
                                 const QString &body)
{
    SendEmailNotification(recipients, subject, body);
}

void MailNotifier::SendEmailNotification(const QString &recipients, const QString &subject,
                                         const QString &body)
{
    DebugLog(QStringLiteral("SendEmailNotification;"));
    // A mail under way keeps its own lists: the refusal must not rewrite
    // the recipients and body of the message being sent.
    if (m_mail.busy() || m_readingPassword) {
        OnMailInfo(TSendMail::InfoBusy, QString());
        return;
    }
    const MailRelay relay = MailRelay::read(m_registry);
    QStringList to;
    for (const QString &line : mail::splitLines(recipients)) {
        if (!line.trimmed().isEmpty())
            to.append(line.trimmed());
    }
    m_mail.SMTP_Server = relay.host;
    m_mail.SMTP_Port = static_cast<quint16>(relay.effectivePort());
    m_mail.Security = relay.security;
    m_mail.UserName = relay.user;
    m_mail.CaFile = relay.effectiveCaFile();
    m_mail.FROM_Name = relay.fromName;
    m_mail.FROM_Address = relay.effectiveFromAddress();
    m_mail.TO_Name = QStringLiteral("WVN Pro user");
    m_mail.TO_Address.clear();
    m_mail.ListTo = to;
    m_mail.Listcc.clear();
    m_mail.ListBcc.clear();
    m_mail.Headers.clear();
    m_mail.Subject = QStringLiteral("[WVN] ") + subject;
    m_mail.MailText = mail::splitLines(body);

    if (relay.user.isEmpty()) {
        m_mail.Password.clear();
        m_mail.setAction(1);
        return;
    }
    m_readingPassword = true;
    MailPassword::read(relay, this, [this](const QString &password, const QString &error) {
        m_readingPassword = false;
        if (!error.isEmpty())
            DebugLog(QStringLiteral("Mail info: password store: ") + error);
        m_mail.Password = password;
        m_mail.setAction(1);
    });
}

} // namespace wv
