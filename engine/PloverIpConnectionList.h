#pragma once

#include "engine/AgentLink.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace wv {

enum TIpProtocol : quint8
{
    udp_ip = 0x1,
    tcp_ip = 0x2,
};
Q_DECLARE_FLAGS(TIpProtocols, TIpProtocol)
Q_DECLARE_OPERATORS_FOR_FLAGS(TIpProtocols)

using TNotifyEvent = std::function<void(QObject *sender)>;
using IpAddressBytes = std::array<quint8, 4>;

// The name of a tcpConnState code: "CLOSED" (1) ... "TCB_DISCARD" (12),
// "UNKNOWN" for any other code.
QString TcpStateName(qint32 code);

// One row of a connection snapshot.
class TIpConnInfo
{
public:
    explicit TIpConnInfo(const QString &protocol);

    QString Protocol() const { return m_protocol; }
    qint32 State() const { return m_state; }
    QString StateName() const { return TcpStateName(m_state); }
    qint32 LocalPort() const { return m_localPort; }
    // A listening socket has no remote end: its remote port reads 0.
    qint32 RemotePort() const { return m_state == 2 ? 0 : m_remotePort; }
    // Dotted text of the remote address, "0.0.0.0" for UDP rows.
    QString RemoteAddress() const;
    QString LocalAddress() const;
    const IpAddressBytes &RemoteAddressBytes() const { return m_remoteAddress; }
    const IpAddressBytes &LocalAddressBytes() const { return m_localAddress; }

    void setState(qint32 state) { m_state = state; }
    void setLocalPort(qint32 port) { m_localPort = port; }
    void setRemotePort(qint32 port) { m_remotePort = port; }
    void setLocalAddress(const IpAddressBytes &a) { m_localAddress = a; }
    void setRemoteAddress(const IpAddressBytes &a) { m_remoteAddress = a; }

private:
    IpAddressBytes m_remoteAddress{};
    qint32 m_remotePort = 0;
    qint32 m_state = 2;
    IpAddressBytes m_localAddress{};
    qint32 m_localPort = 0;
    QString m_protocol;
};

// A snapshot of the machine's TCP connections and UDP listeners, rebuilt by
// Refresh: TCP rows first, then UDP rows, each in table order (local address,
// local port, remote address, remote port).
class TPloverIpConnectionList : public QObject
{
    Q_OBJECT
public:
    // Opens the agent link (the system's agent when loader is empty); throws
    // EConnListError.
    explicit TPloverIpConnectionList(QObject *owner = nullptr, const AgentLoader &loader = {});
    ~TPloverIpConnectionList() override;

    void Refresh();
    int Count() const;
    // The row at index; an index outside 0..Count()-1 throws EListError.
    TIpConnInfo *Items(int index) const;

    TIpProtocols Protocols() const { return m_protocols; }
    void setProtocols(TIpProtocols protocols) { m_protocols = protocols; }
    bool Refreshing() const { return m_refreshing; }
    TNotifyEvent OnStatusChange() const { return m_onStatusChange; }
    void setOnStatusChange(TNotifyEvent handler) { m_onStatusChange = std::move(handler); }

protected:
    virtual void StatusChange();
    virtual void SetRefreshing(bool value);

private:
    void ClearRows();
    void LockList();
    void UnlockList();
    void WalkTcpTable();
    void WalkUdpTable();
    void query(SnmpVarBindList &list);
    TIpConnInfo *rowAt(int index) const;
    template <typename Set> void walkColumn(SnmpVarBindList &list, int start, quint8 type, Set set);

    std::vector<std::unique_ptr<TIpConnInfo>> m_rows;
    AgentLink m_link;
    TIpProtocols m_protocols = TIpProtocols(udp_ip) | tcp_ip;
    bool m_refreshing = false;
    TNotifyEvent m_onStatusChange;
    std::recursive_timed_mutex m_lock;
};

} // namespace wv
