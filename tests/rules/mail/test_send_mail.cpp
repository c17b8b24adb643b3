// The SMTP client against a real server (aiosmtpd on a loopback port, plain,
// STARTTLS and TLS with a certificate made for the run) and against a
// scripted server that answers wrongly.
#include "rules/mail/TSendMail.h"
#include "tests/rules/mail/MailTestServers.h"

#include <QJsonArray>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

void address(TSendMail &m, quint16 port, const QString &host = QStringLiteral("127.0.0.1"))
{
    m.SMTP_Server = host;
    m.SMTP_Port = port;
    m.FROM_Name = QStringLiteral("Wirevane email notification");
    m.FROM_Address = QStringLiteral("wirevane@example.org");
    m.LocalHostName = QStringLiteral("monitor.example.org");
}

QString dump(const MailEvents &e)
{
    QString out;
    for (const auto &[c, t] : e.infos)
        out += QStringLiteral("info %1 %2\n").arg(c).arg(t);
    for (const auto &[c, t] : e.errors)
        out += QStringLiteral("error %1 %2\n").arg(c).arg(t);
    return out;
}

const TestCertificate &certificate()
{
    static const TestCertificate cert;
    return cert;
}

} // namespace

TEST(SendMail, DeliversToEveryRecipientInOrderAndGoesOnPastARefusal)
{
    AioSmtpServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    TSendMail mail;
    MailEvents events(mail);
    address(mail, server.port());
    mail.ListTo = QStringList{QStringLiteral("first@example.org"),
                              QStringLiteral("refused@example.org|Caf\u00e9 Desk"),
                              QStringLiteral("third@example.org|Third Person")};
    mail.Listcc = QStringList{QStringLiteral("copy@example.org")};
    mail.ListBcc = QStringList{QStringLiteral("hidden@example.org")};
    mail.Subject = QStringLiteral("[WVN] WVN Alert");
    mail.MailText = QStringList{QStringLiteral("12/9/26 8:00:00 AM"), QString(),
                                QStringLiteral("host met rule #0"), QStringLiteral(".leading dot")};
    mail.setAction(1);
    ASSERT_TRUE(events.waitForCompletion()) << dump(events).toStdString();
    EXPECT_TRUE(events.lastSent) << dump(events).toStdString();
    EXPECT_TRUE(events.errors.isEmpty());
    ASSERT_TRUE(server.waitForMessages(1));

    const QJsonObject msg = server.messages().first();
    EXPECT_EQ(msg[QStringLiteral("mail_from")].toString(), QStringLiteral("wirevane@example.org"));
    const QJsonArray rcpt = msg[QStringLiteral("rcpt_tos")].toArray();
    ASSERT_EQ(rcpt.size(), 4);
    EXPECT_EQ(rcpt[0].toString(), QStringLiteral("first@example.org"));
    EXPECT_EQ(rcpt[1].toString(), QStringLiteral("third@example.org"));
    EXPECT_EQ(rcpt[2].toString(), QStringLiteral("copy@example.org"));
    EXPECT_EQ(rcpt[3].toString(), QStringLiteral("hidden@example.org"));
    EXPECT_EQ(events.withCode(TSendMail::InfoRecipientRefused),
              QStringList{QStringLiteral("refused@example.org")});

    // RCPT commands in list order, then DATA.
    QStringList envelope;
    for (const QString &s : events.sent()) {
        if (s.startsWith(QStringLiteral("RCPT")) || s == QStringLiteral("DATA"))
            envelope.append(s);
    }
    EXPECT_EQ(envelope, QStringList({"RCPT TO:<first@example.org>", "RCPT TO:<refused@example.org>",
                                     "RCPT TO:<third@example.org>", "RCPT TO:<copy@example.org>",
                                     "RCPT TO:<hidden@example.org>", "DATA"}));
    EXPECT_EQ(events.sent().first(), QStringLiteral("HELO monitor.example.org"));

    const QString data = msg[QStringLiteral("data")].toString();
    EXPECT_TRUE(data.startsWith(
        QStringLiteral("From: Wirevane email notification <wirevane@example.org>\r\n"
                       "To: first@example.org;\r\n"
                       "To: =?ISO-8859-1?Q?Caf=E9_Desk?= <refused@example.org>\r\n"
                       "To: Third Person <third@example.org>\r\n"
                       "cc: copy@example.org\r\n"
                       "Subject: [WVN] WVN Alert\r\n"
                       "Date: ")))
        << data.toStdString();
    EXPECT_FALSE(data.contains(QStringLiteral("hidden@")));
    EXPECT_TRUE(data.contains(QStringLiteral("\r\nMessage-ID: <")));
    EXPECT_TRUE(data.contains(QStringLiteral(
        "Mime-Version: 1.0\r\nContent-Type: text/plain; charset=\"us-ascii\"\r\n\r\n")));
    EXPECT_FALSE(data.contains(QStringLiteral("Content-Transfer-Encoding")));
    // The server took the stuffed dot off again: the body arrives as written.
    EXPECT_TRUE(data.endsWith(QStringLiteral(
        "\r\n\r\n12/9/26 8:00:00 AM\r\n\r\nhost met rule #0\r\n.leading dot\r\n\r\n")))
        << data.toStdString();
    EXPECT_EQ(events.withCode(TSendMail::InfoMailSent).size(), 1);
    EXPECT_EQ(events.withCode(TSendMail::InfoDisconnected).size(), 1);
    // A mail ends with its envelope recipient cleared.
    EXPECT_TRUE(mail.TO_Address.isEmpty());
    EXPECT_FALSE(mail.busy());
}

