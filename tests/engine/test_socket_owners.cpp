// Owners and traffic of sockets on this machine: the inode cache against
// /proc, an IPv6 loopback connection with a known byte count, and another
// user's socket seen by an unprivileged monitor.
#include "engine/MibIIAgent.h"
#include "engine/PloverIpConnectionList.h"
#include "engine/SocketOwners.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace wv;
using namespace wv::test;

namespace {

QString ownProgram()
{
    QFile f(QStringLiteral("/proc/self/comm"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().trimmed()) : QString();
}

quint32 inodeOf(int fd)
{
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 ? quint32(st.st_ino) : 0;
}

quint16 portOf(int fd)
{
    sockaddr_in6 a{};
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &n);
    return ntohs(a.sin6_port);
}

// A listener on [::1] and one connection to it, both ends open.
struct Ipv6Pair
{
    int listener = -1, client = -1, server = -1;

    bool open()
    {
        listener = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_loopback;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
            ::listen(listener, 4) != 0)
            return false;
        a.sin6_port = htons(portOf(listener));
        client = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (client < 0 || ::connect(client, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
            return false;
        server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        return server >= 0;
    }
    ~Ipv6Pair()
    {
        for (int fd : {listener, client, server})
            if (fd >= 0)
                ::close(fd);
    }
};

TEST(SocketOwners, FindsThisProcessAndAsksOnlyAboutNewInodes)
{
    Ipv6Pair p;
    if (!p.open())
        GTEST_SKIP() << "no IPv6 loopback here";
    SocketOwners owners;
    const std::vector<quint32> inodes = {inodeOf(p.client), inodeOf(p.server), 0};
    std::vector<quint32> pids;
    owners.resolve(inodes, pids);
    ASSERT_EQ(pids.size(), 3u);
    EXPECT_EQ(pids[0], quint32(::getpid()));
    EXPECT_EQ(pids[1], quint32(::getpid()));
    EXPECT_EQ(pids[2], 0u); // a socket no process holds yet
    EXPECT_EQ(owners.programOf(quint32(::getpid())), ownProgram());
    EXPECT_EQ(owners.scans(), 1);

    // Known inodes are answered from the cache; an inode nobody readable holds
    // is looked for once and then remembered as ownerless.
    owners.resolve(inodes, pids);
    EXPECT_EQ(owners.scans(), 1);
    const std::vector<quint32> stranger = {inodeOf(p.client), 0xFFFFFFF0u};
    owners.resolve(stranger, pids);
    owners.resolve(stranger, pids);
    EXPECT_EQ(owners.scans(), 2);
    EXPECT_EQ(pids[1], 0u);

    // A folder that is no process table gives no owners and no error.
    SocketOwners none(QByteArrayLiteral("/nonexistent/proc"));
    none.resolve(inodes, pids);
    EXPECT_EQ(pids, (std::vector<quint32>{0, 0, 0}));
}

TEST(SocketOwners, Ipv6ConnectionShowsOwnerAndBytes)
{
    if (!loadSystemAgent(SocketSourceChoice::Netlink))
        GTEST_SKIP() << "no socket-diagnostics netlink here";
    Ipv6Pair p;
    if (!p.open())
        GTEST_SKIP() << "no IPv6 loopback here";
    constexpr qint64 Total = 100000;
    const QByteArray data(int(Total), 'x');
    qint64 sent = 0, received = 0;
    char buffer[65536];
    for (int round = 0; round < 1000 && (sent < Total || received < Total); ++round) {
        if (sent < Total) {
            const ssize_t n =
                ::send(p.client, data.constData() + sent, size_t(Total - sent), MSG_DONTWAIT);
            if (n > 0)
                sent += n;
        }
        const ssize_t r = ::recv(p.server, buffer, sizeof buffer, MSG_DONTWAIT);
        if (r > 0)
            received += r;
        else
            QThread::usleep(500);
    }
    ASSERT_EQ(received, Total);
    const quint16 clientPort = portOf(p.client), serverPort = portOf(p.server);

    TPloverIpConnectionList list(nullptr, systemAgentLoader(SocketSourceChoice::Netlink));
    list.setDetails(true, true);
    const TIpConnInfo *client = nullptr, *server = nullptr;
    // The last acknowledgement may still be on its way.
    for (int attempt = 0; attempt < 50; ++attempt) {
        list.Refresh();
        client = server = nullptr;
        for (int i = 0; i < list.Count(); ++i) {
            const TIpConnInfo *r = list.Items(i);
            if (r->Protocol() == "TCP" && r->LocalPort() == clientPort &&
                r->RemotePort() == serverPort)
                client = r;
            if (r->Protocol() == "TCP" && r->LocalPort() == serverPort &&
                r->RemotePort() == clientPort)
                server = r;
        }
        if (client && server && client->BytesSent() >= Total)
            break;
        QThread::msleep(20);
    }
    ASSERT_TRUE(client && server);
    EXPECT_EQ(client->Family(), 6);
    EXPECT_EQ(client->RemoteAddress(), "::1");
    EXPECT_EQ(client->LocalAddress(), "::1");
    EXPECT_EQ(client->Pid(), quint32(::getpid()));
    EXPECT_EQ(client->Program(), ownProgram());
    EXPECT_GE(client->BytesSent(), Total);
    EXPECT_GE(server->BytesReceived(), Total);
    EXPECT_EQ(server->Pid(), quint32(::getpid()));

    // Without the details asked for, the same rows carry none.
    list.setDetails(false, false);
    list.Refresh();
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Items(i)->Pid(), 0u);
        EXPECT_EQ(list.Items(i)->BytesSent(), -1);
    }
}

