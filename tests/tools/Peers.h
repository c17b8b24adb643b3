#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace wv::test {

// A free TCP port on 127.0.0.1, as the kernel hands one out.
quint16 freeTcpPort();
// Whether something accepts connections on 127.0.0.1:port (bounded wait).
bool waitForListener(quint16 port, int milliseconds);

// A real program answering TCP connections on a loopback port through socat
// ("TCP-LISTEN:PORT,fork SYSTEM:command"), one shell command per connection
// with the connection as its standard input and output.
class SocatService
{
public:
    explicit SocatService(const QString &command);
    ~SocatService();
    bool isRunning() const { return m_running; }
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    quint16 m_port = 0;
    bool m_running = false;
    QString m_error;
};

// dropbear on a loopback port with a host key of its own (an SSH banner).
class SshServer
{
public:
    SshServer();
    ~SshServer();
    bool isRunning() const { return m_running; }
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_running = false;
    QString m_error;
};

// Samba's nmbd answering NetBIOS node-status queries inside a network
// namespace made for the test (a veth pair with 10.77.0.1 and 10.77.0.2),
// named with the process id; everything is removed again at the end.
class NetBiosNamespace
{
public:
    static inline const QString Address = QStringLiteral("10.77.0.1");
    static inline const QString NetBiosName = QStringLiteral("WVTESTNB");

    NetBiosNamespace();
    ~NetBiosNamespace();
    // Empty when it runs; otherwise why it cannot run here.
    QString whyNot() const { return m_whyNot; }
    QString name() const { return m_name; }
    // Moves the calling thread (and the children it starts) into the
    // namespace and back.
    bool enter();
    void leave();

private:
    QString m_name;
    QString m_whyNot;
    QTemporaryDir m_dir;
    QProcess m_nmbd;
    int m_home = -1;
    bool m_created = false;
};

// Whether a program is installed (on PATH or as an absolute path).
bool haveProgram(const QString &program);

} // namespace wv::test
