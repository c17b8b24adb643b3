// wirevane-cli quickdns, finger, netbios and probe against real peers.
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"
#include "tests/tools/Peers.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using wv::test::CliRun;

QString cliPath()
{
    const QString bin =
        wv::test::binDir().isEmpty() ? QCoreApplication::applicationDirPath() : wv::test::binDir();
    return bin + QStringLiteral("/wirevane-cli");
}

// Runs a command in a local event loop, so that servers of the test itself
// keep answering meanwhile.
CliRun runCommand(const QString &program, const QStringList &args, int boundMs = 30000)
{
    wv::test::CliOptions options;
    options.timeoutMs = boundMs;
    options.program = program;
    return wv::test::runCli(args, options);
}

CliRun cli(const QStringList &args)
{
    return runCommand(cliPath(), args);
}

QJsonObject json(const CliRun &r)
{
    return QJsonDocument::fromJson(r.outBytes()).object();
}

} // namespace

TEST(CliQuick, QuickDnsForwardReverseCacheAndTimeout)
{
    wv::test::TestHome home;
    wv::test::DnsTestServer dns({QStringLiteral("10.9.8.7=seven.wvtest.example")},
                                {QStringLiteral("alpha.wvtest.example=10.1.2.3")},
                                {QStringLiteral("wvtest.example")});
    ASSERT_TRUE(dns.isRunning()) << dns.error().toStdString();
    const QStringList server{QStringLiteral("--server"), dns.server()};

    CliRun r = cli(QStringList{QStringLiteral("quickdns"), QStringLiteral("alpha.wvtest.example")} +
                   server);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("Hostname: alpha.wvtest.example\nIP: 10.1.2.3\n"));

    r = cli(QStringList{QStringLiteral("quickdns"), QStringLiteral("10.9.8.7"),
                        QStringLiteral("--json")} +
            server);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(json(r)[QStringLiteral("hostname")].toString(),
              QStringLiteral("seven.wvtest.example"));
    EXPECT_EQ(json(r)[QStringLiteral("source")].toString(), QStringLiteral("network"));

    r = cli(QStringList{QStringLiteral("quickdns"), QStringLiteral("missing.wvtest.example")} +
            server);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, QByteArray("Hostname: missing.wvtest.example\nIP: \n"));

    // --cache reads the DNS cache; nothing is written to it.
    const QString cacheFile = qEnvironmentVariable("WIREVANE_HOME") + "/wvncache.ini";
    QDir().mkpath(qEnvironmentVariable("WIREVANE_HOME"));
    wv::test::writeFile(cacheFile, "[Cache]\n10.1.2.3=cached.example\n");
    r = cli(QStringList{QStringLiteral("quickdns"), QStringLiteral("10.1.2.3"),
                        QStringLiteral("--cache"), QStringLiteral("--json")} +
            server);
    EXPECT_EQ(json(r)[QStringLiteral("hostname")].toString(), QStringLiteral("cached.example"));
    EXPECT_EQ(json(r)[QStringLiteral("source")].toString(), QStringLiteral("cache"));
    EXPECT_EQ(dns.queriesFor(QStringLiteral("10.1.2.3")), 0);
    EXPECT_EQ(wv::test::readFile(cacheFile), QByteArray("[Cache]\n10.1.2.3=cached.example\n"));

    wv::test::SilentDnsServer silent;
    r = cli({QStringLiteral("quickdns"), QStringLiteral("10.9.8.7"), QStringLiteral("--timeout"),
             QStringLiteral("300"), QStringLiteral("--server"), silent.server(),
             QStringLiteral("--json")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(json(r)[QStringLiteral("hostname")].toString(), QStringLiteral("10.9.8.7"));
    EXPECT_EQ(json(r)[QStringLiteral("source")].toString(), QStringLiteral("timeout"));

    for (const QStringList &bad :
         {QStringList{QStringLiteral("quickdns")},
          QStringList{QStringLiteral("quickdns"), QStringLiteral("1.2.3.4.5")},
          QStringList{QStringLiteral("quickdns"), QStringLiteral("x"), QStringLiteral("--timeout"),
                      QStringLiteral("0")}}) {
        r = cli(bad);
        EXPECT_EQ(r.code, 2) << bad.join(u' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
}

TEST(CliQuick, FingerAgainstFingerdAndTheBytesSent)
{
    if (!wv::test::haveProgram(QStringLiteral("/usr/sbin/in.fingerd")))
        GTEST_SKIP() << "fingerd is not installed (packages fingerd, finger)";
    wv::test::SocatService fingerd(QStringLiteral("/usr/sbin/in.fingerd"));
    ASSERT_TRUE(fingerd.isRunning()) << fingerd.error().toStdString();
    const QString port = QString::number(fingerd.port());
    CliRun r = cli({QStringLiteral("finger"), QStringLiteral("nobody@127.0.0.1"),
                    QStringLiteral("--port"), port});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Login: nobody")) << r.out.toStdString();

    r = cli({QStringLiteral("finger"), QStringLiteral("root@127.0.0.1"), QStringLiteral("--port"),
             port, QStringLiteral("--verbose"), QStringLiteral("--json")});
    EXPECT_EQ(r.code, 0);
    const QJsonObject o = json(r);
    EXPECT_EQ(o[QStringLiteral("query")].toString(), QStringLiteral("/w root\n"));
    EXPECT_EQ(o[QStringLiteral("status")].toString(), QStringLiteral("Done"));
    EXPECT_TRUE(o[QStringLiteral("lines")].toArray().first().toString().startsWith(
        QStringLiteral("Login: root")));

    // What reaches the server: the user part and a bare LF.
    QTcpServer recorder;
    ASSERT_TRUE(recorder.listen(QHostAddress::LocalHost, 0));
    QByteArray received;
    QObject::connect(&recorder, &QTcpServer::newConnection, [&] {
        QTcpSocket *s = recorder.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &received] {
            received += s->readAll();
            if (received.endsWith('\n')) {
                s->write("recorded\r\n");
                s->disconnectFromHost();
            }
        });
    });
    r = cli({QStringLiteral("finger"), QStringLiteral("guest@127.0.0.1"), QStringLiteral("--port"),
             QString::number(recorder.serverPort())});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QByteArray("recorded\n"));
    EXPECT_EQ(received, QByteArray("guest\n"));

    r = cli({QStringLiteral("finger"), QStringLiteral("guest@127.0.0.1"), QStringLiteral("--port"),
             QString::number(wv::test::freeTcpPort())});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Could not reach server"));
    r = cli({QStringLiteral("finger"), QStringLiteral("guest")});
    EXPECT_EQ(r.code, 2);
}

