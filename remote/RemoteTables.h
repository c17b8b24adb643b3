#pragma once

#include "engine/MibTypes.h"
#include "refresh/SnapshotSource.h"

#include <QHash>

#include <cstddef>
#include <tuple>
#include <vector>

namespace wv {

// Object identifiers of the connection tables a remote agent is read from.
namespace RemoteOids {
// RFC 4022 / RFC 4113: every address family, the addresses in the index.
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
// IPv4 rows are kept. An IPv4-mapped IPv6 address (::ffff:a.b.c.d) is the
// IPv4 address it carries, and a wildcard IPv6 listener (::) is taken as
// listening on IPv4 too, as it does on a host that does not set bindv6only;
// other IPv6 rows are counted in skippedIpv6() and left out.
class RemoteTableDecoder
{
public:
    // Each takes the part of an object's identifier after the column (the
    // row's index) and returns false when it is malformed; the row is then
    // left out.
    bool addTcpConnection(const quint32 *index, std::size_t length, qint64 state);
    bool addTcpListener(const quint32 *index, std::size_t length);
    bool addUdpEndpoint(const quint32 *index, std::size_t length);
    bool addTcpConnEntry(const quint32 *index, std::size_t length, qint64 state);
    bool addUdpEntry(const quint32 *index, std::size_t length);

    bool hasTcp() const { return !m_tcp.empty(); }
    bool hasUdp() const { return !m_udp.empty(); }
    int skippedIpv6() const { return m_skippedIpv6; }
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
        auto key() const { return std::tie(localAddress, localPort, remoteAddress, remotePort); }
    };
    // Reads an InetAddressType and a length-prefixed InetAddress; false when
    // malformed. ipv4 is false for an IPv6 address that is not one.
    bool readAddress(const quint32 *&p, const quint32 *end, quint32 &address, bool &ipv4,
                     bool wildcardIsIpv4);
    static bool readPort(const quint32 *&p, const quint32 *end, quint32 &port);
    const QString &addressText(quint32 address);

    std::vector<Raw> m_tcp, m_udp;
    QHash<quint32, QString> m_texts;
    int m_skippedIpv6 = 0;
    int m_malformed = 0;
};

} // namespace wv
