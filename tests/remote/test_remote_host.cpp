// The host shown in the window: switching between this machine and an agent,
// an agent that stops answering, and the saved agents with their secrets.
#include "refresh/SnapshotSource.h"
#include "remote/HostSnapshotSource.h"
#include "remote/SavedAgents.h"
#include "settings/RegistryStore.h"
#include "settings/SecretStore.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/remote/SnmpdProcess.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <unistd.h>

using namespace wv;
using namespace wv::test;

namespace {

RemoteAgent agentAt(quint16 port, const QString &community = QStringLiteral("wvtest"))
{
    RemoteAgent a;
    a.host = QStringLiteral("127.0.0.1");
    a.port = port;
    a.community = community;
    a.timeoutMs = 300;
    a.retries = 1;
    return a;
}

} // namespace

TEST(HostSnapshotSource, SilentAgentKeepsTheLastRowsAndTheLoopRuns)
{
    SnmpdProcess snmpd;
    if (SnmpdProcess::daemonPath().isEmpty())
        GTEST_SKIP() << "snmpd is not installed";
    LoopbackSockets sockets;
    const quint16 listener = sockets.listenTcp("127.0.0.1");
    const QString why = snmpd.start({"rocommunity wvtest 127.0.0.1"});
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();

    auto local = std::make_unique<ScriptedSource>();
    local->push({SnapshotRow::tcp("10.0.0.1", 22, "10.0.0.2", 5000, 5)});
    HostSnapshotSource source(std::move(local));
    int states = 0;
    source.setStateHandler([&] { ++states; });
    EXPECT_EQ(source.hostName(), QStringLiteral("This machine"));
    EXPECT_EQ(source.takeSnapshot().size(), 1);

    source.showRemote(agentAt(snmpd.port()));
    EXPECT_EQ(source.hostName(), QStringLiteral("127.0.0.1:%1").arg(snmpd.port()));
    const QList<SnapshotRow> rows = source.takeSnapshot();
    EXPECT_TRUE(source.isCurrent());
    bool seen = false;
    for (const SnapshotRow &r : rows)
        seen |= r.localPort == listener && r.stateName == QStringLiteral("LISTEN");
    EXPECT_TRUE(seen);
    const QDateTime first = source.rowsTime();

    // The agent goes away: the same rows again, marked not current, and the
    // thread's events keep being handled while the walk waits.
    snmpd.stop();
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    const QList<SnapshotRow> again = source.takeSnapshot();
    tick.stop();
    EXPECT_EQ(again, rows);
    EXPECT_FALSE(source.isCurrent());
    EXPECT_TRUE(source.failure().contains(QStringLiteral("does not answer")))
        << source.failure().toStdString();
    EXPECT_EQ(source.rowsTime(), first);
    EXPECT_GE(ticks, 10); // 2 tries of 0.3 s
    EXPECT_GE(states, 3);

    // Back to this machine: its own rows, current again.
    source.showLocal();
    EXPECT_TRUE(source.isCurrent());
    EXPECT_EQ(source.takeSnapshot().first().localAddress, QStringLiteral("10.0.0.1"));
}

// This machine's snapshot is read on another thread while the caller's
// events keep running; its rows and its failures come back as they were.
TEST(HostSnapshotSource, LocalSnapshotRunsAsideWhileEventsRun)
{
    class SlowSource : public SnapshotSource
    {
    public:
        QList<SnapshotRow> takeSnapshot() override
        {
            thread = std::this_thread::get_id();
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            if (fail)
                throw SnapshotError("the tables cannot be read");
            return {SnapshotRow::tcp("10.0.0.1", 22, "10.0.0.2", 5000, 5)};
        }
        std::thread::id thread;
        int delayMs = 300;
        bool fail = false;
    };
    auto slow = std::make_unique<SlowSource>();
    SlowSource *s = slow.get();
    HostSnapshotSource source(std::move(slow));
    int ticks = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start();
    const QList<SnapshotRow> rows = source.takeSnapshot();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].remoteAddress, QStringLiteral("10.0.0.2"));
    EXPECT_NE(s->thread, std::this_thread::get_id());
    EXPECT_GE(ticks, 5);

    // A quick snapshot after a slow one is still taken aside; the one after
    // a quick one is not.
    s->delayMs = 0;
    source.takeSnapshot();
    EXPECT_NE(s->thread, std::this_thread::get_id());
    source.takeSnapshot();
    EXPECT_EQ(s->thread, std::this_thread::get_id());

    s->delayMs = 300;
    source.takeSnapshot(); // slow, but taken here: the last one was quick
    s->fail = true;
    try {
        source.takeSnapshot();
        ADD_FAILURE() << "no failure reported";
    } catch (const SnapshotError &e) {
        EXPECT_STREQ(e.what(), "the tables cannot be read");
    }
}

