// Another host's connections through real net-snmp agents: v2c and v3, an
// agent without the RFC 4022 tables, an agent in a network namespace of the
// test's own, and one that never answers.
#include "remote/RemoteSnapshotSource.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/remote/SnmpdProcess.h"
#include "tests/support/TestHome.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace wv;
using namespace wv::test;

namespace {

const QStringList V3User = {"createUser wvuser SHA-256 \"wv-auth-phrase\" AES \"wv-priv-phrase\"",
                            "rouser wvuser authpriv"};

QStringList v3Args(const QString &auth = QStringLiteral("wv-auth-phrase"),
                   const QString &priv = QStringLiteral("wv-priv-phrase"))
{
    return {"--v3-user", "wvuser",       "--auth-proto", "SHA-256",     "--auth-pass",
            auth,        "--priv-proto", "AES",          "--priv-pass", priv};
}

QString cli()
{
    return binDir() + "/wirevane-cli";
}

// The IPv4 TCP rows of `connections --json` that touch one of the ports.
// The TCP rows with one of the ports; with `ownEnds`, the rows of the test's
// own sockets only (a listener's port, or both ends of a connection), so that
// another program's socket that happens to use one of the port numbers (or a
// TIME_WAIT left by an earlier run) does not count.
QStringList tcpRows(const QString &json, const QSet<int> &ports, bool ownEnds = false)
{
    QStringList rows;
    for (const QJsonValue &v : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject o = v.toObject();
        const bool local = ports.contains(o["localPort"].toInt());
        const bool remote = ports.contains(o["remotePort"].toInt());
        const bool listener = o["state"].toString() == QLatin1String("LISTEN");
        const bool kept = ownEnds ? (listener ? local : local && remote) : local || remote;
        if (o["protocol"].toString() != "TCP" || !kept)
            continue;
        rows << QStringLiteral("%1:%2 %3:%4 %5")
                    .arg(o["localAddress"].toString())
                    .arg(o["localPort"].toInt())
                    .arg(o["remoteAddress"].toString())
                    .arg(o["remotePort"].toInt())
                    .arg(o["state"].toString());
    }
    return rows;
}

class RemoteAgentTest : public ::testing::Test
{
protected:
    SnmpdProcess snmpd;
    LoopbackSockets sockets;
    QSet<int> ports;

    void SetUp() override
    {
        if (SnmpdProcess::daemonPath().isEmpty())
            GTEST_SKIP() << "snmpd is not installed";
    }

    // Two listeners and a connection to each, before the agent first reads
    // its tables.
    void openSockets()
    {
        const quint16 a = sockets.listenTcp("127.0.0.1");
        const quint16 b = sockets.listenTcp("0.0.0.0");
        ports = {a, b, sockets.connectTcp("127.0.0.1", a), sockets.connectTcp("127.0.0.1", b)};
        ASSERT_FALSE(ports.contains(0));
    }

    QString local() { return runProgram(cli(), {"connections", "--json", "--tcp"}); }
};

TEST_F(RemoteAgentTest, V2cAndV3ListTheSameRowsAsTheLocalTable)
{
    openSockets();
    const QString why = snmpd.start(QStringList{"rocommunity wvtest 127.0.0.1"} + V3User);
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();

    const QStringList mine = tcpRows(local(), ports, true);
    ASSERT_EQ(mine.size(), 6) << mine.join('\n').toStdString();
    int code = -1;
    QString errors;
    const QString v2 = runProgram(
        cli(), {"connections", "--agent", snmpd.agent(), "--community", "wvtest", "--json"}, &code,
        &errors);
    EXPECT_EQ(code, 0) << errors.toStdString();
    EXPECT_EQ(tcpRows(v2, ports, true), mine);

    const QString v3 = runProgram(
        cli(), QStringList{"connections", "--tcp", "--agent", snmpd.agent(), "--json"} + v3Args(),
        &code, &errors);
    EXPECT_EQ(code, 0) << errors.toStdString();
    EXPECT_EQ(tcpRows(v3, ports, true), mine);

    // The source reads the RFC 4022 tables of this agent.
    RemoteAgent agent;
    agent.host = "127.0.0.1";
    agent.port = snmpd.port();
    agent.community = "wvtest";
    RemoteSnapshotSource source(agent);
    const QList<SnapshotRow> rows = source.takeSnapshot();
    EXPECT_EQ(source.lastTcpTables(), RemoteSnapshotSource::Tables::Rfc4022);
    EXPECT_EQ(source.lastUdpTables(), RemoteSnapshotSource::Tables::Rfc4022);
    bool agentsOwnPort = false;
    for (const SnapshotRow &r : rows)
        agentsOwnPort |= r.protocol == "UDP" && r.localPort == snmpd.port();
    EXPECT_TRUE(agentsOwnPort);

    // Counters and walks go to the agent too.
    const QString counters = runProgram(
        cli(), {"counters", "--agent", snmpd.agent(), "--community", "wvtest", "--json"}, &code);
    EXPECT_EQ(code, 0);
    const QJsonArray list = QJsonDocument::fromJson(counters.toUtf8()).array();
    EXPECT_EQ(list.size(), 18 + 26 + 14 + 4);
    const QString walk = runProgram(
        cli(), QStringList{"walk", "--agent", snmpd.agent(), "1.3.6.1.2.1.1.3.0"} + v3Args(),
        &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(walk.startsWith(".1.3.6.1.2.1.1.3.0 = Timeticks: ")) << walk.toStdString();
}

TEST_F(RemoteAgentTest, WrongCredentialsFailClearly)
{
    const QString why = snmpd.start(QStringList{"rocommunity wvtest 127.0.0.1"} + V3User);
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    int code = -1;
    QString errors;
    runProgram(cli(),
               QStringList{"connections", "--agent", snmpd.agent(), "--timeout", "0.5"} +
                   v3Args("wrong-auth-phrase"),
               &code, &errors);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains("refused the SNMPv3 credentials of user 'wvuser'"))
        << errors.toStdString();
    runProgram(
        cli(),
        QStringList{"connections", "--agent", snmpd.agent(), "--timeout", "0.5", "--retries", "0"} +
            v3Args("wv-auth-phrase", "wrong-priv-phrase"),
        &code, &errors);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains("check the privacy protocol and pass phrase"))
        << errors.toStdString();
    // Bad input is refused before anything is sent.
    runProgram(
        cli(),
        {"connections", "--agent", snmpd.agent(), "--v3-user", "wvuser", "--auth-pass", "short"},
        &code, &errors);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(errors.contains("at least 8 characters")) << errors.toStdString();
    runProgram(cli(), {"connections", "--community", "x"}, &code, &errors);
    EXPECT_EQ(code, 2);
}

