#include "tests/tools/icmp/NetnsChain.h"

#include <QCoreApplication>
#include <QProcess>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace wv::test {

namespace {

QString script()
{
    return QStringLiteral(WV_SOURCE_DIR "/tests/tools/icmp/netns_chain.sh");
}

bool runScript(const QString &command, const QString &tag, QString *error)
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {script(), command, tag});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(p.readAllStandardError());
        p.kill();
        p.waitForFinished(5000);
        return false;
    }
    return true;
}

} // namespace

NetnsChain::NetnsChain() : m_tag(QStringLiteral("wvic%1").arg(QCoreApplication::applicationPid()))
{
    m_up = runScript(QStringLiteral("up"), m_tag, &m_error);
    if (!m_up)
        runScript(QStringLiteral("down"), m_tag, nullptr);
}

NetnsChain::~NetnsChain()
{
    leave();
    runScript(QStringLiteral("down"), m_tag, nullptr);
}

bool NetnsChain::enter()
{
    if (!m_up)
        return false;
    if (m_home < 0)
        m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = QStringLiteral("/run/netns/%1").arg(source()).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return ok;
}

void NetnsChain::leave()
{
    if (m_home >= 0) {
        ::setns(m_home, CLONE_NEWNET);
        ::close(m_home);
        m_home = -1;
    }
}

QByteArray NetnsChain::run(const QStringList &command, int *exitCode, QByteArray *errors) const
{
    QProcess p;
    p.start(QStringLiteral("ip"),
            QStringList{QStringLiteral("netns"), QStringLiteral("exec"), source()} + command);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (errors)
        *errors = p.readAllStandardError();
    return p.readAllStandardOutput();
}

} // namespace wv::test
