#include "rules/RuleEngine.h"

#include "rules/RuleList.h"
#include "rules/RuleLog.h"
#include "settings/DebugTrace.h"
#include "settings/programs/ProgramLauncher.h"

namespace wv {

const QString RuleEngine::MailSubject = QStringLiteral("WVN Alert");

void RuleActionHost::OpenLookup(int row, const QString &displayName)
{
    DebugLog(QStringLiteral("lookup row %1: %2").arg(row).arg(displayName));
}

void RuleActionHost::WriteLog(const QString &text)
{
    RuleLog::WriteLog(text);
}

void RuleActionHost::PlaySound(const QString &file)
{
    PlaySoundFile(file);
}

void RuleActionHost::Launch(const QString &command)
{
    RunCommandLine(command);
}

void RuleActionHost::OpenAlert(const QString &message, int rule, int row)
{
    DebugLog(QStringLiteral("alert rule #%1 row %2: %3").arg(rule).arg(row).arg(message));
}

void RuleActionHost::SetAlertWaiting() {}

void DialUpHangUp::NetDisconnect(bool askFirst)
{
    DebugLog(QStringLiteral("NetDisconnect"));
    DebugLog(askFirst ? QStringLiteral("no dial-up connection to hang up (would ask first)")
                      : QStringLiteral("no dial-up connection to hang up"));
}

void RuleMailer::SendAlertMail(const QString &recipients, const QString &subject, const QString &)
{
    DebugLog(QStringLiteral("e-mail \"%1\" to %2 not sent: no mailer").arg(subject, recipients));
}

RuleEngine::RuleEngine(TRuleList &rules, RuleRows &rows) : m_rules(rules), m_rows(rows) {}

void RuleEngine::setHost(RuleActionHost *host)
{
    m_host = host ? host : &m_defaultHost;
}

void RuleEngine::setHangUp(DialUpHangUp *hangUp)
{
    m_hangUp = hangUp ? hangUp : &m_defaultHangUp;
}

void RuleEngine::setMailer(RuleMailer *mailer)
{
    m_mailer = mailer ? mailer : &m_defaultMailer;
}

QString RuleEngine::MatchText(const QString &displayName, int ruleNumber, const TRule &rule)
{
    QString phrase;
    switch (rule.EventKind) {
    case 1:
        phrase = QStringLiteral("sending a SYN event ");
        break;
    case 2:
        phrase = QStringLiteral("establishing 2 or more connections ");
        break;
    default:
        phrase = QStringLiteral("connecting to your computer ");
        break;
    }
    return displayName + QStringLiteral(" met rule #") + QString::number(ruleNumber) +
           QStringLiteral(" by ") + phrase + QStringLiteral("involving port ") + rule.Port +
           QLatin1Char('.');
}

QString RuleEngine::MailBody(const QDateTime &when, const QString &matchLines,
                             const QString &actionLines)
{
    const QString cr(QLatin1Char('\r'));
    return RuleLog::stamp(when) + cr + cr +
           QStringLiteral("This message is being brought to you by Wirevane Professional. "
                          "The criteria for a rule(s) has been met.") +
           cr + cr + matchLines + cr + cr +
           QStringLiteral("As a result, WVN is performing the following actions:") + cr + cr +
           actionLines;
}

int RuleEngine::countRowsWith(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    int count = 0;
    for (int k = 0; k < m_rows.RowCount(); ++k) {
        if (m_rows.KeyLine(k).contains(text) || m_rows.DisplayName(k).contains(text))
            ++count;
    }
    return count;
}

bool RuleEngine::matches(const TRule &rule, int row) const
{
    if (rule.WhoKind != 0) {
        if (rule.Address.isEmpty())
            return false;
        if (!m_rows.RemoteAddress(row).contains(rule.Address) &&
            !m_rows.DisplayName(row).contains(rule.Address))
            return false;
    }
    if (rule.EventKind == 1) {
        if (!m_rows.KeyLine(row).toLower().contains(QLatin1String("syn")))
            return false;
        DebugLog(QStringLiteral("r.action:A SYN was detected!"));
    } else if (rule.EventKind == 2) {
        if (countRowsWith(rule.Address) < 2)
            return false;
        DebugLog(QStringLiteral("r.action:Connect count for IP > 2!"));
    }
    if (rule.PortKind != 0 && rule.Port != m_rows.LocalPortText(row) &&
        rule.Port != m_rows.RemotePortText(row))
        return false;
    return true;
}

void RuleEngine::EvaluateRules()
{
    bool disconnect = false;
    bool askFirst = false;
    bool lookupOpened = false;
    bool mailPending = false;
    QString mailMatches;
    QString mailActions;
    QString mailTo;
    const QChar cr(QLatin1Char('\r'));

    // An action may open a window that lets other handlers run; rows and
    // rules are re-counted at every step so a changed table or list is never
    // overrun.
    for (int i = 0; i < m_rows.RowCount(); ++i) {
        for (int j = 0; j < m_rules.Count() && i < m_rows.RowCount(); ++j) {
            TRule &rule = *m_rules.Rule(j);
            rule.Number = j;
            if (rule.Enabled == 0 || rule.IgnoredThisSession == 1)
                continue;
            if (!matches(rule, i))
                continue;

            DebugLog(QStringLiteral("Doing a rule action"));
            const QString displayName = m_rows.DisplayName(i);
            const QString match = MatchText(displayName, j, rule);
            const TRuleActions actions = rule.Actions;
            if (actions.contains(raDisconnect)) {
                disconnect = true;
                askFirst = !actions.contains(raImmediate);
            }
            if (actions.contains(raLookup) && !lookupOpened) {
                m_host->OpenLookup(i, displayName);
                lookupOpened = true;
            }
            if (actions.contains(raLog))
                m_host->WriteLog(match);
            if (actions.contains(raMark))
                m_rows.MarkRow(i, true, j);
            if (actions.contains(raPlayWav))
                m_host->PlaySound(rule.WavFile);
            if (actions.contains(raLaunch))
                m_host->Launch(rule.LaunchFile);
            if (actions.contains(raAlert)) {
                if (!actions.contains(raPassiveAlert))
                    m_host->OpenAlert(rule.Message, j, i);
                m_host->SetAlertWaiting();
            }
            if (actions.contains(raEmail)) {
                mailMatches += match + cr;
                mailActions += rule.ActionsText() + cr;
                mailTo = rule.EmailTo;
                mailPending = true;
            }
        }
    }
    if (disconnect)
        m_hangUp->NetDisconnect(askFirst);
    if (mailPending)
        m_mailer->SendAlertMail(mailTo, MailSubject,
                                MailBody(QDateTime::currentDateTime(), mailMatches, mailActions));
}

} // namespace wv