TEST_F(RemoteAgentTest, AgentWithoutTheNewTablesFallsBack)
{
    openSockets();
    const QString why = snmpd.start(
        {"view oldonly included .1", "view oldonly excluded .1.3.6.1.2.1.6.19",
         "view oldonly excluded .1.3.6.1.2.1.6.20", "view oldonly excluded .1.3.6.1.2.1.7.7",
         "rocommunity wvtest 127.0.0.1 -V oldonly"});
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    RemoteAgent agent;
    agent.host = "127.0.0.1";
    agent.port = snmpd.port();
    agent.community = "wvtest";
    RemoteSnapshotSource source(agent);
    const QList<SnapshotRow> rows = source.takeSnapshot();
    EXPECT_EQ(source.lastTcpTables(), RemoteSnapshotSource::Tables::MibII);
    EXPECT_EQ(source.lastUdpTables(), RemoteSnapshotSource::Tables::MibII);
    int code = -1;
    const QString json = runProgram(
        cli(), {"connections", "--agent", snmpd.agent(), "--community", "wvtest", "--json"}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tcpRows(json, ports, true), tcpRows(local(), ports, true));
    EXPECT_GE(rows.size(), 6);
}

TEST_F(RemoteAgentTest, SilentAgentFailsWithinItsTimeOutAndRetries)
{
    // A UDP socket that takes every request and answers none.
    const quint16 silent = sockets.bindUdp("127.0.0.1");
    ASSERT_NE(silent, 0);
    const QString agent = QStringLiteral("127.0.0.1:%1").arg(silent);
    for (const QStringList &extra : {QStringList{"--community", "public"}, v3Args()}) {
        QElapsedTimer t;
        t.start();
        int code = -1;
        QString errors;
        runProgram(
            cli(),
            QStringList{"connections", "--agent", agent, "--timeout", "0.4", "--retries", "2"} +
                extra,
            &code, &errors);
        const qint64 ms = t.elapsed();
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(errors.contains(QStringLiteral("The agent %1 does not answer (no reply within "
                                                   "0.4 s, 3 tries)")
                                        .arg(agent)))
            << errors.toStdString();
        // Three tries of 0.4 s, and the program's start and end.
        EXPECT_GE(ms, 1100);
        EXPECT_LT(ms, 6000);
    }
    int code = -1;
    QString errors;
    runProgram(cli(),
               {"watch", "--agent", agent, "--timeout", "0.3", "--retries", "0", "--count", "1",
                "--no-resolve"},
               &code, &errors);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(errors.contains("does not answer")) << errors.toStdString();
}

