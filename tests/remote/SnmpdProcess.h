#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace wv::test {

// net-snmp's snmpd, started by a test with a configuration of its own on an
// ephemeral loopback port (or inside a network namespace), stopped with the
// object.
class SnmpdProcess
{
public:
    SnmpdProcess();
    ~SnmpdProcess();
    SnmpdProcess(const SnmpdProcess &) = delete;
    SnmpdProcess &operator=(const SnmpdProcess &) = delete;

    static QString daemonPath();

    // Starts snmpd with config lines (an agentaddress line is added for
    // address:port) and waits until it answers; the reason when it does not.
    // prefix runs snmpd through a command such as "ip netns exec NAME".
    QString start(const QStringList &config, const QString &address = QStringLiteral("127.0.0.1"),
                  const QStringList &prefix = {});
    quint16 port() const { return m_port; }
    QString agent() const { return m_address + QLatin1Char(':') + QString::number(m_port); }
    void stop();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
    quint16 m_port = 0;
};

// A network namespace of the test's own with a veth pair to it: this side
// is 10.213.0.1, the far side 10.213.0.2. Call from a test that has entered
// a private network first (enterPrivateNetwork), so that the near end stays
// out of the machine's network. Removed with the object.
class AgentNamespace
{
public:
    AgentNamespace();
    ~AgentNamespace();
    AgentNamespace(const AgentNamespace &) = delete;
    AgentNamespace &operator=(const AgentNamespace &) = delete;

    // Makes it; the reason when it cannot be made here.
    QString create();
    // The command that runs a program in it ("ip netns exec NAME").
    QStringList prefix() const;
    static QString nearAddress() { return QStringLiteral("10.213.0.1"); }
    static QString farAddress() { return QStringLiteral("10.213.0.2"); }

private:
    QString m_ip;
    QString m_name;
    bool m_made = false;
};

// Runs a program to its end (at most timeoutMs); its standard output, and
// its standard error and exit code when asked for.
QString runProgram(const QString &program, const QStringList &args, int *exitCode = nullptr,
                   QString *errorText = nullptr, int timeoutMs = 60000);

} // namespace wv::test
