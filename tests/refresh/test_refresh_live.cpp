// The refresh cycle against the live kernel tables, with connections the
// test opens and closes on loopback between refreshes.
#include "CycleFixture.h"
#include "monitor/DnsCache.h"
#include "refresh/EngineSnapshotSource.h"
#include "stats/SummaryLog.h"
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/TestHome.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { close(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes with a reset, so that no TIME_WAIT row stays behind.
    void abort()
    {
        linger l{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        close();
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

int localPort(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    EXPECT_EQ(::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len), 0);
    return ntohs(a.sin_port);
}

sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

QStringList mentioning(const QStringList &events, int port)
{
    QStringList out;
    const QString p = QString::number(port);
    for (const QString &e : events) {
        if (e.contains(QStringLiteral("port ") + p + QLatin1Char(' ')) ||
            e.endsWith(QStringLiteral("port ") + p) ||
            e.contains(QStringLiteral("port ") + p + QLatin1Char(',')) ||
            e.startsWith(QStringLiteral("Port ") + p + QLatin1Char(' ')))
            out.append(e);
    }
    return out;
}

TEST(EngineSnapshotSource, StateNamesComeFromTheEngine)
{
    EXPECT_EQ(tcpStateName(0), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(tcpStateName(13), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(tcpStateName(4), QStringLiteral("SYN_RECEIVED"));
    EXPECT_EQ(tcpStateName(12), QStringLiteral("TCB_DISCARD"));
}

TEST(RefreshCycleLive, LoopbackConnectionsAppearVanishAndStopListening)
{
    EngineSnapshotSource source;
    if (!source.isAvailable())
        GTEST_SKIP() << "no /proc/net/tcp here";

    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in any = loopback(0);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr *>(&any), sizeof any), 0);
    ASSERT_EQ(::listen(listener.get(), 4), 0);
    const int port = localPort(listener.get());
    Fd client(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in to = loopback(port);
    ASSERT_EQ(::connect(client.get(), reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    Fd server(::accept(listener.get(), nullptr, nullptr));
    ASSERT_GE(server.get(), 0);
    const int clientPort = localPort(client.get());

    ConnectionTableModel table;
    ListenPortsModel listen;
    Settings settings;
    settings.autoResolve = false;
    SummarySink summary;
    RefreshCycle::Services services;
    services.source = &source;
    services.summary = &summary;
    RefreshCycle cycle(settings, services, table, listen);

    // First refresh: the listener and both ends of the connection.
    cycle.RefreshConnections();
    const QStringList first = summary.texts();
    EXPECT_TRUE(first.contains(QStringLiteral("Port %1 is now open and listening").arg(port)));
    EXPECT_TRUE(first.contains(
        QStringLiteral("New Conn: 127.0.0.1, remote port %1, status ESTABLISHED").arg(port)));
    EXPECT_TRUE(first.contains(
        QStringLiteral("New Conn: 127.0.0.1, remote port %1, status ESTABLISHED").arg(clientPort)));
    EXPECT_TRUE(cycle.ListenPorts().contains(QString::number(port)));
    const QString clientKey =
        QStringLiteral("127.0.0.1*%1*%2*ESTABLISHED").arg(clientPort).arg(port);
    EXPECT_TRUE(cycle.ConnectionKeys().contains(clientKey));

    // Close the connection: both rows are reported gone, the table rebuilds.
    client.abort();
    server.abort();
    summary.clear();
    cycle.RefreshConnections();
    EXPECT_TRUE(summary.texts().contains(
        QStringLiteral("Connection 127.0.0.1 on remote port %1 is no longer connected with a "
                       "ESTABLISHED status to your system")
            .arg(port)));
    EXPECT_TRUE(cycle.RebuildPending());
    EXPECT_TRUE(cycle.ConnectionKeys().contains(clientKey)); // listed until the rebuild

    summary.clear();
    cycle.RefreshConnections();
    EXPECT_FALSE(cycle.ConnectionKeys().contains(clientKey));
    for (int i = 0; i < table.count(); ++i)
        EXPECT_EQ(table.record(i).number, i + 1);
    EXPECT_TRUE(mentioning(summary.texts(), port).isEmpty())
        << summary.texts().join('\n').toStdString();

    // Stop listening: exactly one event for the port.
    listener.close();
    summary.clear();
    cycle.RefreshConnections();
    EXPECT_EQ(mentioning(summary.texts(), port),
              QStringList{QStringLiteral("Port %1 is no longer open/listening").arg(port)});
    EXPECT_FALSE(cycle.ListenPorts().contains(QString::number(port)));
}

TEST(WatchCommand, PrintsTheEventsOfEachCycleAsTheyHappen)
{
    if (!EngineSnapshotSource().isAvailable())
        GTEST_SKIP() << "no /proc/net/tcp here";
    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in any = loopback(0);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr *>(&any), sizeof any), 0);
    ASSERT_EQ(::listen(listener.get(), 4), 0);
    const int port = localPort(listener.get());

    const QString cli = binDir() + QStringLiteral("/wirevane-cli");
    QProcess p;
    p.start(cli, {QStringLiteral("watch"), QStringLiteral("--count"), QStringLiteral("2"),
                  QStringLiteral("--interval"), QStringLiteral("0.2"),
                  QStringLiteral("--no-resolve"), QStringLiteral("--json")});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    int opened = 0;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        // Stamped as the session summary stamps its lines.
        const QDateTime when =
            QDateTime::fromString(o.value(QStringLiteral("iso")).toString(), Qt::ISODateWithMs);
        ASSERT_TRUE(when.isValid()) << line.toStdString();
        EXPECT_EQ(o.value(QStringLiteral("time")).toString(),
                  SummaryLog::timeText(when.toLocalTime()));
        if (o.value(QStringLiteral("event")).toString() ==
            QStringLiteral("Port %1 is now open and listening").arg(port))
            ++opened;
    }
    EXPECT_EQ(opened, 1);

    for (const QStringList &bad : {QStringList{QStringLiteral("--interval"), QStringLiteral("0")},
                                   QStringList{QStringLiteral("--count"), QStringLiteral("-1")},
                                   QStringList{QStringLiteral("--count"), QStringLiteral("x")},
                                   QStringList{QStringLiteral("extra")}}) {
        QProcess q;
        q.start(cli, QStringList{QStringLiteral("watch")} + bad);
        ASSERT_TRUE(q.waitForFinished(20000));
        EXPECT_EQ(q.exitCode(), 2) << bad.join(' ').toStdString();
    }
}

TEST(WatchCommand, AsksForTheNamesOfAllNewAddressesAtOnce)
{
    if (!EngineSnapshotSource().isAvailable())
        GTEST_SKIP() << "no /proc/net/tcp here";
    SilentDnsServer silent;
    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in any = loopback(0);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr *>(&any), sizeof any), 0);
    ASSERT_EQ(::listen(listener.get(), 64), 0);
    const int port = localPort(listener.get());
    // 50 peers with addresses of their own: the accepted ends' remote addresses.
    std::vector<std::unique_ptr<Fd>> ends;
    QStringList peers;
    for (int i = 1; i <= 50; ++i) {
        auto client = std::make_unique<Fd>(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in from = loopback(0);
        from.sin_addr.s_addr = htonl((127u << 24) | (1u << 8) | unsigned(i)); // 127.0.1.i
        ASSERT_EQ(::bind(client->get(), reinterpret_cast<sockaddr *>(&from), sizeof from), 0);
        sockaddr_in to = loopback(port);
        ASSERT_EQ(::connect(client->get(), reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
        auto accepted = std::make_unique<Fd>(::accept(listener.get(), nullptr, nullptr));
        ASSERT_GE(accepted->get(), 0);
        peers.append(QStringLiteral("New Conn: 127.0.1.%1, remote port %2, status ESTABLISHED")
                         .arg(i)
                         .arg(localPort(client->get())));
        ends.push_back(std::move(client));
        ends.push_back(std::move(accepted));
    }

    QProcess p;
    QElapsedTimer took;
    took.start();
    p.start(binDir() + QStringLiteral("/wirevane-cli"),
            {QStringLiteral("watch"), QStringLiteral("--count"), QStringLiteral("1"),
             QStringLiteral("--server"), silent.server(), QStringLiteral("--json")});
    ASSERT_TRUE(p.waitForFinished(120000));
    // Asked one after another, the 50 names would take 50 time-outs of 3 s.
    EXPECT_LT(took.elapsed(), 30000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QStringList events;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            events.append(
                QJsonDocument::fromJson(line).object().value(QStringLiteral("event")).toString());
    }
    DnsCache cache;
    for (int i = 0; i < peers.size(); ++i) {
        EXPECT_TRUE(events.contains(peers[i])) << peers[i].toStdString();
        const QString address = QStringLiteral("127.0.1.%1").arg(i + 1);
        // Timed out: cached as itself.
        EXPECT_EQ(cache.lookup(address), address);
    }
    for (auto &e : ends)
        e->abort();
}

} // namespace
