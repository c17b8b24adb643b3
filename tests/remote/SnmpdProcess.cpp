#include "tests/remote/SnmpdProcess.h"

#include "remote/SnmpClient.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/support/TestHome.h"

#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace wv::test {

SnmpdProcess::SnmpdProcess() = default;

SnmpdProcess::~SnmpdProcess()
{
    stop();
}

QString SnmpdProcess::daemonPath()
{
    QString daemon = QStandardPaths::findExecutable(QStringLiteral("snmpd"));
    if (daemon.isEmpty())
        daemon = QStandardPaths::findExecutable(QStringLiteral("snmpd"),
                                                {"/usr/sbin", "/usr/local/sbin", "/sbin"});
    return daemon;
}

QString SnmpdProcess::start(const QStringList &config, const QString &address,
                            const QStringList &prefix)
{
    const QString daemon = daemonPath();
    if (daemon.isEmpty())
        return QStringLiteral("snmpd is not installed");
    m_address = address;
    // In a namespace of its own every port is free; on the shared loopback
    // one that was free a moment ago.
    m_port = prefix.isEmpty() ? freeUdpPort() : 16100;
    QStringList lines = config;
    lines << QStringLiteral("agentaddress udp:%1:%2").arg(address).arg(m_port)
          << QStringLiteral("view wvprobeview included .1.3.6.1.2.1.1.3")
          << QStringLiteral("rocommunity wvprobe default -V wvprobeview");
    writeFile(m_dir.filePath("snmpd.conf"), lines.join('\n').toUtf8() + '\n');
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SNMP_PERSISTENT_DIR", m_dir.filePath("persist"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // -I -smux: no SMUX listener on TCP 199 in the tables under test.
    QStringList args = {"-f", "-Lf",  m_dir.filePath("snmpd.log"),
                        "-C", "-c",   m_dir.filePath("snmpd.conf"),
                        "-I", "-smux"};
    if (prefix.isEmpty()) {
        m_process.start(daemon, args);
    } else {
        args.prepend(daemon);
        m_process.start(prefix.first(), prefix.mid(1) + args);
    }
    if (!m_process.waitForStarted(5000))
        return QStringLiteral("snmpd cannot start here");
    // Ready when it answers sysUpTime (which loads no table).
    RemoteAgent probe;
    probe.host = address;
    probe.port = m_port;
    probe.community = QStringLiteral("wvprobe");
    probe.timeoutMs = 300;
    probe.retries = 0;
    for (int i = 0; i < 40; ++i) {
        try {
            SnmpClient client(probe);
            client.get({1, 3, 6, 1, 2, 1, 1, 3, 0}, [](const RemoteVarBind &) {});
            return QString();
        } catch (const RemoteAgentError &) {
        }
        if (m_process.state() != QProcess::Running)
            break;
        QThread::msleep(200);
    }
    return QStringLiteral("snmpd does not answer here: %1")
        .arg(QString::fromUtf8(readFile(m_dir.filePath("snmpd.log"))));
}

void SnmpdProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished();
}

AgentNamespace::AgentNamespace()
    : m_ip(QStandardPaths::findExecutable(QStringLiteral("ip"))),
      m_name(QStringLiteral("wvremote-%1").arg(::getpid()))
{
}

AgentNamespace::~AgentNamespace()
{
    if (m_made)
        runProgram(m_ip, {"netns", "delete", m_name});
}

QStringList AgentNamespace::prefix() const
{
    return {m_ip, "netns", "exec", m_name};
}

QString AgentNamespace::create()
{
    if (::geteuid() != 0)
        return QStringLiteral("network namespaces need root");
    if (m_ip.isEmpty())
        return QStringLiteral("iproute2 is not installed");
    const QString pid = QString::number(::getpid());
    const QString near = "wvr" + pid + "a", far = "wvr" + pid + "b";
    int code = -1;
    QString errors;
    const auto run = [&](const QStringList &args) {
        runProgram(m_ip, args, &code, &errors);
        return code == 0;
    };
    if (!run({"netns", "add", m_name}))
        return QStringLiteral("ip netns add: ") + errors;
    m_made = true;
    const QStringList steps[] = {
        {"link", "add", near, "type", "veth", "peer", "name", far, "netns", m_name},
        {"addr", "add", nearAddress() + "/30", "dev", near},
        {"link", "set", near, "up"},
        {"netns", "exec", m_name, "ip", "addr", "add", farAddress() + "/30", "dev", far},
        {"netns", "exec", m_name, "ip", "link", "set", far, "up"},
        {"netns", "exec", m_name, "ip", "link", "set", "lo", "up"},
    };
    for (const QStringList &step : steps) {
        if (!run(step))
            return QStringLiteral("ip %1: %2").arg(step.join(' '), errors);
    }
    return QString();
}

QString runProgram(const QString &program, const QStringList &args, int *exitCode,
                   QString *errorText, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (errorText)
        *errorText = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace wv::test
