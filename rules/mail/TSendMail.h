#pragma once

#include "rules/mail/MailRelay.h"
#include "rules/mail/MailText.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class QSslSocket;
class QHostInfo;

namespace wv {

// The SMTP client that sends the alert e-mail: one relay, one message at a
// time, driven by socket events on the caller's thread (no thread, no
// blocking wait).
//
// Setting Action to 1 starts a mail and returns at once; the dialogue then
// runs on later events and reports through OnMailInfo and OnMailError with
// the codes below. While a mail is under way a new start is refused with
// info 13.
//
// Beyond plain SMTP the relay may ask for TLS (STARTTLS after EHLO, or TLS
// from the first byte, the certificate verified against the system's store
// plus CaFile) and authentication (AUTH PLAIN or LOGIN, only over TLS). A
// TLS failure ends the mail; nothing is ever sent in clear text instead.
class TSendMail : public QObject
{
    Q_OBJECT
public:
    static const QString Version; // "SendMail 1.3.9"

    enum Info
    {
        InfoConnected = 0,
        InfoLineReceived = 1,
        InfoSending = 2,
        InfoDisconnected = 3,
        InfoMailSent = 4,
        InfoRecipientRefused = 8,
        InfoRecipientSent = 9,
        InfoBodyLength = 10,
        InfoBodySent = 11,
        InfoBusy = 13,
        InfoConnecting = 14,
        InfoResolving = 15,
    };
    enum Error
    {
        ErrWinsock = 1,
        ErrNetworkDown = 2,
        ErrInvalidAddress = 3,
        ErrInternal = 4,
        ErrGeneral = 5,
        ErrConnectionAborted = 6,
        ErrConnectionReset = 7,
        ErrTimeout = 8,
        ErrOutOfSockets = 9,
        ErrNetworkUnreachable = 10,
        ErrAddressNotAvailable = 11,
        ErrConnectionRefused = 12,
        ErrUnexpectedResponse = 13,
        StatusAborted = 14,
        ErrUnknown = 15,
        ErrResolve = 16,
        ErrPrematureDisconnect = 17,
        ErrDestination = 18,
        ErrHostUnreachable = 19,
        // Not in the classic component: the secured and authenticated relay.
        ErrTls = 20,
        ErrAuth = 21,
    };

    explicit TSendMail(QObject *parent = nullptr);
    ~TSendMail() override;

    // What the message is and where it goes.
    QString SMTP_Server;
    quint16 SMTP_Port = 25;
    QString FROM_Name;
    QString FROM_Address;
    QString TO_Name;
    QString TO_Address;
    QString Subject;
    QStringList MailText;
    QStringList ListTo;
    QStringList Listcc;
    QStringList ListBcc;
    QStringList Headers;
    // Milliseconds the connection attempt may take (0: the system's limit).
    int TimeoutConnect = 0;

    // The secured relay.
    MailSecurity Security = MailSecurity::None;
    QString UserName; // empty: no AUTH
    QString Password;
    QString CaFile; // PEM certificates trusted beside the system's store
    // Milliseconds to wait for the server's next reply before the mail fails
    // with error 8; a silent server would otherwise keep every later mail
    // out for good. 0 waits for ever.
    int TimeoutReply = 60000;
    // The name given in HELO/EHLO; empty: this machine's host name.
    QString LocalHostName;

    // 1 starts the mail, 2 aborts it.
    void setAction(int action);
    bool busy() const { return m_busy; }
    // Whether the last mail was accepted by the server.
    bool sent() const { return m_done; }
    // Code of the last failure (14 after an abort), 0 when none.
    int statusCode() const { return m_status; }
    int state() const { return m_state; }

Q_SIGNALS:
    void OnMailInfo(int code, const QString &text);
    void OnMailError(int code, const QString &text);
    // The mail has ended (after the completion message): sent or not.
    void completed(bool sent);

private:
    enum class Phase
    {
        Smtp,         // the numbered states of the dialogue
        Ehlo,         // waiting for the EHLO reply
        StartTls,     // waiting for the reply to STARTTLS
        Handshake,    // TLS handshake under way
        AuthPlain,    // waiting for 235
        AuthLogin,    // waiting for 334 (user name asked)
        AuthLoginPw,  // waiting for 334 (password asked)
        AuthLoginEnd, // waiting for 235
    };

    void start();
    void abort(int status);
    void fail(int code, const QString &text);
    void postCompletion();
    void completion();

    void hostFound(const QHostInfo &info);
    void connectNext();
    void socketConnected();
    void socketEncrypted();
    void socketReadyRead();
    void socketDisconnected();
    void socketError(QAbstractSocket::SocketError error);
    void replyTimedOut();

    void handleLine(const QString &line);
    void handlePhase(const QString &line);
    void actOnState();
    void sendEhlo();
    void afterEhlo();
    void startMail();
    void sendRecipient();
    void sendMessage();
    // Sends text + CR LF, cut to 253 characters; shown is what info 2
    // reports (credentials are never traced).
    void sendLine(const QString &text);
    void sendSecret(const QByteArray &line, const QString &shown);
    void sendBytes(const QByteArray &bytes);
    void armReplyTimer();
    QString helloName() const;
    QStringList *list(int n);
    int lastIndex(int n);
    int nextList(int after);

    QPointer<QSslSocket> m_socket;
    QTimer m_replyTimer;
    mail::LineBuffer m_buffer;
    mail::EhloExtensions m_ext;
    QList<QHostAddress> m_addresses;
    int m_addressIndex = 0;
    int m_lookupId = -1;
    bool m_connected = false;
    bool m_busy = false;
    bool m_aborted = false;
    bool m_done = false;
    bool m_completionPosted = false;
    bool m_handling = false;
    int m_status = 0;
    int m_state = 0;
    Phase m_phase = Phase::Smtp;
    int m_ehloLines = 0;
    QStringList m_sslErrors;
    QString m_current;
    int m_list = 1;
    int m_index = -1;
    int m_used[3] = {0, 0, 0};
};

} // namespace wv
