// wirevane-cli mail against the real server, a refusing one and none.
#include "settings/Paths.h"
#include "tests/rules/mail/MailTestServers.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace wv::test;

namespace {

using wv::test::CliRun;

// Runs the companion while this process's event loop keeps serving the
// scripted server.
CliRun cli(const QStringList &args, const QProcessEnvironment &env = {})
{
    wv::test::CliOptions options;
    options.timeoutMs = 30000;
    options.environment = env;
    return wv::test::runCli(QStringList{QStringLiteral("mail")} + args, options);
}

class MailCli : public HomeTest
{
};

} // namespace

TEST_F(MailCli, DeliversAndReportsEveryEvent)
{
    AioSmtpServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    const QString relay = QStringLiteral("127.0.0.1:%1").arg(server.port());
    const CliRun r =
        cli({"--to", "ops@example.org", "--to", "night@example.org|Night Desk", "--subject",
             "Port check", "--body", "line one\nline two", "--relay", relay, "--verbose"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("info 9: night@example.org\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("info 4: \n")));
    ASSERT_TRUE(server.waitForMessages(1));
    const QString data = server.messages().first()[QStringLiteral("data")].toString();
    EXPECT_TRUE(data.contains(QStringLiteral("Subject: Port check\r\n")));
    EXPECT_TRUE(data.contains(QStringLiteral("\r\n\r\nline one\r\nline two\r\n")));
}

TEST_F(MailCli, StartTlsWithUserAndPasswordFromTheEnvironment)
{
    static const TestCertificate cert;
    ASSERT_TRUE(cert.ok());
    AioSmtpServer server(QStringLiteral("starttls"), &cert, QStringLiteral("alice:pw"));
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WIREVANE_SMTP_PASSWORD"), QStringLiteral("pw"));
    const QStringList args{"--to",       "ops@example.org",
                           "--subject",  "s",
                           "--body",     "b",
                           "--relay",    QStringLiteral("127.0.0.1:%1").arg(server.port()),
                           "--security", "starttls",
                           "--user",     "alice"};
    // The system does not trust the test's certificate...
    CliRun r = cli(args, env);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("wirevane-cli mail: TLS error: ")))
        << r.err.toStdString();
    // ...until the program is told to.
    env.insert(QStringLiteral("WIREVANE_SMTP_CA_FILE"), cert.certFile());
    r = cli(args, env);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_TRUE(server.waitForMessages(1));
    EXPECT_EQ(server.messages().first()[QStringLiteral("auth")].toString(),
              QStringLiteral("alice"));
}

TEST_F(MailCli, FailsWithTheErrorWhenRefusedOrDown)
{
    ScriptedSmtpServer refusing([](const QByteArray &c) {
        return c.startsWith("MAIL") ? QByteArray("550 5.7.1 relaying denied\r\n")
                                    : ScriptedSmtpServer::usual(c);
    });
    CliRun r = cli({"--to", "a@example.org", "--subject", "s", "--body", "b", "--relay",
                    QStringLiteral("127.0.0.1:%1").arg(refusing.port())});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QStringLiteral(
                         "wirevane-cli mail: Unexpected response: 550 5.7.1 relaying denied\n"));

    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    r = cli({"--to", "a@example.org", "--subject", "s", "--body", "b", "--relay",
             QStringLiteral("127.0.0.1:%1").arg(port)});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QStringLiteral("wirevane-cli mail: Connection Refused\n"));

    // Bad input never reaches the network.
    EXPECT_EQ(cli({"--subject", "s", "--body", "b"}).code, 2);
    EXPECT_EQ(cli({"--to", "not an address", "--subject", "s", "--body", "b"}).code, 2);
    EXPECT_EQ(cli({"--to", "a@example.org", "--subject", "s"}).code, 2);
    EXPECT_EQ(
        cli({"--to", "a@example.org", "--subject", "s", "--body", "b", "--security", "ssl"}).code,
        2);
    EXPECT_EQ(
        cli({"--to", "a@example.org", "--subject", "s", "--body", "b", "--relay", "h:99999"}).code,
        2);
}

TEST_F(MailCli, RelayKeysThroughTheSettingsCommand)
{
    auto settings = [](const QStringList &args) {
        QProcess p;
        p.start(binDir() + QStringLiteral("/wirevane-cli"),
                QStringList{QStringLiteral("settings")} + args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return std::make_pair(
            p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    auto r = settings({"--set", "MailServer=smtp.example.org", "mailsecurity=starttls",
                       "MailUser=alice", "refreshdelay=30"});
    ASSERT_EQ(r.first, 0) << r.second.toStdString();
    EXPECT_TRUE(
        r.second.contains(QRegularExpression(QStringLiteral("MailServer +S +smtp.example.org"))));
    const QByteArray reg = readFile(wv::Paths::userFile(QStringLiteral("registry.ini")));
    EXPECT_TRUE(reg.contains("[WVN3PRO\\Mail]")) << reg.constData();
    EXPECT_TRUE(reg.contains("SMTP_Server=smtp.example.org"));
    EXPECT_TRUE(reg.contains("Security=starttls"));
    EXPECT_TRUE(reg.contains("RefreshDelay=30"));
    // A bad value names the key and writes nothing.
    r = settings({"--set", "MailPort=99999", "MailServer=other.example.org"});
    EXPECT_EQ(r.first, 2);
    EXPECT_TRUE(r.second.contains(QStringLiteral("MailPort: ")));
    EXPECT_FALSE(
        readFile(wv::Paths::userFile(QStringLiteral("registry.ini"))).contains("other.example"));
}
