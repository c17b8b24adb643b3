#include "refresh/SnapshotSource.h"

#include "engine/PloverIpConnectionList.h"

namespace wv {

QString tcpStateName(int code)
{
    return TcpStateName(code);
}

SnapshotRow SnapshotRow::tcp(const QString &localAddress, int localPort,
                             const QString &remoteAddress, int remotePort, int state)
{
    SnapshotRow r;
    r.protocol = QStringLiteral("TCP");
    r.localAddress = localAddress;
    r.localPort = localPort;
    r.remoteAddress = remoteAddress;
    // A listening socket has no peer, whatever the kernel reports.
    r.remotePort = state == TcpStateListen ? 0 : remotePort;
    r.state = state;
    r.stateName = tcpStateName(state);
    return r;
}

SnapshotRow SnapshotRow::udp(const QString &localAddress, int localPort)
{
    SnapshotRow r;
    r.protocol = QStringLiteral("UDP");
    r.localAddress = localAddress;
    r.localPort = localPort;
    r.remoteAddress = QStringLiteral("0.0.0.0");
    r.remotePort = 0;
    r.state = TcpStateListen;
    r.stateName = tcpStateName(TcpStateListen);
    return r;
}

SnapshotRow SnapshotRow::tcp6(const QString &localAddress, int localPort,
                              const QString &remoteAddress, int remotePort, int state)
{
    SnapshotRow r = tcp(localAddress, localPort, remoteAddress, remotePort, state);
    r.family = 6;
    return r;
}

SnapshotRow SnapshotRow::udp6(const QString &localAddress, int localPort)
{
    SnapshotRow r = udp(localAddress, localPort);
    r.remoteAddress = QStringLiteral("::");
    r.family = 6;
    return r;
}

QString SnapshotRow::keyLine() const
{
    QString key;
    key.reserve(remoteAddress.size() + stateName.size() + 16);
    key += remoteAddress;
    key += QLatin1Char('*');
    key += QString::number(localPort);
    key += QLatin1Char('*');
    key += QString::number(remotePort);
    key += QLatin1Char('*');
    key += stateName;
    return key;
}

QList<SnapshotRow> ScriptedSource::takeSnapshot()
{
    ++m_calls;
    if (!m_script.isEmpty()) {
        Step step = m_script.takeFirst();
        if (!step.failure.isEmpty())
            throw SnapshotError(step.failure.toStdString());
        m_last = std::move(step.rows);
    }
    return m_last;
}

} // namespace wv
