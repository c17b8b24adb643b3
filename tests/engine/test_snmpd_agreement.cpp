// The agent's tables and counters against net-snmp's snmpd on the same
// machine at the same moment: the same rows in the same order.
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace wv::test;

namespace {

const QString Community = QStringLiteral("wvtest");

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class SnmpdAgreement : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QProcess snmpd;
    quint16 port = 0;
    QString snmpwalk, cli;
    bool isolated = false;

    void SetUp() override
    {
        const QStringList sbin = {"/usr/sbin", "/usr/local/sbin", "/sbin"};
        QString daemon = QStandardPaths::findExecutable("snmpd");
        if (daemon.isEmpty())
            daemon = QStandardPaths::findExecutable("snmpd", sbin);
        snmpwalk = QStandardPaths::findExecutable("snmpwalk");
        const QString snmpget = QStandardPaths::findExecutable("snmpget");
        if (daemon.isEmpty() || snmpwalk.isEmpty() || snmpget.isEmpty())
            GTEST_SKIP() << "snmpd and snmpwalk are not installed";
        cli = binDir() + "/wirevane-cli";
        isolated = enterPrivateNetwork();

        port = freeUdpPort();
        writeFile(dir.filePath("snmpd.conf"),
                  QStringLiteral("rocommunity %1 127.0.0.1\nagentaddress udp:127.0.0.1:%2\n")
                      .arg(Community)
                      .arg(port)
                      .toUtf8());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SNMP_PERSISTENT_DIR", dir.filePath("persist"));
        snmpd.setProcessEnvironment(env);
        snmpd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        snmpd.setStandardOutputFile(QProcess::nullDevice());
        // -I -smux: no SMUX listener on TCP 199 in the tables under test.
        snmpd.start(daemon, {"-f", "-Lf", dir.filePath("snmpd.log"), "-C", "-c",
                             dir.filePath("snmpd.conf"), "-I", "-smux"});
        // Installed but not working is a failure, not a reason to skip.
        if (!snmpd.waitForStarted(5000))
            GTEST_FAIL() << "snmpd is installed but cannot start: "
                         << snmpd.errorString().toStdString();
        // Ready when it answers sysUpTime (which loads no table).
        for (int i = 0; i < 40; ++i) {
            int code = -1;
            run(snmpget,
                {"-v2c", "-c", Community, "-t", "0.5", "-r", "0",
                 QStringLiteral("127.0.0.1:%1").arg(port), "1.3.6.1.2.1.1.3.0"},
                &code);
            if (code == 0)
                return;
            if (snmpd.state() != QProcess::Running)
                break;
            QThread::msleep(250);
        }
        GTEST_FAIL() << "snmpd is installed but does not answer on 127.0.0.1:" << port << "; "
                     << readFile(dir.filePath("snmpd.log")).toStdString();
    }

    void TearDown() override
    {
        if (snmpd.state() == QProcess::Running) {
            snmpd.terminate();
            if (!snmpd.waitForFinished(5000))
                snmpd.kill();
            snmpd.waitForFinished();
        }
    }

    QStringList reference(const QString &oid, quint16 clientPort = 0, bool bulk = false)
    {
        QStringList args = {"-On", "-v2c", "-c", Community, "-t", "10", "-r", "1"};
        if (clientPort)
            args << QStringLiteral("--clientaddr=127.0.0.1:%1").arg(clientPort)
                 << "--clientaddrUsesPort=yes";
        args << QStringLiteral("127.0.0.1:%1").arg(port) << oid;
        QString walker = snmpwalk;
        if (bulk && !QStandardPaths::findExecutable("snmpbulkwalk").isEmpty())
            walker = QStandardPaths::findExecutable("snmpbulkwalk");
        return lines(run(walker, args));
    }

    QStringList ours(const QString &oid) { return lines(run(cli, {"walk", oid})); }

