#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

namespace wv::test {

// The WHOIS server of whois_server.py on two loopback ports (the second is
// where its referrals point).
class WhoisTestServer
{
public:
    WhoisTestServer();
    ~WhoisTestServer();
    bool isRunning() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    quint16 referralPort() const { return m_port2; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // The exact bytes of every request, oldest first, with the port it came to.
    struct Request
    {
        quint16 port;
        QByteArray bytes;
    };
    QList<Request> requests() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_port2 = 0;
};

} // namespace wv::test
