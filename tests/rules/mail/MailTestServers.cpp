#include "tests/rules/mail/MailTestServers.h"

#include <QJsonDocument>
#include <QTcpSocket>
#include <QTest>

namespace wv::test {

namespace {

QString serverScript()
{
    return QStringLiteral(WV_SOURCE_DIR "/tests/rules/mail/smtp_server.py");
}

} // namespace

TestCertificate::TestCertificate()
{
    QProcess p;
    p.start(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
             QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
             keyFile(), QStringLiteral("-out"), certFile(), QStringLiteral("-days"),
             QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
             QStringLiteral("-addext"),
             QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1")});
    m_ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

AioSmtpServer::AioSmtpServer(const QString &security, const TestCertificate *cert,
                             const QString &auth)
    : m_process(std::make_unique<QProcess>())
{
    QStringList args{serverScript(), QStringLiteral("--security"), security};
    if (cert)
        args << QStringLiteral("--cert") << cert->certFile() << QStringLiteral("--key")
             << cert->keyFile();
    if (!auth.isEmpty())
        args << QStringLiteral("--auth") << auth;
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput, [this] { readOutput(); });
    // Debian's interpreter: the one that sees python3-aiosmtpd.
    m_process->start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process->waitForStarted(10000)) {
        m_error = QStringLiteral("python3 did not start");
        return;
    }
    for (int i = 0; i < 200 && m_port == 0 && m_process->state() == QProcess::Running; ++i)
        QTest::qWait(50);
    if (m_port == 0)
        m_error = QString::fromUtf8(m_process->readAllStandardError());
}

AioSmtpServer::~AioSmtpServer()
{
    m_process->closeWriteChannel(); // the server ends when its input closes
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

void AioSmtpServer::readOutput()
{
    m_pending += m_process->readAllStandardOutput();
    qsizetype nl;
    while ((nl = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(nl);
        m_pending.remove(0, nl + 1);
        if (line.startsWith("PORT "))
            m_port = static_cast<quint16>(line.mid(5).toUInt());
        else if (line.startsWith("MESSAGE "))
            m_messages.append(QJsonDocument::fromJson(line.mid(8)).object());
    }
}

const QList<QJsonObject> &AioSmtpServer::messages()
{
    return m_messages;
}

bool AioSmtpServer::waitForMessages(int n, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_messages.size() >= n; }, timeoutMs);
}

const QByteArray ScriptedSmtpServer::Close = "<close>";
const QByteArray ScriptedSmtpServer::Silent = "<silent>";

ScriptedSmtpServer::ScriptedSmtpServer(Script script, QByteArray greeting)
    : m_script(std::move(script)), m_greeting(std::move(greeting))
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedSmtpServer::onConnection);
}

QByteArray ScriptedSmtpServer::usual(const QByteArray &command)
{
    const QByteArray verb = command.left(4).toUpper();
    if (verb == "DATA")
        return "354 go ahead\r\n";
    if (verb == "QUIT")
        return "221 bye\r\n";
    return "250 OK\r\n";
}

QList<QByteArray> ScriptedSmtpServer::commands() const
{
    QList<QByteArray> out;
    for (qsizetype i = 0; i < m_received.size(); ++i) {
        if (!m_inData.at(i))
            out.append(m_received.at(i));
    }
    return out;
}

void ScriptedSmtpServer::onConnection()
{
    QTcpSocket *s = m_server.nextPendingConnection();
    if (!s)
        return;
    s->setParent(this);
    s->write(m_greeting);
    auto buffer = std::make_shared<QByteArray>();
    auto inData = std::make_shared<bool>(false);
    auto dataLines = std::make_shared<int>(0);
    connect(s, &QTcpSocket::readyRead, s, [=, this] {
        *buffer += s->readAll();
        qsizetype end;
        while ((end = buffer->indexOf("\r\n")) >= 0) {
            const QByteArray line = buffer->left(end);
            buffer->remove(0, end + 2);
            m_received.append(line);
            m_inData.append(*inData);
            QByteArray reply;
            if (*inData) {
                if (closeInData >= 0 && ++*dataLines >= closeInData) {
                    s->abort();
                    return;
                }
                if (line != ".")
                    continue;
                *inData = false;
                reply = m_script(line);
            } else {
                reply = m_script(line);
                if (line.toUpper() == "DATA" && reply.startsWith('3'))
                    *inData = true;
            }
            if (reply == Close) {
                s->disconnectFromHost();
                return;
            }
            if (reply != Silent)
                s->write(reply);
        }
    });
}

MailEvents::MailEvents(TSendMail &mail)
{
    QObject::connect(&mail, &TSendMail::OnMailInfo, [this](int code, const QString &text) {
        infos.append({code, text});
    });
    QObject::connect(&mail, &TSendMail::OnMailError, [this](int code, const QString &text) {
        errors.append({code, text});
    });
    QObject::connect(&mail, &TSendMail::completed, [this](bool sent) {
        ++completions;
        lastSent = sent;
    });
}

QStringList MailEvents::withCode(int code) const
{
    QStringList out;
    for (const auto &[c, text] : infos) {
        if (c == code)
            out.append(text);
    }
    return out;
}

QStringList MailEvents::sent() const
{
    return withCode(TSendMail::InfoSending);
}

bool MailEvents::waitForCompletion(int n, int timeoutMs)
{
    return QTest::qWaitFor([&] { return completions >= n; }, timeoutMs);
}

} // namespace wv::test