TEST(SavedAgents, ListInTheRegistrySecretsElsewhere)
{
    TestHome home;
    qputenv("WIREVANE_KEYCHAIN", "off");
    RegistryStore registry(home.file("registry.ini"));
    RemoteAgent v2 = agentAt(1161, QStringLiteral("s3cret-community"));
    RemoteAgent v3;
    ASSERT_TRUE(v3.setAddress(QStringLiteral("tcp:[2001:db8::7]:161"), nullptr));
    v3.version = RemoteAgent::Version::V3;
    v3.user = QStringLiteral("ops|team");
    v3.authProtocol = QStringLiteral("SHA-256");
    v3.authPassphrase = QStringLiteral("auth-phrase-1");
    v3.privProtocol = QStringLiteral("AES");
    v3.privPassphrase = QStringLiteral("priv-phrase-1");
    ASSERT_TRUE(SavedAgents::save(registry, {v2, v3}));
    ASSERT_TRUE(SavedAgents::writeSecrets(v2));
    ASSERT_TRUE(SavedAgents::writeSecrets(v3));

    const QByteArray ini = readFile(home.file("registry.ini"));
    EXPECT_TRUE(ini.contains("[WVN3PRO\\Agents]"));
    for (const char *secret : {"s3cret-community", "auth-phrase-1", "priv-phrase-1"})
        EXPECT_FALSE(ini.contains(secret)) << secret;
    const QString secrets = SecretStore::filePath(SavedAgents::secretPlace());
    EXPECT_EQ(QFile::permissions(secrets) & 0x0077, 0);

    RegistryStore again(home.file("registry.ini"));
    QList<RemoteAgent> loaded = SavedAgents::load(again);
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_TRUE(loaded[0].community.isEmpty());
    EXPECT_TRUE(loaded[1].authPassphrase.isEmpty());
    ASSERT_TRUE(SavedAgents::readSecrets(loaded[0]));
    ASSERT_TRUE(SavedAgents::readSecrets(loaded[1]));
    EXPECT_EQ(loaded[0], v2);
    EXPECT_EQ(loaded[1], v3);

    // A damaged entry is skipped, the others stay.
    registry.writeString(QString::fromLatin1(SavedAgents::KeyPath), "Agent1", "garbage");
    RegistryStore damaged(home.file("registry.ini"));
    loaded = SavedAgents::load(damaged);
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].user, QStringLiteral("ops|team"));
}

// The owner of another host's sockets, asked for only while shown: the
// process the agent gives and its name from the agent's process table.
TEST(HostSnapshotSource, OwnersComeFromTheAgentWhileAskedFor)
{
    SnmpdProcess snmpd;
    if (SnmpdProcess::daemonPath().isEmpty())
        GTEST_SKIP() << "snmpd is not installed";
    LoopbackSockets sockets;
    const quint16 udp = sockets.bindUdp("127.0.0.1");
    const QString why = snmpd.start({"rocommunity wvtest 127.0.0.1"});
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QFile comm(QStringLiteral("/proc/self/comm"));
    ASSERT_TRUE(comm.open(QIODevice::ReadOnly));
    const QString ours = QString::fromUtf8(comm.readAll()).trimmed();

    HostSnapshotSource source(std::make_unique<ScriptedSource>());
    source.showRemote(agentAt(snmpd.port()));
    const auto ownRow = [&] {
        for (const SnapshotRow &r : source.takeSnapshot()) {
            if (r.protocol == QStringLiteral("UDP") && r.localPort == udp)
                return r;
        }
        return SnapshotRow();
    };
    SnapshotRow row = ownRow();
    ASSERT_EQ(row.localPort, udp);
    EXPECT_EQ(row.pid, 0);
    EXPECT_TRUE(row.program.isEmpty());

    source.setDetails(true);
    row = ownRow();
    ASSERT_EQ(row.localPort, udp);
    if (row.pid == 0)
        GTEST_SKIP() << "this snmpd does not give udpEndpointProcess";
    EXPECT_EQ(row.pid, ::getpid());
    EXPECT_EQ(row.program, ours);

    // Off again: the agent is not asked.
    source.setDetails(false);
    EXPECT_EQ(ownRow().pid, 0);
}