    // Without a network of its own the test sees other processes' sockets
    // (and IPv6 ones, which snmpd does not list): keep the test's own rows.
    // snmpd finds a socket's process by a scan of /proc that it refreshes
    // on its own schedule, so a socket newer than its last scan shows 0 ("no
    // process known"). Such a row of a process column counts as agreeing with
    // ours; an owner snmpd does give must match.
    static QString sameOwnerIfUnknown(const QString &theirs, const QStringList &oursRows)
    {
        static const QStringList processColumns = {QStringLiteral(".1.3.6.1.2.1.6.19.1.8."),
                                                   QStringLiteral(".1.3.6.1.2.1.6.20.1.4."),
                                                   QStringLiteral(".1.3.6.1.2.1.7.7.1.8.")};
        const QString oid = theirs.section(' ', 0, 0);
        if (!theirs.endsWith(QStringLiteral(" = Gauge32: 0")))
            return theirs;
        for (const QString &column : processColumns) {
            if (!oid.startsWith(column))
                continue;
            for (const QString &mine : oursRows) {
                if (mine.section(' ', 0, 0) == oid)
                    return mine;
            }
        }
        return theirs;
    }

    QStringList own(const QStringList &rows, const QSet<int> &ports) const
    {
        if (isolated)
            return rows;
        QStringList kept;
        for (const QString &r : rows) {
            const QStringList parts = r.section(' ', 0, 0).split('.');
            for (const QString &p : parts) {
                if (ports.contains(p.toInt()) && p.toInt() > 1023) {
                    kept << r;
                    break;
                }
            }
        }
        return kept;
    }
};

TEST_F(SnmpdAgreement, ConnectionAndListenerTables)
{
    LoopbackSockets s;
    const quint16 listener = s.listenTcp("127.0.0.1");
    const quint16 any = s.listenTcp("0.0.0.0");
    QSet<int> ports = {listener, any, port};
    ports << s.connectTcp("127.0.0.1", listener) << s.connectTcp("127.0.0.1", any);
    ports << s.bindUdp("127.0.0.1") << s.bindUdp("0.0.0.0");
    ASSERT_FALSE(ports.contains(0));
    const quint16 client = freeUdpPort();

    QStringList theirsTcp, oursTcp, theirsUdp, oursUdp;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            QThread::sleep(6); // snmpd keeps a table for 5 seconds
        theirsTcp = own(reference("1.3.6.1.2.1.6.13"), ports);
        oursTcp = own(ours("1.3.6.1.2.1.6.13"), ports);
        // The walking client's own socket exists only while snmpwalk runs.
        const QStringList all = own(reference("1.3.6.1.2.1.7.5", client), ports);
        theirsUdp.clear();
        for (const QString &l : all) {
            if (!l.section(' ', 0, 0).endsWith(QStringLiteral(".127.0.0.1.%1").arg(client)))
                theirsUdp << l;
        }
        oursUdp = own(ours("1.3.6.1.2.1.7.5"), ports);
        if (theirsTcp == oursTcp && theirsUdp == oursUdp)
            break;
    }
    EXPECT_EQ(oursTcp.join('\n').toStdString(), theirsTcp.join('\n').toStdString());
    EXPECT_EQ(oursUdp.join('\n').toStdString(), theirsUdp.join('\n').toStdString());
    // Two listeners and both ends of two connections, five columns each.
    EXPECT_GE(oursTcp.size(), 6 * 5);
    EXPECT_GE(oursUdp.size(), 3 * 2);
}

