#pragma once

#include "engine/MibTypes.h"
#include "refresh/SnapshotSource.h"

#include <QHash>

#include <array>
#include <cstddef>
#include <tuple>
#include <vector>

namespace wv {

// Object identifiers of the connection tables a remote agent is read from.
namespace RemoteOids {
// RFC 4022 / RFC 4113: every address family, the addresses in the index.
inline const Oid TcpConnectionEntry = {1, 3, 6, 1, 2, 1, 6, 19, 1};
inline const Oid TcpConnectionState = {1, 3, 6, 1, 2, 1, 6, 19, 1, 7};
inline const Oid TcpListenerEntry = {1, 3, 6, 1, 2, 1, 6, 20, 1};
inline const Oid UdpEndpointEntry = {1, 3, 6, 1, 2, 1, 7, 7, 1};
// RFC 1213 (MIB-II): IPv4 only.
inline const Oid TcpConnState = {1, 3, 6, 1, 2, 1, 6, 13, 1, 1};
inline const Oid UdpLocalAddress = {1, 3, 6, 1, 2, 1, 7, 5, 1, 1};
} // namespace RemoteOids

// Collects the rows of a remote agent's connection tables from the indexes
// of the objects walked, and hands them out as a snapshot in the order of
// the local one: TCP rows (connections and listeners together) ascending by
// local address, local port, remote address and remote port, then UDP rows
// ascending by local address and port.
//
// An IPv4-mapped IPv6 address (::ffff:a.b.c.d) is the IPv4 address it
// carries, and a wildcard IPv6 listener (::) is taken as listening on IPv4,
// as it does on a host that keeps bindv6only at 0; other IPv6 sockets are
// IPv6 rows (family 6), after the IPv4 rows of their protocol: connections,
// then listeners, in the agent's order.
class RemoteTableDecoder
{
public:
    // Each takes the part of an object's identifier after the column (the
    // row's index) and returns false when it is malformed; the row is then
    // left out.
    // pid: the owning process the agent gives (tcpConnectionProcess and the
    // like), 0 when it gives none.
    bool addTcpConnection(const quint32 *index, std::size_t length, qint64 state, qint64 pid = 0);
    bool addTcpListener(const quint32 *index, std::size_t length, qint64 pid = 0);
    bool addUdpEndpoint(const quint32 *index, std::size_t length, qint64 pid = 0);
    bool addTcpConnEntry(const quint32 *index, std::size_t length, qint64 state);
    bool addUdpEntry(const quint32 *index, std::size_t length);

    int ipv6Rows() const { return int(m_tcp6.size() + m_udp6.size()); }
    int malformed() const { return m_malformed; }

    // The rows collected, sorted, one per identity; then empties the decoder
    // (the address texts are kept for the next snapshot).
    QList<SnapshotRow> takeRows();

private:
    struct Raw
    {
        quint32 localAddress;
        quint32 localPort;
        quint32 remoteAddress;
        quint32 remotePort;
        int state;
        qint64 pid = 0;
        auto key() const { return std::tie(localAddress, localPort, remoteAddress, remotePort); }
    };
    using Ip6 = std::array<quint8, 16>;
    struct Raw6
    {
        Ip6 localAddress;
        quint32 localPort;
        Ip6 remoteAddress;
        quint32 remotePort;
        int state;
        qint64 pid = 0;
    };
    // An address read from an index: IPv4 (v4), or IPv6 with no IPv4 form.
    struct Address
    {
        bool ipv4 = true;
        quint32 v4 = 0;
        Ip6 v6{};
        Ip6 asIpv6() const;
    };
    // Reads an InetAddressType and a length-prefixed InetAddress; false when
    // malformed.
    static bool readAddress(const quint32 *&p, const quint32 *end, Address &address,
                            bool wildcardIsIpv4);
    static bool readPort(const quint32 *&p, const quint32 *end, quint32 &port);
    const QString &addressText(quint32 address);
    static QString addressText(const Ip6 &address);

    std::vector<Raw> m_tcp, m_udp;
    std::vector<Raw6> m_tcp6, m_udp6;
    QHash<quint32, QString> m_texts;
    int m_malformed = 0;
};

} // namespace wv
