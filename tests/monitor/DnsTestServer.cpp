#include "tests/monitor/DnsTestServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QThread>

#include <algorithm>
#include <unistd.h>

namespace wv::test {

QString reverseName(const QString &address)
{
    // IPv6: one label per hex digit, last digit first, under ip6.arpa.
    if (address.contains(QLatin1Char(':'))) {
        const Q_IPV6ADDR a = QHostAddress(address).toIPv6Address();
        QStringList nibbles;
        for (int i = 15; i >= 0; --i)
            nibbles << QString::number(a[i] & 0xf, 16) << QString::number(a[i] >> 4, 16);
        return nibbles.join(QLatin1Char('.')) + QStringLiteral(".ip6.arpa");
    }
    QStringList parts = address.split(QLatin1Char('.'));
    std::reverse(parts.begin(), parts.end());
    return parts.join(QLatin1Char('.')) + QStringLiteral(".in-addr.arpa");
}

namespace {

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

} // namespace

DnsTestServer::DnsTestServer(const QStringList &ptrRecords, const QStringList &hostRecords,
                             const QStringList &localDomains)
{
    const QString log = m_dir.filePath(QStringLiteral("queries.log"));
    // A port picked by the kernel may be taken again before dnsmasq binds it.
    for (int attempt = 0; attempt < 5 && !m_running; ++attempt) {
        m_port = freeUdpPort();
        QFile::remove(log);
        QStringList args{QStringLiteral("--no-daemon"), QStringLiteral("--no-resolv"),
                         QStringLiteral("--no-hosts"), QStringLiteral("--port=%1").arg(m_port),
                         QStringLiteral("--listen-address=127.0.0.1"),
                         QStringLiteral("--bind-interfaces"), QStringLiteral("--log-queries"),
                         QStringLiteral("--log-facility=") + log, QStringLiteral("--pid-file="),
                         QStringLiteral("--cache-size=0"),
                         // Unknown reverse names get NXDOMAIN instead of REFUSED.
                         QStringLiteral("--local=/in-addr.arpa/")};
        if (qgetenv("USER") == "root" || ::geteuid() == 0)
            args << QStringLiteral("--user=root");
        for (const QString &r : ptrRecords) {
            const QString address = r.section(QLatin1Char('='), 0, 0);
            const QString name = r.section(QLatin1Char('='), 1);
            args << QStringLiteral("--ptr-record=%1,%2").arg(reverseName(address), name);
        }
        for (const QString &r : hostRecords)
            args << QStringLiteral("--host-record=%1,%2")
                        .arg(r.section(QLatin1Char('='), 0, 0), r.section(QLatin1Char('='), 1));
        for (const QString &d : localDomains)
            args << QStringLiteral("--local=/%1/").arg(d);
        m_process.start(QStringLiteral("/usr/sbin/dnsmasq"), args);
        if (!m_process.waitForStarted(3000)) {
            m_error = m_process.errorString();
            return;
        }
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000 && m_process.state() == QProcess::Running) {
            QFile f(log);
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains("using only locally-known")) {
                m_running = true;
                break;
            }
            QThread::msleep(20);
        }
        if (!m_running) {
            m_error = QString::fromLocal8Bit(m_process.readAllStandardError());
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

DnsTestServer::~DnsTestServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

int DnsTestServer::queriesFor(const QString &address) const
{
    QFile f(m_dir.filePath(QStringLiteral("queries.log")));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray needle = "query[PTR] " + reverseName(address).toLatin1() + " ";
    return int(f.readAll().count(needle));
}

SilentDnsServer::SilentDnsServer()
{
    m_socket.bind(QHostAddress::LocalHost, 0);
    QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
        while (m_socket.hasPendingDatagrams()) {
            m_socket.receiveDatagram();
            ++m_datagrams;
        }
    });
}

} // namespace wv::test