TEST(CliQuick, ProbeBannerTelnetAndClosedPort)
{
    wv::test::SshServer ssh;
    if (ssh.isRunning()) {
        const CliRun r =
            cli({QStringLiteral("probe"), QStringLiteral("127.0.0.1"), QString::number(ssh.port()),
                 QStringLiteral("--wait"), QStringLiteral("1500")});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith("SSH-2.0-dropbear")) << r.out.toStdString();
    } else {
        ADD_FAILURE() << "no SSH server: " << ssh.error().toStdString();
    }
    if (wv::test::haveProgram(QStringLiteral("/usr/sbin/telnetd"))) {
        wv::test::SocatService telnetd(QStringLiteral("/usr/sbin/telnetd -h"));
        ASSERT_TRUE(telnetd.isRunning());
        const CliRun r = cli({QStringLiteral("probe"), QStringLiteral("127.0.0.1"),
                              QString::number(telnetd.port()), QStringLiteral("--wait"),
                              QStringLiteral("3000"), QStringLiteral("--json")});
        EXPECT_EQ(r.code, 0);
        const QJsonObject o = json(r);
        EXPECT_TRUE(o[QStringLiteral("connected")].toBool());
        EXPECT_TRUE(o[QStringLiteral("text")].toString().contains(QStringLiteral("login:")))
            << r.out.toStdString();
        EXPECT_TRUE(o[QStringLiteral("negotiation")].toArray().contains(QStringLiteral("DO 24")));
    }
    CliRun r = cli({QStringLiteral("probe"), QStringLiteral("127.0.0.1"),
                    QString::number(wv::test::freeTcpPort())});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
    r = cli({QStringLiteral("probe"), QStringLiteral("127.0.0.1"),
             QStringLiteral("no-such-service-wv")});
    EXPECT_EQ(r.code, 2);
}

TEST(CliQuick, NetbiosInANamespaceAndWithoutNmblookup)
{
    CliRun r = cli({QStringLiteral("netbios"), QStringLiteral("host.example")});
    EXPECT_EQ(r.code, 2);

    QProcess missing;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WIREVANE_NMBLOOKUP"), QStringLiteral("/nonexistent/nmblookup"));
    missing.setProcessEnvironment(env);
    missing.start(cliPath(), {QStringLiteral("netbios"), QStringLiteral("10.77.0.1")});
    ASSERT_TRUE(missing.waitForFinished(20000));
    EXPECT_EQ(missing.exitCode(), 1);
    EXPECT_TRUE(missing.readAllStandardError().contains("samba-common-bin"));

    wv::test::NetBiosNamespace ns;
    if (!ns.whyNot().isEmpty())
        GTEST_SKIP() << "NetBIOS peer cannot run here: " << ns.whyNot().toStdString();
    r = runCommand(QStringLiteral("ip"),
                   {QStringLiteral("netns"), QStringLiteral("exec"), ns.name(), cliPath(),
                    QStringLiteral("netbios"), wv::test::NetBiosNamespace::Address,
                    QStringLiteral("--json")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject o = json(r);
    EXPECT_EQ(o[QStringLiteral("result")].toInt(), 0);
    EXPECT_TRUE(
        o[QStringLiteral("output")].toString().contains(wv::test::NetBiosNamespace::NetBiosName));
}