TEST(SendMail, BodyBeyondAsciiGoesQuotedPrintable)
{
    AioSmtpServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    TSendMail mail;
    MailEvents events(mail);
    address(mail, server.port());
    mail.ListTo = QStringList{QStringLiteral("a@example.org")};
    mail.Subject = QStringLiteral("[WVN] WVN Alert");
    mail.MailText = QStringList{QStringLiteral("h\u00f4te.example met rule #1")};
    mail.setAction(1);
    ASSERT_TRUE(events.waitForCompletion());
    ASSERT_TRUE(server.waitForMessages(1)) << dump(events).toStdString();
    const QString data = server.messages().first()[QStringLiteral("data")].toString();
    EXPECT_TRUE(data.contains(QStringLiteral("Content-Type: text/plain; charset=\"utf-8\"\r\n"
                                             "Content-Transfer-Encoding: quoted-printable\r\n")));
    EXPECT_TRUE(data.contains(QStringLiteral("h=C3=B4te.example met rule #1\r\n")));
    EXPECT_EQ(events.withCode(TSendMail::InfoBodyLength),
              QStringList{QString::number(QByteArray("h=C3=B4te.example met rule #1\r\n").size())});
}

TEST(SendMail, StartTlsAndTlsWithAuthenticationDeliver)
{
    ASSERT_TRUE(certificate().ok());
    for (const QString &security : {QStringLiteral("starttls"), QStringLiteral("tls")}) {
        SCOPED_TRACE(security.toStdString());
        AioSmtpServer server(security, &certificate(), QStringLiteral("alice:s3cret pw"));
        ASSERT_NE(server.port(), 0) << server.error().toStdString();
        TSendMail mail;
        MailEvents events(mail);
        address(mail, server.port(), QStringLiteral("127.0.0.1"));
        parseSecurity(security, mail.Security);
        mail.UserName = QStringLiteral("alice");
        mail.Password = QStringLiteral("s3cret pw");
        mail.CaFile = certificate().certFile();
        mail.ListTo = QStringList{QStringLiteral("a@example.org")};
        mail.Subject = QStringLiteral("[WVN] WVN Alert");
        mail.MailText = QStringList{QStringLiteral("over TLS")};
        mail.setAction(1);
        ASSERT_TRUE(events.waitForCompletion());
        EXPECT_TRUE(events.lastSent) << dump(events).toStdString();
        ASSERT_TRUE(server.waitForMessages(1));
        EXPECT_TRUE(server.messages().first()[QStringLiteral("tls")].toBool());
        EXPECT_EQ(server.messages().first()[QStringLiteral("auth")].toString(),
                  QStringLiteral("alice"));
        // EHLO, not HELO; the password never shows in the trace.
        EXPECT_TRUE(events.sent().first().startsWith(QStringLiteral("EHLO ")));
        EXPECT_EQ(events.sent().contains(QStringLiteral("STARTTLS")), security == "starttls");
        EXPECT_FALSE(dump(events).contains(QStringLiteral("s3cret")));
        EXPECT_FALSE(dump(events).contains(QByteArray("\0alice\0s3cret pw", 16).toBase64()));
    }
}