TEST_F(RemoteAgentTest, WatchReportsAConnectionOpenedBetweenTwoCycles)
{
    const QString snmpset = QStandardPaths::findExecutable("snmpset");
    if (snmpset.isEmpty())
        GTEST_SKIP() << "snmpset is not installed";
    const quint16 listener = sockets.listenTcp("127.0.0.1");
    const QString why =
        snmpd.start({"rocommunity wvtest 127.0.0.1", "view cache included .1.3.6.1.4.1.8072.1.5.3",
                     "rwcommunity wvadmin 127.0.0.1 -V cache"});
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    // snmpd keeps what it read of the RFC 4022 tables for 60 seconds unless
    // told otherwise (nsCacheTimeout, indexed by the table's identifier).
    for (const char *table : {"6.19", "6.20", "7.7"}) {
        int code = -1;
        QString errors;
        runProgram(snmpset,
                   {"-v2c", "-c", "wvadmin", snmpd.agent(),
                    QStringLiteral(".1.3.6.1.4.1.8072.1.5.3.1.2.1.3.6.1.2.1.%1").arg(table), "i",
                    "1"},
                   &code, &errors);
        ASSERT_EQ(code, 0) << errors.toStdString();
    }
    QProcess watch;
    watch.setProcessChannelMode(QProcess::SeparateChannels);
    watch.start(cli(), {"watch", "--agent", snmpd.agent(), "--community", "wvtest", "--interval",
                        "2.5", "--count", "2", "--no-resolve"});
    ASSERT_TRUE(watch.waitForStarted());
    QString output;
    const QString listening = QStringLiteral("Port %1 is now open and listening").arg(listener);
    // Bounded in time, not in reads: a busy machine's first cycle comes in
    // many pieces.
    const QDeadlineTimer firstCycle(15000);
    while (!firstCycle.hasExpired() && !output.contains(listening)) {
        watch.waitForReadyRead(100);
        output += QString::fromUtf8(watch.readAllStandardOutput());
    }
    ASSERT_TRUE(output.contains(listening)) << output.toStdString();
    const quint16 client = sockets.connectTcp("127.0.0.1", listener);
    ASSERT_TRUE(watch.waitForFinished(30000));
    output += QString::fromUtf8(watch.readAllStandardOutput());
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    // Every line names the agent; the new connection appears in the second cycle.
    for (const QString &line : output.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.contains("  " + snmpd.agent() + "  ")) << line.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("New Conn: 127.0.0.1, remote port %1, status "
                                               "ESTABLISHED")
                                    .arg(client)))
        << output.toStdString();
}

// snmpd in a network namespace of the test's own, reached over a veth pair:
// the table read is that host's, not this one's.
TEST_F(RemoteAgentTest, AgentInAnotherNetworkNamespace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "network namespaces need root";
    const QString ip = QStandardPaths::findExecutable("ip");
    if (ip.isEmpty())
        GTEST_SKIP() << "iproute2 is not installed";
    // The test's own network first, so that the veth's end stays out of the
    // machine's.
    if (!enterPrivateNetwork())
        GTEST_SKIP() << "cannot make a network namespace here";
    test::AgentNamespace ns;
    const QString nsProblem = ns.create();
    ASSERT_TRUE(nsProblem.isEmpty()) << nsProblem.toStdString();
    const QStringList inNs = ns.prefix();
    int code = -1;
    QString errors;

    // A listener with a connection to it over there, and one here.
    QProcess peer;
    peer.start(inNs.first(),
               inNs.mid(1) +
                   QStringList{"/usr/bin/python3", "-c",
                               "import socket,sys,time\n"
                               "l=socket.socket(); l.bind(('127.0.0.1',0)); l.listen()\n"
                               "c=socket.create_connection(l.getsockname()); a,_=l.accept()\n"
                               "print(l.getsockname()[1], flush=True); sys.stdin.read()"});
    ASSERT_TRUE(peer.waitForReadyRead(10000));
    const int theirs = peer.readLine().trimmed().toInt();
    ASSERT_GT(theirs, 0);
    const quint16 ours = sockets.listenTcp("127.0.0.1");

    const QString why = snmpd.start({"rocommunity wvtest 10.213.0.0/30"}, "10.213.0.2", inNs);
    if (!why.isEmpty()) {
        peer.kill();
        peer.waitForFinished();
        GTEST_SKIP() << why.toStdString();
    }
    const QString remote = runProgram(
        cli(), {"connections", "--agent", snmpd.agent(), "--community", "wvtest", "--json"}, &code,
        &errors);
    EXPECT_EQ(code, 0) << errors.toStdString();
    const QSet<int> both = {theirs, ours};
    const QStringList there = tcpRows(remote, both);
    EXPECT_TRUE(there.contains(QStringLiteral("127.0.0.1:%1 0.0.0.0:0 LISTEN").arg(theirs)))
        << there.join('\n').toStdString();
    EXPECT_EQ(there.filter("ESTABLISHED").size(), 2);
    EXPECT_TRUE(there.filter(QStringLiteral(":%1 ").arg(ours)).isEmpty());
    const QStringList here = tcpRows(local(), both);
    EXPECT_TRUE(here.contains(QStringLiteral("127.0.0.1:%1 0.0.0.0:0 LISTEN").arg(ours)));
    EXPECT_TRUE(here.filter(QStringLiteral(":%1 ").arg(theirs)).isEmpty());

    snmpd.stop();
    peer.closeWriteChannel();
    if (!peer.waitForFinished(5000)) {
        peer.kill();
        peer.waitForFinished();
    }
}

} // namespace
