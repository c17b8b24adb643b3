#include "tests/tools/Peers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <functional>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace wv::test {

quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool waitForListener(quint16 port, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (s.waitForConnected(200)) {
            s.abort();
            return true;
        }
        QThread::msleep(30);
    }
    return false;
}

bool haveProgram(const QString &program)
{
    if (program.startsWith(QLatin1Char('/')))
        return QFile::exists(program);
    return !QStandardPaths::findExecutable(program).isEmpty();
}

namespace {

// Starts `program` with the arguments for a port the kernel picked and waits
// until it listens there; a port picked may be taken again before the program
// binds it, so up to five ports are tried. Sets `port`, or `error` when none
// worked.
bool startListener(QProcess &process, const QString &program,
                   const std::function<QStringList(quint16)> &arguments, quint16 &port,
                   QString &error)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        port = freeTcpPort();
        process.start(program, arguments(port));
        if (!process.waitForStarted(3000)) {
            error = process.errorString();
            return false;
        }
        if (waitForListener(port, 3000) && process.state() == QProcess::Running)
            return true;
        error = QString::fromLocal8Bit(process.readAllStandardError());
        process.kill();
        process.waitForFinished(2000);
    }
    return false;
}

void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

} // namespace

SocatService::SocatService(const QString &command)
{
    if (!haveProgram(QStringLiteral("socat"))) {
        m_error = QStringLiteral("socat is not installed");
        return;
    }
    m_running = startListener(
        m_process, QStringLiteral("socat"),
        [&command](quint16 port) {
            return QStringList{
                QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork").arg(port),
                QStringLiteral("SYSTEM:%1").arg(command)};
        },
        m_port, m_error);
}

SocatService::~SocatService()
{
    stopProcess(m_process);
}