namespace {

QString secretOf(RemoteAgent agent)
{
    agent.community.clear();
    SavedAgents::readSecrets(agent);
    return agent.community;
}

} // namespace

// Editing and removing saved agents: the secrets follow the entry, and a
// store that cannot be written changes nothing.
TEST(SavedAgents, EditAndRemoveKeepListAndSecretsTogether)
{
    TestHome home;
    qputenv("WIREVANE_KEYCHAIN", "off");
    const QString ini = home.file("registry.ini");
    RegistryStore registry(ini);
    QList<RemoteAgent> agents;
    const RemoteAgent first = agentAt(1161, "first-community");
    const RemoteAgent second = agentAt(1162, "second-community");
    ASSERT_TRUE(SavedAgents::storeAgent(registry, agents, -1, first));
    ASSERT_TRUE(SavedAgents::storeAgent(registry, agents, -1, second));
    ASSERT_EQ(agents.size(), 2);
    EXPECT_TRUE(agents[0].community.isEmpty());
    EXPECT_EQ(secretOf(agents[0]), "first-community");

    // A new community under the same address replaces the secret.
    RemoteAgent edited = first;
    edited.community = "changed-community";
    ASSERT_TRUE(SavedAgents::storeAgent(registry, agents, 0, edited));
    EXPECT_EQ(secretOf(agents[0]), "changed-community");

    // A new address: the secret moves with it, none stays at the old one.
    RemoteAgent moved = edited;
    moved.port = 1171;
    ASSERT_TRUE(SavedAgents::storeAgent(registry, agents, 0, moved));
    EXPECT_EQ(agents[0].port, 1171);
    EXPECT_EQ(secretOf(moved), "changed-community");
    EXPECT_EQ(secretOf(edited), QString());
    EXPECT_EQ(SavedAgents::load(RegistryStore(ini)), agents);

    // registry.ini cannot be written: list and secrets stay as they were.
    const QList<RemoteAgent> before = agents;
    ASSERT_TRUE(QFile::rename(ini, ini + ".aside"));
    ASSERT_TRUE(QDir().mkdir(ini));
    RemoteAgent again = moved;
    again.port = 1181;
    again.community = "lost-community";
    QString error;
    EXPECT_FALSE(SavedAgents::storeAgent(registry, agents, 0, again, &error));
    EXPECT_TRUE(error.contains("registry.ini")) << error.toStdString();
    EXPECT_EQ(agents, before);
    EXPECT_EQ(secretOf(moved), "changed-community");
    EXPECT_EQ(secretOf(again), QString());
    RemoteAgent sameKey = moved;
    sameKey.community = "lost-community";
    EXPECT_FALSE(SavedAgents::storeAgent(registry, agents, 0, sameKey));
    EXPECT_EQ(secretOf(moved), "changed-community");
    QString warning;
    EXPECT_FALSE(SavedAgents::removeAgent(registry, agents, 1, &warning));
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_EQ(agents, before);
    EXPECT_EQ(secretOf(second), "second-community");
    ASSERT_TRUE(QDir(ini).removeRecursively());
    ASSERT_TRUE(QFile::rename(ini + ".aside", ini));
    EXPECT_EQ(SavedAgents::load(RegistryStore(ini)), before);

    // The secret store cannot be written: nothing is saved either.
    const QString secrets = SecretStore::filePath(SavedAgents::secretPlace());
    ASSERT_TRUE(QFile::rename(secrets, secrets + ".aside"));
    ASSERT_TRUE(QDir().mkdir(secrets));
    EXPECT_FALSE(SavedAgents::storeAgent(registry, agents, -1, agentAt(1191, "third"), &error));
    EXPECT_TRUE(error.contains("secrets")) << error.toStdString();
    EXPECT_EQ(agents, before);
    EXPECT_EQ(SavedAgents::load(RegistryStore(ini)), before);
    ASSERT_TRUE(QDir(secrets).removeRecursively());
    ASSERT_TRUE(QFile::rename(secrets + ".aside", secrets));

    // Removing takes the entry and its secret.
    warning.clear();
    ASSERT_TRUE(SavedAgents::removeAgent(registry, agents, 0, &warning));
    EXPECT_TRUE(warning.isEmpty()) << warning.toStdString();
    ASSERT_EQ(agents.size(), 1);
    EXPECT_EQ(agents[0].port, 1162);
    EXPECT_EQ(secretOf(moved), QString());
    EXPECT_EQ(secretOf(second), "second-community");
    EXPECT_EQ(SavedAgents::load(RegistryStore(ini)), agents);
}