TEST(SendMail, UntrustedCertificateFailsWithTheReasonAndSendsNothing)
{
    ASSERT_TRUE(certificate().ok());
    for (const QString &security : {QStringLiteral("starttls"), QStringLiteral("tls")}) {
        SCOPED_TRACE(security.toStdString());
        AioSmtpServer server(security, &certificate());
        ASSERT_NE(server.port(), 0) << server.error().toStdString();
        TSendMail mail;
        MailEvents events(mail);
        address(mail, server.port(), QStringLiteral("127.0.0.1"));
        parseSecurity(security, mail.Security);
        mail.ListTo = QStringList{QStringLiteral("a@example.org")};
        mail.MailText = QStringList{QStringLiteral("secret body")};
        mail.setAction(1);
        ASSERT_TRUE(events.waitForCompletion());
        EXPECT_FALSE(events.lastSent);
        ASSERT_EQ(events.errors.size(), 1) << dump(events).toStdString();
        EXPECT_EQ(events.errors[0].first, TSendMail::ErrTls);
        EXPECT_TRUE(events.errors[0].second.startsWith(QStringLiteral("TLS error: ")));
        EXPECT_TRUE(
            events.errors[0].second.contains(QStringLiteral("self signed"), Qt::CaseInsensitive) ||
            events.errors[0].second.contains(QStringLiteral("self-signed"), Qt::CaseInsensitive))
            << events.errors[0].second.toStdString();
        for (const QString &s : events.sent())
            EXPECT_FALSE(s.startsWith(QStringLiteral("MAIL")) ||
                         s.startsWith(QStringLiteral("AUTH")))
                << s.toStdString();
        EXPECT_EQ(mail.statusCode(), TSendMail::ErrTls);
        QTest::qWait(100);
        EXPECT_TRUE(server.messages().isEmpty());
    }
}