SshServer::SshServer()
{
    if (!haveProgram(QStringLiteral("/usr/sbin/dropbear")) ||
        !haveProgram(QStringLiteral("dropbearkey"))) {
        m_error = QStringLiteral("dropbear is not installed (package dropbear-bin)");
        return;
    }
    const QString key = m_dir.filePath(QStringLiteral("host_ed25519"));
    QProcess keygen;
    keygen.start(QStringLiteral("dropbearkey"),
                 {QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-f"), key});
    if (!keygen.waitForFinished(20000) || keygen.exitCode() != 0) {
        m_error = QStringLiteral("dropbearkey failed: ") +
                  QString::fromLocal8Bit(keygen.readAllStandardError());
        return;
    }
    m_running = startListener(
        m_process, QStringLiteral("/usr/sbin/dropbear"),
        [this, &key](quint16 port) {
            return QStringList{QStringLiteral("-F"),
                               QStringLiteral("-E"),
                               QStringLiteral("-s"),
                               QStringLiteral("-r"),
                               key,
                               QStringLiteral("-P"),
                               m_dir.filePath(QStringLiteral("pid")),
                               QStringLiteral("-p"),
                               QStringLiteral("127.0.0.1:%1").arg(port)};
        },
        m_port, m_error);
}

SshServer::~SshServer()
{
    stopProcess(m_process);
}

namespace {

bool run(const QStringList &command, QString *error = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    const bool ok =
        p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok && error)
        *error = command.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                 QString::fromLocal8Bit(p.readAll()).trimmed();
    return ok;
}

} // namespace

NetBiosNamespace::NetBiosNamespace()
{
    const QString pid = QString::number(::getpid());
    m_name = QStringLiteral("wvnb") + pid;
    if (::geteuid() != 0) {
        m_whyNot = QStringLiteral("creating a network namespace needs root");
        return;
    }
    for (const char *p : {"ip", "/usr/sbin/nmbd", "nmblookup"}) {
        if (!haveProgram(QString::fromLatin1(p))) {
            m_whyNot = QStringLiteral("%1 is not installed (packages iproute2, samba, "
                                      "samba-common-bin)")
                           .arg(QString::fromLatin1(p));
            return;
        }
    }
    const QString ip = QStringLiteral("ip");
    const QString a = QStringLiteral("wva") + pid;
    const QString b = QStringLiteral("wvb") + pid;
    auto inNs = [this](QStringList c) {
        return QStringList{QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"),
                           m_name} +
               c;
    };
    QString error;
    if (!run({ip, QStringLiteral("netns"), QStringLiteral("add"), m_name}, &error)) {
        m_whyNot = error;
        return;
    }
    m_created = true;
    // nmbd answers on broadcast-capable interfaces only, so loopback will
    // not do: a veth pair, both ends inside the namespace.
    const QList<QStringList> setup = {
        inNs({ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
              QStringLiteral("up")}),
        inNs({ip, QStringLiteral("link"), QStringLiteral("add"), a, QStringLiteral("type"),
              QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), b}),
        inNs({ip, QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.77.0.1/24"),
              QStringLiteral("brd"), QStringLiteral("10.77.0.255"), QStringLiteral("dev"), a}),
        inNs({ip, QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.77.0.2/24"),
              QStringLiteral("brd"), QStringLiteral("10.77.0.255"), QStringLiteral("dev"), b}),
        inNs({ip, QStringLiteral("link"), QStringLiteral("set"), a, QStringLiteral("up")}),
        inNs({ip, QStringLiteral("link"), QStringLiteral("set"), b, QStringLiteral("up")}),
    };
    for (const QStringList &c : setup) {
        if (!run(c, &error)) {
            m_whyNot = error;
            return;
        }
    }
    const QString d = m_dir.path();
    QFile conf(m_dir.filePath(QStringLiteral("smb.conf")));
    if (!conf.open(QIODevice::WriteOnly)) {
        m_whyNot = QStringLiteral("cannot write smb.conf");
        return;
    }
    conf.write(QStringLiteral("[global]\n  netbios name = %1\n  workgroup = WVGROUP\n"
                              "  interfaces = %2\n  bind interfaces only = yes\n"
                              "  lock directory = %3\n  state directory = %3\n"
                              "  cache directory = %3\n  private dir = %3\n  pid directory = %3\n"
                              "  ncalrpc dir = %3\n  log file = %3/log.%m\n")
                   .arg(NetBiosName, a, d)
                   .toUtf8());
    conf.close();
    m_nmbd.setProcessChannelMode(QProcess::MergedChannels);
    m_nmbd.start(QStringLiteral("ip"),
                 inNs({QStringLiteral("/usr/sbin/nmbd"), QStringLiteral("--foreground"),
                       QStringLiteral("--no-process-group"), QStringLiteral("-s"), conf.fileName(),
                       QStringLiteral("-l"), d})
                     .mid(1));
    if (!m_nmbd.waitForStarted(3000)) {
        m_whyNot = QStringLiteral("nmbd does not start: ") + m_nmbd.errorString();
        return;
    }
    // nmbd registers its names a moment after it starts; ask until it answers.
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && m_nmbd.state() == QProcess::Running) {
        QProcess q;
        q.start(QStringLiteral("ip"),
                inNs({QStringLiteral("nmblookup"), QStringLiteral("-A"), Address}).mid(1));
        q.waitForFinished(8000);
        if (q.readAllStandardOutput().contains(NetBiosName.toLatin1()))
            return;
        QThread::msleep(300);
    }
    m_whyNot = QStringLiteral("nmbd did not answer in the namespace: ") +
               QString::fromLocal8Bit(m_nmbd.readAll());
}

NetBiosNamespace::~NetBiosNamespace()
{
    leave();
    if (m_nmbd.state() != QProcess::NotRunning) {
        m_nmbd.terminate();
        if (!m_nmbd.waitForFinished(3000)) {
            m_nmbd.kill();
            m_nmbd.waitForFinished(3000);
        }
    }
    if (m_created)
        run({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("del"), m_name});
}

bool NetBiosNamespace::enter()
{
    if (!m_whyNot.isEmpty() || m_home >= 0)
        return false;
    m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = ("/run/netns/" + m_name).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    const bool ok = m_home >= 0 && fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!ok && m_home >= 0) {
        ::close(m_home);
        m_home = -1;
    }
    return ok;
}

void NetBiosNamespace::leave()
{
    if (m_home < 0)
        return;
    ::setns(m_home, CLONE_NEWNET);
    ::close(m_home);
    m_home = -1;
}

} // namespace wv::test