// The companion's view of another program's IPv6 connection: a Python
// process connects to itself over ::1 and sends 100,000 bytes.
TEST(SocketOwners, CompanionListsAPythonConnection)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        GTEST_SKIP() << "no /usr/bin/python3";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {"-c", "import socket, sys\n"
                        "s = socket.socket(socket.AF_INET6); s.bind(('::1', 0)); s.listen()\n"
                        "c = socket.create_connection(('::1', s.getsockname()[1]))\n"
                        "a, _ = s.accept(); c.sendall(b'x' * 100000); got = 0\n"
                        "while got < 100000: got += len(a.recv(65536))\n"
                        "print(c.getsockname()[1], flush=True); sys.stdin.read()\n"});
    if (!python.waitForReadyRead(10000)) {
        python.kill();
        python.waitForFinished();
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    const int port = python.readLine().trimmed().toInt();
    const qint64 pid = python.processId();
    QJsonObject row;
    for (int attempt = 0; attempt < 20; ++attempt) {
        QProcess cli;
        cli.start(binDir() + "/wirevane-cli", {"connections", "--json", "--process", "--bytes"});
        cli.waitForFinished(30000);
        for (const QJsonValue &v : QJsonDocument::fromJson(cli.readAllStandardOutput()).array()) {
            if (v["localPort"].toInt() == port && v["state"].toString() == "ESTABLISHED")
                row = v.toObject();
        }
        if (row["bytesSent"].toInteger() >= 100000)
            break;
        QThread::msleep(50); // the last acknowledgement may still be on its way
    }
    python.closeWriteChannel();
    python.waitForFinished(10000);
    EXPECT_EQ(row["localAddress"].toString(), "::1");
    EXPECT_EQ(row["remoteAddress"].toString(), "::1");
    EXPECT_EQ(row["pid"].toInteger(), pid);
    EXPECT_EQ(row["program"].toString(), "python3");
    EXPECT_GE(row["bytesSent"].toInteger(), 100000);
}

// Run as root: a child that becomes another user holds a socket; the
// companion, run as a third user, lists it without owner and without error,
// while run as root it names the owner.
TEST(SocketOwners, OtherUsersSocketsShowNoOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two other users";
    int toParent[2], toChild[2];
    ASSERT_EQ(::pipe2(toParent, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(toChild, O_CLOEXEC), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::close(toChild[1]);
        ::close(toParent[0]);
        quint16 port = 0;
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
            const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
            sockaddr_in6 a{};
            a.sin6_family = AF_INET6;
            a.sin6_addr = in6addr_loopback;
            if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
                ::listen(fd, 1) == 0)
                port = portOf(fd);
        }
        (void)!::write(toParent[1], &port, sizeof port);
        char c;
        (void)!::read(toChild[0], &c, 1); // until the parent is done
        ::_exit(0);
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    quint16 port = 0;
    const bool told = ::read(toParent[0], &port, sizeof port) == sizeof port;
    auto finish = [&] {
        ::close(toChild[1]);
        ::waitpid(holder, nullptr, 0);
        ::close(toParent[0]);
    };
    if (!told || port == 0) {
        finish();
        GTEST_SKIP() << "cannot open a socket as another user here";
    }

    auto listing = [&](bool unprivileged, int *exitCode) {
        QProcess cli;
        if (unprivileged) {
            cli.setChildProcessModifier([] {
                if (::setgid(65533) != 0 || ::setuid(65533) != 0)
                    ::_exit(99);
            });
        }
        cli.start(binDir() + "/wirevane-cli",
                  {"connections", "--json", "--process", "--family", "6", "--tcp"});
        cli.waitForFinished(30000);
        *exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        QJsonObject found;
        for (const QJsonValue &v : QJsonDocument::fromJson(cli.readAllStandardOutput()).array()) {
            if (v["localPort"].toInt() == port && v["state"].toString() == "LISTEN")
                found = v.toObject();
        }
        return found;
    };
    int code = -1;
    const QJsonObject stranger = listing(true, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(stranger["localAddress"].toString(), "::1");
    EXPECT_TRUE(stranger["pid"].isNull()) << stranger["pid"].toInt();
    EXPECT_TRUE(stranger["program"].isNull());
    const QJsonObject root = listing(false, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(root["pid"].toInt(), int(holder));
    finish();
}

} // namespace