TEST(SendMail, RefusesWhatCannotGoOut)
{
    // No recipient at all.
    {
        TSendMail mail;
        MailEvents events(mail);
        address(mail, 25);
        mail.setAction(1);
        ASSERT_TRUE(events.waitForCompletion());
        ASSERT_EQ(events.errors.size(), 1);
        EXPECT_EQ(events.errors[0], std::make_pair(18, QStringLiteral("Mail Destination Error")));
    }
    // A user name without TLS: the password would travel in clear text.
    {
        TSendMail mail;
        MailEvents events(mail);
        address(mail, 25);
        mail.ListTo = QStringList{QStringLiteral("a@example.org")};
        mail.UserName = QStringLiteral("alice");
        mail.setAction(1);
        ASSERT_TRUE(events.waitForCompletion());
        ASSERT_EQ(events.errors.size(), 1);
        EXPECT_EQ(events.errors[0].first, TSendMail::ErrAuth);
        EXPECT_TRUE(events.infos.isEmpty()); // not even a lookup
    }
    // Nobody listens on the port.
    {
        quint16 port;
        {
            QTcpServer probe;
            ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        TSendMail mail;
        MailEvents events(mail);
        address(mail, port);
        mail.ListTo = QStringList{QStringLiteral("a@example.org")};
        mail.setAction(1);
        ASSERT_TRUE(events.waitForCompletion());
        ASSERT_EQ(events.errors.size(), 1);
        EXPECT_EQ(events.errors[0], std::make_pair(12, QStringLiteral("Connection Refused")));
        EXPECT_EQ(events.withCode(TSendMail::InfoResolving), QStringList{"127.0.0.1"});
        EXPECT_EQ(events.withCode(TSendMail::InfoConnecting), QStringList{"127.0.0.1"});
    }
}

TEST(SendMail, BusyRefusesASecondMailAndAbortEndsTheFirst)
{
    ScriptedSmtpServer server([](const QByteArray &c) {
        return c.startsWith("MAIL") ? ScriptedSmtpServer::Silent : ScriptedSmtpServer::usual(c);
    });
    TSendMail mail;
    MailEvents events(mail);
    address(mail, server.port());
    mail.ListTo = QStringList{QStringLiteral("a@example.org")};
    mail.setAction(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.commands().size() >= 2; }, 10000));
    mail.ListTo = QStringList{QStringLiteral("b@example.org")};
    mail.setAction(1);
    EXPECT_EQ(events.withCode(TSendMail::InfoBusy), QStringList{QString()});
    mail.setAction(2);
    ASSERT_TRUE(events.waitForCompletion());
    EXPECT_FALSE(events.lastSent);
    EXPECT_EQ(mail.statusCode(), TSendMail::StatusAborted);
    EXPECT_TRUE(events.errors.isEmpty());
    EXPECT_TRUE(mail.ListTo.isEmpty());
    EXPECT_FALSE(mail.busy());
}

// Wrong answers: each ends the mail with the reply, or the right error.
struct BadServerCase
{
    const char *name;
    std::function<QByteArray(const QByteArray &)> script;
    int closeInData;
    int code;
    const char *text;
    const char *lastCommand; // the last command the server got
    MailSecurity security = MailSecurity::None;
};

class BadServer : public ::testing::TestWithParam<BadServerCase>
{
};

TEST_P(BadServer, EndsTheMailWithTheReply)
{
    const BadServerCase &c = GetParam();
    ScriptedSmtpServer server(c.script);
    server.closeInData = c.closeInData;
    TSendMail mail;
    mail.TimeoutReply = 500;
    mail.Security = c.security;
    MailEvents events(mail);
    address(mail, server.port());
    mail.ListTo = QStringList{QStringLiteral("a@example.org")};
    mail.MailText = QStringList{QStringLiteral("line one"), QStringLiteral("line two")};
    mail.setAction(1);
    ASSERT_TRUE(events.waitForCompletion());
    EXPECT_FALSE(events.lastSent);
    ASSERT_EQ(events.errors.size(), 1) << dump(events).toStdString();
    EXPECT_EQ(events.errors[0], std::make_pair(c.code, QString::fromLatin1(c.text)));
    QTest::qWait(50);
    ASSERT_FALSE(server.commands().isEmpty());
    EXPECT_EQ(server.commands().last(), QByteArray(c.lastCommand));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BadServer,
    ::testing::Values(BadServerCase{"HeloRefused",
                                    [](const QByteArray &c) {
                                        return c.startsWith("HELO")
                                                   ? QByteArray("554 5.7.1 go away\r\n")
                                                   : ScriptedSmtpServer::usual(c);
                                    },
                                    -1, 13, "Unexpected response: 554 5.7.1 go away",
                                    "HELO monitor.example.org"},
                      BadServerCase{"MailFromBusy",
                                    [](const QByteArray &c) {
                                        return c.startsWith("MAIL")
                                                   ? QByteArray("451 4.3.0 try later\r\n")
                                                   : ScriptedSmtpServer::usual(c);
                                    },
                                    -1, 13, "Unexpected response: 451 4.3.0 try later",
                                    "MAIL FROM:<wirevane@example.org>"},
                      BadServerCase{"DataRefused",
                                    [](const QByteArray &c) {
                                        return c == "DATA"
                                                   ? QByteArray("554 no valid recipients\r\n")
                                                   : ScriptedSmtpServer::usual(c);
                                    },
                                    -1, 13, "Unexpected response: 554 no valid recipients", "DATA"},
                      BadServerCase{"DisconnectInData", ScriptedSmtpServer::usual, 3, 17,
                                    "Prematurely Disconnected", "DATA"},
                      BadServerCase{"Silence",
                                    [](const QByteArray &c) {
                                        return c.startsWith("RCPT") ? ScriptedSmtpServer::Silent
                                                                    : ScriptedSmtpServer::usual(c);
                                    },
                                    -1, 8, "timeout", "RCPT TO:<a@example.org>"},
                      BadServerCase{"NoStartTlsOffered", ScriptedSmtpServer::usual, -1, 20,
                                    "TLS error: the server does not offer STARTTLS",
                                    "EHLO monitor.example.org", MailSecurity::StartTls}),
    [](const ::testing::TestParamInfo<BadServerCase> &i) { return std::string(i.param.name); });

