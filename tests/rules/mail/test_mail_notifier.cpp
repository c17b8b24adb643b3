// The e-mail of a rules pass: the relay from the settings, the trace and log
// lines, the password store, and a rule matched by a loopback connection in
// a real refresh that delivers its alert to a real SMTP server.
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "refresh/TableRules.h"
#include "rules/RuleList.h"
#include "rules/RuleLog.h"
#include "rules/mail/MailNotifier.h"
#include "rules/mail/MailPassword.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"
#include "tests/rules/mail/MailTestServers.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

class MailNotifierTest : public HomeTest
{
protected:
    void SetUp() override
    {
        debugTrace().setEnabled(true);
        debugTrace().clear();
    }
    void TearDown() override { debugTrace().setEnabled(false); }

    void relayTo(quint16 port, MailSecurity security = MailSecurity::None,
                 const QString &user = QString())
    {
        MailRelay relay;
        relay.host = QStringLiteral("127.0.0.1");
        relay.port = port;
        relay.security = security;
        relay.user = user;
        relay.fromAddress = QStringLiteral("monitor@example.org");
        ASSERT_TRUE(relay.write(registry));
    }
    RegistryStore registry;
};

} // namespace

TEST_F(MailNotifierTest, RelaySettingsKeepTheirOwnKeyAndDefaults)
{
    MailRelay fresh = MailRelay::read(registry);
    EXPECT_EQ(fresh.host, QStringLiteral("localhost"));
    EXPECT_EQ(fresh.effectivePort(), 25);
    EXPECT_EQ(fresh.fromName, QStringLiteral("Wirevane email notification"));
    EXPECT_TRUE(fresh.effectiveFromAddress().startsWith(QStringLiteral("wirevane@")));

    MailRelay r;
    r.host = QStringLiteral("smtp.example.org");
    r.security = MailSecurity::StartTls;
    r.user = QStringLiteral("alice");
    ASSERT_TRUE(r.write(registry));
    EXPECT_EQ(MailRelay::read(RegistryStore()), r);
    EXPECT_EQ(r.effectivePort(), 587);
    r.security = MailSecurity::Tls;
    EXPECT_EQ(r.effectivePort(), 465);
    EXPECT_TRUE(registry.keyExists(QStringLiteral("WVN3PRO\\Mail")));
    EXPECT_FALSE(
        registry.valueExists(QStringLiteral("WVN3PRO\\Settings"), QStringLiteral("SMTP_Server")));

    // The companion's keys check what they take.
    const MailRelayKey *port = findMailRelayKey(QStringLiteral("mailport"));
    ASSERT_NE(port, nullptr);
    EXPECT_FALSE(port->set(r, QStringLiteral("70000")).isEmpty());
    EXPECT_TRUE(port->set(r, QStringLiteral("2525")).isEmpty());
    EXPECT_EQ(r.port, 2525);
    EXPECT_FALSE(findMailRelayKey(QStringLiteral("MailSecurity"))->set(r, "ssl").isEmpty());
    EXPECT_FALSE(findMailRelayKey(QStringLiteral("MailFromAddress"))->set(r, "a b@c").isEmpty());
    EXPECT_EQ(findMailRelayKey(QStringLiteral("nothing")), nullptr);
}

TEST_F(MailNotifierTest, PasswordFileIsTheUsersAlone)
{
    const QString path = MailPassword::filePath();
    QString error;
    ASSERT_TRUE(
        MailPassword::writeFile(QStringLiteral("alice@host"), QStringLiteral("p w=\n1"), &error))
        << error.toStdString();
    ASSERT_TRUE(MailPassword::writeFile(QStringLiteral("bob@host"), QStringLiteral("two"), &error));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & others, QFileDevice::Permissions());
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadOwner);
    EXPECT_EQ(MailPassword::readFile(QStringLiteral("alice@host")), QStringLiteral("p w=\n1"));
    EXPECT_FALSE(readFile(path).contains("p w"));
    ASSERT_TRUE(MailPassword::writeFile(QStringLiteral("alice@host"), QString(), &error));
    EXPECT_TRUE(MailPassword::readFile(QStringLiteral("alice@host")).isEmpty());
    EXPECT_EQ(MailPassword::readFile(QStringLiteral("bob@host")), QStringLiteral("two"));

    MailRelay relay;
    relay.user = QStringLiteral("carol");
    ASSERT_TRUE(MailPassword::writeNow(relay, QStringLiteral("c"), &error));
    EXPECT_EQ(MailPassword::readNow(relay), QStringLiteral("c"));
    // Never in the registry file.
    EXPECT_FALSE(readFile(registry.file().path()).contains("carol"));
}