// The tables of RFC 4022 and 4113, IPv4 and IPv6, with the owning process.
TEST_F(SnmpdAgreement, Ipv6CapableTables)
{
    LoopbackSockets s;
    const quint16 v4 = s.listenTcp("127.0.0.1");
    const quint16 v6 = s.listenTcp("::1");
    const quint16 v6only = s.listenTcp("::", true);
    const quint16 dual = s.listenTcp("::");
    if (!v6 || !v6only || !dual)
        GTEST_SKIP() << "no IPv6 loopback here";
    QSet<int> ports = {v4, v6, v6only, dual, port};
    ports << s.connectTcp("127.0.0.1", v4) << s.connectTcp("::1", v6)
          << s.connectTcp("::ffff:127.0.0.1", dual) << s.connectTcp("::1", v6only);
    const quint16 udp6 = s.bindUdp("::1");
    ports << s.bindUdp("127.0.0.1") << udp6 << s.bindUdp("::", true) << s.connectUdp("::1", udp6);
    ASSERT_FALSE(ports.contains(0));
    const quint16 client = freeUdpPort();
    const QString clientIndex = QStringLiteral(".127.0.0.1.%1.").arg(client);

    const QStringList tables = {"1.3.6.1.2.1.6.19", "1.3.6.1.2.1.6.20", "1.3.6.1.2.1.7.7"};
    QList<QStringList> theirs, mine;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            QThread::sleep(6); // snmpd keeps a table for 5 seconds
        theirs.clear();
        mine.clear();
        for (const QString &t : tables) {
            const QStringList ourRows = own(ours(t), ports);
            QStringList rows;
            // The walking client's own socket exists only while it walks.
            for (const QString &l : own(reference(t, client, true), ports)) {
                if (!l.section(' ', 0, 0).contains(clientIndex))
                    rows << sameOwnerIfUnknown(l, ourRows);
            }
            theirs << rows;
            mine << ourRows;
        }
        if (theirs == mine)
            break;
    }
    for (int i = 0; i < tables.size(); ++i)
        EXPECT_EQ(mine[i].join('\n').toStdString(), theirs[i].join('\n').toStdString());
    // Both ends of four connections, two columns; four listeners; five UDP sockets.
    EXPECT_GE(mine[0].size(), 8 * 2);
    EXPECT_GE(mine[1].size(), 4);
    EXPECT_GE(mine[2].size(), 5);
    // The process column names this process for its own sockets.
    const QString pid = QStringLiteral("Gauge32: %1").arg(QCoreApplication::applicationPid());
    EXPECT_TRUE(mine[1].join('\n').contains(pid)) << mine[1].join('\n').toStdString();
}

TEST_F(SnmpdAgreement, Counters)
{
    if (!isolated)
        GTEST_SKIP() << "counters are compared only in a network of the test's own";
    LoopbackSockets s;
    const quint16 listener = s.listenTcp("127.0.0.1");
    s.connectTcp("127.0.0.1", listener);
    const QRegularExpression scalar(
        QStringLiteral("^(\\.1\\.3\\.6\\.1\\.2\\.1\\.[4-7]\\.\\d+\\.0) = (\\w+): (-?\\d+)$"));
    for (const char *group : {"1.3.6.1.2.1.4", "1.3.6.1.2.1.5", "1.3.6.1.2.1.6", "1.3.6.1.2.1.7"}) {
        QMap<QString, std::pair<QString, qint64>> theirs;
        for (const QString &l : reference(group)) {
            const auto m = scalar.match(l);
            if (m.hasMatch())
                theirs[m.captured(1)] = {m.captured(2), m.captured(3).toLongLong()};
        }
        int compared = 0;
        for (const QString &l : ours(group)) {
            const auto m = scalar.match(l);
            if (!m.hasMatch())
                continue;
            const QString oid = m.captured(1);
            ASSERT_TRUE(theirs.contains(oid)) << oid.toStdString();
            EXPECT_EQ(m.captured(2), theirs[oid].first) << oid.toStdString();
            const qint64 mine = m.captured(3).toLongLong(), ref = theirs[oid].second;
            // Counters move with the test's own traffic (the walks themselves).
            EXPECT_LE(std::abs(mine - ref), m.captured(2) == "INTEGER" ? 0 : 2000)
                << oid.toStdString() << " " << mine << " vs " << ref;
            ++compared;
        }
        EXPECT_GT(compared, 0) << group;
        // Every MIB-II (RFC 1213) scalar snmpd serves, the agent serves too.
        const QString prefix = QStringLiteral(".") + QLatin1String(group) + QLatin1Char('.');
        const int last = QMap<QString, int>{
            {"1.3.6.1.2.1.4", 23},
            {"1.3.6.1.2.1.5", 26},
            {"1.3.6.1.2.1.6", 15},
            {"1.3.6.1.2.1.7",
             4}}.value(QLatin1String(group));
        QStringList mine;
        for (const QString &l : ours(group))
            mine << l.section(QLatin1Char(' '), 0, 0);
        for (const QString &oid : theirs.keys()) {
            if (oid.mid(prefix.size()).section(QLatin1Char('.'), 0, 0).toInt() <= last) {
                EXPECT_TRUE(mine.contains(oid)) << "not served: " << oid.toStdString();
            }
        }
    }
}

} // namespace
