#pragma once

#include <QDateTime>
#include <QString>

namespace wv {

class TRule;
class TRuleList;

// The rows of the connection table as the rules see them.
class RuleRows
{
public:
    virtual ~RuleRows() = default;
    virtual int RowCount() const = 0;
    virtual QString RemoteAddress(int row) const = 0;
    // The resolved host name, or the remote address while it is not resolved.
    virtual QString DisplayName(int row) const = 0;
    virtual QString LocalPortText(int row) const = 0;
    virtual QString RemotePortText(int row) const = 0;
    // Remote address, "*", local port, "*", remote port, "*", state name.
    virtual QString KeyLine(int row) const = 0;
    // Gives the row the asterisk image (on) or removes it, and attaches the
    // rule number that marked it.
    virtual void MarkRow(int row, bool on, int rule) = 0;
};

// What a match does beyond the table. The defaults write a debug-trace line
// (log, sound and launch do the real thing), so a headless pass runs as is.
class RuleActionHost
{
public:
    virtual ~RuleActionHost() = default;
    virtual void OpenLookup(int row, const QString &displayName);
    virtual void WriteLog(const QString &text);
    virtual void PlaySound(const QString &file);
    virtual void Launch(const QString &command);
    // The message alert window for a rule and a row.
    virtual void OpenAlert(const QString &message, int rule, int row);
    // The tray icon's alert-waiting state.
    virtual void SetAlertWaiting();
};

// Hangs up the dial-up connection, asking first when askFirst is set.
class DialUpHangUp
{
public:
    virtual ~DialUpHangUp() = default;
    virtual void NetDisconnect(bool askFirst);
};

// Sends the one e-mail of a pass.
class RuleMailer
{
public:
    virtual ~RuleMailer() = default;
    virtual void SendAlertMail(const QString &recipients, const QString &subject,
                               const QString &body);
};

// Runs every enabled rule over every row after a refresh. Every rule is
// tried on every row; a match never ends the pass. A hang-up and an e-mail
// are collected and done once after the pass.
class RuleEngine
{
public:
    static const QString MailSubject; // "WVN Alert"

    RuleEngine(TRuleList &rules, RuleRows &rows);

    // Null restores the default.
    void setHost(RuleActionHost *host);
    void setHangUp(DialUpHangUp *hangUp);
    void setMailer(RuleMailer *mailer);

    void EvaluateRules();
    DialUpHangUp &hangUp() { return *m_hangUp; }

    // "host met rule #2 by sending a SYN event involving port 80."
    static QString MatchText(const QString &displayName, int ruleNumber, const TRule &rule);
    // The body of the e-mail of a pass; matchLines and actionLines end each
    // line with a carriage return.
    static QString MailBody(const QDateTime &when, const QString &matchLines,
                            const QString &actionLines);

private:
    bool matches(const TRule &rule, int row) const;
    int countRowsWith(const QString &text) const;

    TRuleList &m_rules;
    RuleRows &m_rows;
    RuleActionHost m_defaultHost;
    DialUpHangUp m_defaultHangUp;
    RuleMailer m_defaultMailer;
    RuleActionHost *m_host = &m_defaultHost;
    DialUpHangUp *m_hangUp = &m_defaultHangUp;
    RuleMailer *m_mailer = &m_defaultMailer;
};

} // namespace wv