TEST_F(MailNotifierTest, FailureGoesToTheTraceAndTheLogFile)
{
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    relayTo(port);
    MailNotifier notifier(registry);
    int ended = 0;
    QObject::connect(&notifier, &MailNotifier::finished, [&](bool) { ++ended; });
    notifier.SendEmailNotification(QStringLiteral("ops@example.org"), QStringLiteral("WVN Alert"),
                                   QStringLiteral("body"));
    // A second mail while the first is under way is refused, and leaves the
    // first one's recipients alone.
    notifier.SendEmailNotification(QStringLiteral("other@example.org"), QStringLiteral("WVN Alert"),
                                   QStringLiteral("body"));
    EXPECT_EQ(notifier.SendMail().ListTo, QStringList{QStringLiteral("ops@example.org")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended == 1; }, 20000));
    const QString trace = debugTrace().text();
    EXPECT_EQ(trace.count(QStringLiteral("SendEmailNotification;")), 2);
    EXPECT_TRUE(trace.contains(QStringLiteral("Mail info: 127.0.0.1")));
    EXPECT_TRUE(trace.contains(QStringLiteral("Mail error: Connection Refused")));
    EXPECT_TRUE(QString::fromUtf8(readFile(RuleLog::defaultPath()))
                    .contains(QStringLiteral(": Mail error: Connection Refused\r\n")));
}

TEST_F(MailNotifierTest, PasswordFromTheStoreLogsIn)
{
    static const TestCertificate cert;
    ASSERT_TRUE(cert.ok());
    AioSmtpServer server(QStringLiteral("starttls"), &cert, QStringLiteral("alice:pw"));
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    relayTo(server.port(), MailSecurity::StartTls, QStringLiteral("alice"));
    MailRelay relay = MailRelay::read(registry);
    relay.caFile = cert.certFile();
    ASSERT_TRUE(relay.write(registry));
    ASSERT_TRUE(MailPassword::writeNow(relay, QStringLiteral("pw")));
    MailNotifier notifier(registry);
    bool sent = false;
    int ended = 0;
    QObject::connect(&notifier, &MailNotifier::finished, [&](bool ok) {
        sent = ok;
        ++ended;
    });
    notifier.SendEmailNotification(QStringLiteral("ops@example.org"), QStringLiteral("WVN Alert"),
                                   QStringLiteral("body"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended == 1; }, 20000));
    EXPECT_TRUE(sent) << debugTrace().text().toStdString();
    ASSERT_TRUE(server.waitForMessages(1));
    EXPECT_EQ(server.messages().first()[QStringLiteral("auth")].toString(),
              QStringLiteral("alice"));
}

TEST_F(MailNotifierTest, RuleMatchedInARefreshMailsItsAlert)
{
    EngineSnapshotSource source;
    if (!source.isAvailable())
        GTEST_SKIP() << "no connection tables here";
    AioSmtpServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    relayTo(server.port());

    // A loopback connection on a port of the test's own.
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, listener.serverPort());
    ASSERT_TRUE(client.waitForConnected(5000));
    ASSERT_TRUE(listener.waitForNewConnection(5000));
    QTcpSocket *accepted = listener.nextPendingConnection();
    ASSERT_NE(accepted, nullptr);

    TRuleList rules;
    TRule &rule = *rules.Add();
    rule.PortKind = 1;
    rule.Port = QString::number(listener.serverPort());
    rule.Actions = TRuleActions{raEmail, raLog};
    rule.EmailTo = QStringLiteral("ops@example.org\r\nnight@example.org|Night Desk");

    Settings settings;
    settings.autoResolve = false;
    ConnectionTableModel table;
    ListenPortsModel listen;
    TableRules tableRules(rules, &table);
    MailNotifier notifier(registry);
    tableRules.engine().setMailer(&notifier);
    RefreshCycle::Services services;
    services.source = &source;
    services.rules = &tableRules;
    RefreshCycle cycle(settings, services, table, listen);
    cycle.RefreshConnections();

    ASSERT_TRUE(server.waitForMessages(1)) << debugTrace().text().toStdString();
    QTest::qWait(300);
    ASSERT_EQ(server.messages().size(), 1);
    const QJsonObject msg = server.messages().first();
    EXPECT_EQ(msg[QStringLiteral("rcpt_tos")].toArray().size(), 2);
    const QString data = msg[QStringLiteral("data")].toString();
    EXPECT_TRUE(data.contains(QStringLiteral("\r\nSubject: [WVN] WVN Alert\r\n")));
    EXPECT_TRUE(data.contains(QStringLiteral("To: Night Desk <night@example.org>\r\n")));
    // Both ends of the connection matched: two match lines, two action lines.
    const QString matchLine = QStringLiteral("127.0.0.1 met rule #0 by connecting to your "
                                             "computer involving port %1.\r\n")
                                  .arg(listener.serverPort());
    EXPECT_EQ(data.count(matchLine), 2) << data.toStdString();
    EXPECT_TRUE(data.contains(QStringLiteral("This message is being brought to you by Wirevane "
                                             "Professional. The criteria for a rule(s) has been "
                                             "met.\r\n")));
    EXPECT_EQ(data.count(rule.ActionsText() + QStringLiteral("\r\n")), 2);
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("SendEmailNotification;")));
    delete accepted;
}