TEST(SendMail, MultiLineReplyAdvancesOnceAndLongCommandsAreCut)
{
    ScriptedSmtpServer server([](const QByteArray &c) {
        if (c.startsWith("HELO"))
            return QByteArray("250-first\r\n250-second\r\n250 last\r\n");
        return ScriptedSmtpServer::usual(c);
    });
    TSendMail mail;
    MailEvents events(mail);
    address(mail, server.port());
    const QString longAddress = QString(300, QLatin1Char('x')) + QStringLiteral("@example.org");
    mail.ListTo = QStringList{QStringLiteral("a@example.org"), longAddress};
    mail.MailText = QStringList{QStringLiteral("body")};
    mail.setAction(1);
    ASSERT_TRUE(events.waitForCompletion());
    EXPECT_TRUE(events.lastSent) << dump(events).toStdString();
    const QList<QByteArray> cmds = server.commands();
    ASSERT_GE(cmds.size(), 6);
    EXPECT_EQ(cmds[0], QByteArray("HELO monitor.example.org"));
    EXPECT_EQ(cmds[1], QByteArray("MAIL FROM:<wirevane@example.org>"));
    EXPECT_EQ(cmds[2], QByteArray("RCPT TO:<a@example.org>"));
    EXPECT_EQ(cmds[3].size(), 253);
    EXPECT_TRUE(cmds[3].startsWith("RCPT TO:<xxx"));
    EXPECT_EQ(cmds[4], QByteArray("DATA"));
    EXPECT_EQ(cmds.count(QByteArray("MAIL FROM:<wirevane@example.org>")), 1);
    // The header line of the long address is cut as well.
    bool cutHeader = false;
    for (const QByteArray &line : server.received())
        cutHeader |= line.startsWith("To: xxx") && line.size() == 253;
    EXPECT_TRUE(cutHeader);
}

TEST(SendMail, NoGoodbyeAfterQuitIsStillASentMail)
{
    ScriptedSmtpServer server([](const QByteArray &c) {
        return c == "QUIT" ? ScriptedSmtpServer::Silent : ScriptedSmtpServer::usual(c);
    });
    TSendMail mail;
    mail.TimeoutReply = 300;
    MailEvents events(mail);
    address(mail, server.port());
    mail.ListTo = QStringList{QStringLiteral("a@example.org")};
    mail.setAction(1);
    ASSERT_TRUE(events.waitForCompletion());
    EXPECT_TRUE(events.lastSent);
    EXPECT_TRUE(events.errors.isEmpty()) << dump(events).toStdString();
    EXPECT_EQ(events.withCode(TSendMail::InfoDisconnected).size(), 1);
    // The next mail starts afresh.
    mail.ListTo = QStringList{QStringLiteral("b@example.org")};
    mail.setAction(1);
    ASSERT_TRUE(events.waitForCompletion(2));
    EXPECT_TRUE(events.lastSent);
    EXPECT_TRUE(server.commands().contains("RCPT TO:<b@example.org>"));
}
