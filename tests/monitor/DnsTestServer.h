#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUdpSocket>

namespace wv::test {

// A real DNS server (dnsmasq) on a free loopback port, answering only the
// PTR records it is given and NXDOMAIN for any other reverse name. Its query
// log tells how often the network was asked.
class DnsTestServer
{
public:
    // ptrRecords: "address=name" pairs for IPv4 addresses; hostRecords:
    // "name=address" pairs answered for forward look-ups (names under a
    // domain given in localDomains get NXDOMAIN when unknown).
    explicit DnsTestServer(const QStringList &ptrRecords, const QStringList &hostRecords = {},
                           const QStringList &localDomains = {});
    ~DnsTestServer();

    bool isRunning() const { return m_running; }
    QString error() const { return m_error; }
    quint16 port() const { return m_port; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // How many PTR queries for this IPv4 address reached the server.
    int queriesFor(const QString &address) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_running = false;
    QString m_error;
};

// A name server that never answers: a bound UDP socket that reads and drops.
class SilentDnsServer
{
public:
    SilentDnsServer();
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_socket.localPort()); }
    int datagrams() const { return m_datagrams; }

private:
    QUdpSocket m_socket;
    int m_datagrams = 0;
};

QString reverseName(const QString &ipv4);

} // namespace wv::test
