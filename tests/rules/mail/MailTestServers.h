#pragma once

#include "rules/mail/TSendMail.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace wv::test {

// A self-signed certificate for "localhost" and 127.0.0.1 made with
// openssl req -x509 for this test run; the system does not trust it.
class TestCertificate
{
public:
    TestCertificate();
    bool ok() const { return m_ok; }
    QString certFile() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    QString keyFile() const { return m_dir.filePath(QStringLiteral("key.pem")); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// The real SMTP server of the tests: aiosmtpd on a loopback port, started by
// Debian's /usr/bin/python3. Messages it accepted arrive in messages().
class AioSmtpServer
{
public:
    // security: "none", "starttls" or "tls"; auth: "user:password" or empty.
    explicit AioSmtpServer(const QString &security = QStringLiteral("none"),
                           const TestCertificate *cert = nullptr, const QString &auth = QString());
    ~AioSmtpServer();
    // 0 when it could not be started (the reason in error()).
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }
    const QList<QJsonObject> &messages();
    // Waits (running the event loop) until n messages have arrived.
    bool waitForMessages(int n, int timeoutMs = 15000);

private:
    void readOutput();
    std::unique_ptr<QProcess> m_process;
    QByteArray m_pending;
    QList<QJsonObject> m_messages;
    quint16 m_port = 0;
    QString m_error;
};

// A scripted server that answers as told, for the replies a good server
// never gives. Every line it receives is kept, DATA lines included.
class ScriptedSmtpServer : public QObject
{
    Q_OBJECT
public:
    // What to do with a received command: reply bytes (each line ended with
    // CR LF here), Close to hang up, Silent to say nothing.
    static const QByteArray Close;
    static const QByteArray Silent;
    using Script = std::function<QByteArray(const QByteArray &command)>;

    explicit ScriptedSmtpServer(Script script, QByteArray greeting = "220 scripted ready\r\n");
    quint16 port() const { return m_server.serverPort(); }
    const QList<QByteArray> &received() const { return m_received; }
    QList<QByteArray> commands() const; // received lines outside DATA
    // Hang up after this many lines of DATA (-1: never).
    int closeInData = -1;

    // The usual good answers to anything not scripted.
    static QByteArray usual(const QByteArray &command);

private:
    void onConnection();
    QTcpServer m_server;
    Script m_script;
    QByteArray m_greeting;
    QList<QByteArray> m_received;
    QList<bool> m_inData;
};

// Records what a mail reports.
struct MailEvents
{
    explicit MailEvents(TSendMail &mail);
    QList<std::pair<int, QString>> infos, errors;
    int completions = 0;
    bool lastSent = false;
    QStringList sent() const; // texts of info 2, in order
    QStringList withCode(int code) const;
    // Waits until n mails have ended.
    bool waitForCompletion(int n = 1, int timeoutMs = 20000);
};

} // namespace wv::test
