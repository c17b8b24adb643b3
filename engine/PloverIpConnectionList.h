#pragma once

#include "engine/AgentLink.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
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
using Ip6AddressBytes = std::array<quint8, 16>;

// The name of a tcpConnState code: "CLOSED" (1) ... "TCB_DISCARD" (12),
// "UNKNOWN" for any other code.
QString TcpStateName(qint32 code);

// Dotted text of an IPv4 address (a.b.c.d is a << 24 | b << 16 | c << 8 | d).
QString ipv4Text(quint32 address);

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
    // Dotted IPv4 text, or the usual text of an IPv6 address ("::1").
    QString RemoteAddress() const;
    QString LocalAddress() const;
    const IpAddressBytes &RemoteAddressBytes() const { return m_remoteAddress; }
    const IpAddressBytes &LocalAddressBytes() const { return m_localAddress; }
    // 4, or 6 for a row of an IPv6 socket with no IPv4 form.
    int Family() const { return m_ipv6 ? 6 : 4; }
    const Ip6AddressBytes &RemoteAddress6Bytes() const { return m_remote6; }
    const Ip6AddressBytes &LocalAddress6Bytes() const { return m_local6; }
    // The owning process (0 and empty when unknown) and the bytes moved (-1
    // when unknown); filled only when the list is asked for them.
    quint32 Pid() const { return m_pid; }
    QString Program() const { return m_program; }
    qint64 BytesSent() const { return m_bytesSent; }
    qint64 BytesReceived() const { return m_bytesReceived; }

    void setState(qint32 state) { m_state = state; }
    void setLocalPort(qint32 port) { m_localPort = port; }
    void setRemotePort(qint32 port) { m_remotePort = port; }
    void setLocalAddress(const IpAddressBytes &a) { m_localAddress = a; }
    void setRemoteAddress(const IpAddressBytes &a) { m_remoteAddress = a; }
    void setIpv6(const Ip6AddressBytes &local, const Ip6AddressBytes &remote)
    {
        m_ipv6 = true;
        m_local6 = local;
        m_remote6 = remote;
    }
    void setOwner(quint32 pid, const QString &program)
    {
        m_pid = pid;
        m_program = program;
    }
    void setTraffic(qint64 sent, qint64 received)
    {
        m_bytesSent = sent;
        m_bytesReceived = received;
    }

private:
    IpAddressBytes m_remoteAddress{};
    qint32 m_remotePort = 0;
    qint32 m_state = 2;
    IpAddressBytes m_localAddress{};
    qint32 m_localPort = 0;
    QString m_protocol;
    bool m_ipv6 = false;
    Ip6AddressBytes m_local6{}, m_remote6{};
    quint32 m_pid = 0;
    QString m_program;
    qint64 m_bytesSent = -1, m_bytesReceived = -1;
};

// A snapshot of the machine's TCP connections and UDP listeners, rebuilt by
// Refresh: TCP rows first, then UDP rows; within each the IPv4 rows in table
// order (local address, local port, remote address, remote port), then the
// IPv6 rows (connections, then listeners) in the order of the IPv6-capable
// tables (tcpConnectionTable, tcpListenerTable, udpEndpointTable).
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
    // Whether rows carry their owning process and their bytes (both off by default).
    void setDetails(bool owners, bool traffic)
    {
        m_owners = owners;
        m_traffic = traffic;
    }
    // Changes whenever a refresh makes rows anew; a refresh that found the
    // agent's tables exactly as the last one did keeps its rows and this number.
    quint64 rowsGeneration() const { return m_rowsGeneration; }
    TNotifyEvent OnStatusChange() const { return m_onStatusChange; }
    void setOnStatusChange(TNotifyEvent handler) { m_onStatusChange = std::move(handler); }

protected:
    virtual void StatusChange();
    virtual void SetRefreshing(bool value);

private:
    void ClearRows();
    void LockList();
    void UnlockList();
    using Rows = std::vector<std::unique_ptr<TIpConnInfo>>;
    using RowRange = std::pair<std::size_t, std::size_t>;
    // Each walk appends its table's rows; when the agent answers it from the
    // sockets the last walk read, it takes the range keep of last instead and
    // returns true.
    bool WalkTcpTable(Rows &last, const std::optional<RowRange> &keep);
    bool WalkUdpTable(Rows &last, const std::optional<RowRange> &keep);
    bool keepRows(Rows &last, const std::optional<RowRange> &range);
    // The IPv6 rows, and the owners and bytes of all rows, from the tables of
    // RFC 4022 and 4113; list holds the object after the IPv4 table.
    void WalkTcpConnectionTables(SnmpVarBindList &list, int start);
    void WalkUdpEndpointTable(SnmpVarBindList &list, int start);
    void setDetailsOf(TIpConnInfo &row, quint32 pid, const SnmpVarBind &binding, bool tcp);
    void query(SnmpVarBindList &list);
    TIpConnInfo *rowAt(int index) const;
    template <typename Set> void walkColumn(SnmpVarBindList &list, int start, quint8 type, Set set);

    Rows m_rows;
    AgentLink m_link;
    TIpProtocols m_protocols = TIpProtocols(udp_ip) | tcp_ip;
    bool m_refreshing = false;
    bool m_owners = false, m_traffic = false;
    // What the rows were made with, while they are a whole refresh's: the
    // details, the tables walked and how many rows the TCP ones gave.
    struct Made
    {
        bool owners, traffic;
        bool tcp, udp;
        std::size_t tcpRows;
    };
    std::optional<Made> m_made;
    quint64 m_rowsGeneration = 0;
    TNotifyEvent m_onStatusChange;
    std::recursive_timed_mutex m_lock;
};

} // namespace wv
