#include "engine/DirectConnectionList.h"

#include "engine/EngineErrors.h"
#include "engine/MibView.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace wv {

// The rows follow the walk of the tables exactly: the IPv4 table (each index
// once, the first socket read wins), the IPv6 connections in the order of
// their index in tcpConnectionTable, then the listeners of tcpListenerTable
// that the IPv4 table does not already show, in that table's order; for UDP
// the IPv4 table, then the IPv6 endpoints of udpEndpointTable that receive
// from anyone and are not an IPv4 row's dual-stack socket.

namespace {

bool isMapped(const Ipv6Bytes &a)
{
    static const quint8 prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return std::memcmp(a.data(), prefix, sizeof prefix) == 0;
}

bool isUnspecified(const Ipv6Bytes &a)
{
    return std::all_of(a.begin(), a.end(), [](quint8 b) { return b == 0; });
}

quint32 lastFour(const Ipv6Bytes &a)
{
    return quint32(a[12]) << 24 | quint32(a[13]) << 16 | quint32(a[14]) << 8 | a[15];
}

quint64 key(quint32 address, quint32 port)
{
    return quint64(address) << 16 | (port & 0xffff);
}

IpAddressBytes bytesOf(quint64 key)
{
    const quint32 a = quint32(key >> 16);
    return {quint8(a >> 24), quint8(a >> 16), quint8(a >> 8), quint8(a)};
}

// Sorts rows of an index table into index order and keeps the first one read
// of each index, as the table does.
template <typename Row> void firstOfEachIndex(std::vector<Row> &rows)
{
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return a.index() != b.index() ? a.index() < b.index() : a.order < b.order;
    });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const Row &a, const Row &b) { return a.index() == b.index(); }),
               rows.end());
}

// Most of a one-time list's cost is the first touch of its memory: room for a
// busy server's rows is asked for at once (pages never written cost nothing)
// rather than grown and copied.
constexpr std::size_t ExpectedRows = 1 << 16;

} // namespace

void DirectConnectionList::Refresh()
{
    m_rows.clear();
    m_addresses.clear();
    m_rows.reserve(ExpectedRows);
    try {
        if (m_protocols.testFlag(tcp_ip))
            readTcp();
        if (m_protocols.testFlag(udp_ip))
            readUdp();
    } catch (const SourceError &) {
        m_rows.clear();
        m_addresses.clear();
        throw EConnListRefreshError(QString::fromLatin1(msg::QueryFailed));
    }
}

void DirectConnectionList::readTcp()
{
    struct Connection
    {
        Ipv6Bytes local, remote;
        quint16 localPort, remotePort;
        quint32 order;
        qint8 state;
        auto index() const { return std::tie(local, localPort, remote, remotePort); }
    };
    // An index of tcpListenerTable: address type (1 IPv4, 2 IPv6), address
    // (an IPv4 one in the last four octets), port.
    struct Listener
    {
        quint8 type;
        Ipv6Bytes address;
        quint16 port;
        quint32 order;
        auto index() const { return std::tie(type, address, port); }
    };
    std::vector<Connection> connections;
    std::vector<Listener> listeners;
    const std::size_t start = m_rows.size();
    quint32 order = 0;
    m_sockets.visitTcp([&](const SocketEntry &e) {
        const quint32 n = order++;
        const qint8 state = qint8(MibView::tcpConnState(e.state));
        if (e.hasIpv4View)
            m_rows.push_back({key(e.localAddress, e.localPort), key(e.remoteAddress, e.remotePort),
                              n, state, false, false});
        if (e.state == KernelListen) {
            Listener l{quint8(e.ipv6 ? 2 : 1), e.local6, e.localPort, n};
            if (!e.ipv6) {
                l.address = {};
                for (int k = 0; k < 4; ++k)
                    l.address[size_t(12 + k)] = quint8(e.localAddress >> (24 - 8 * k));
            }
            listeners.push_back(l);
        } else if (e.ipv6 && !(isMapped(e.local6) && isMapped(e.remote6))) {
            connections.push_back({e.local6, e.remote6, e.localPort, e.remotePort, n, state});
        }
    });

    const auto first = m_rows.begin() + std::ptrdiff_t(start);
    std::sort(first, m_rows.end(), [](const Row &a, const Row &b) {
        return std::tie(a.local, a.remote, a.aux) < std::tie(b.local, b.remote, b.aux);
    });
    m_rows.erase(std::unique(first, m_rows.end(),
                             [](const Row &a, const Row &b) {
                                 return a.local == b.local && a.remote == b.remote;
                             }),
                 m_rows.end());
    // The listening IPv4 rows, by local address and port (in order already).
    std::vector<quint64> listening;
    for (auto r = m_rows.begin() + std::ptrdiff_t(start); r != m_rows.end(); ++r)
        if (r->state == 2 && (r->remote >> 16) == 0)
            listening.push_back(r->local);

    firstOfEachIndex(connections);
    for (const Connection &c : connections) {
        m_addresses.emplace_back(c.local, c.remote);
        m_rows.push_back(
            {c.localPort, c.remotePort, quint32(m_addresses.size()), c.state, false, true});
    }

    firstOfEachIndex(listeners);
    for (const Listener &l : listeners) {
        bool shown = false;
        if (l.type == 1 || isMapped(l.address))
            shown = std::binary_search(listening.begin(), listening.end(),
                                       key(lastFour(l.address), l.port));
        else if (isUnspecified(l.address)) // a dual-stack socket shows as IPv4
            shown = std::binary_search(listening.begin(), listening.end(), key(0, l.port));
        if (shown)
            continue;
        m_addresses.emplace_back(l.type == 2 ? l.address : Ipv6Bytes{}, Ipv6Bytes{});
        m_rows.push_back({l.port, 0, quint32(m_addresses.size()), 2, false, true});
    }
}

void DirectConnectionList::readUdp()
{
    // An endpoint of udpEndpointTable that receives from anyone.
    struct Endpoint
    {
        Ipv6Bytes local;
        quint16 port;
        quint32 inode;
        auto index() const { return std::tie(local, port, inode); }
    };
    std::vector<quint64> ipv4;
    std::vector<Endpoint> endpoints;
    m_sockets.visitUdp([&](const SocketEntry &e) {
        // Connected sockets (ESTABLISHED) receive from their peer only.
        if (e.state == KernelClose && e.hasIpv4View)
            ipv4.push_back(key(e.localAddress, e.localPort));
        if (e.ipv6 && !isMapped(e.local6) && isUnspecified(e.remote6) && e.remotePort == 0)
            endpoints.push_back({e.local6, e.localPort, e.inode});
    });
    std::sort(ipv4.begin(), ipv4.end());
    ipv4.erase(std::unique(ipv4.begin(), ipv4.end()), ipv4.end());
    for (quint64 local : ipv4)
        m_rows.push_back({local, 0, 0, 2, true, false});

    std::sort(endpoints.begin(), endpoints.end(),
              [](const auto &a, const auto &b) { return a.index() < b.index(); });
    endpoints.erase(
        std::unique(endpoints.begin(), endpoints.end(),
                    [](const auto &a, const auto &b) { return a.index() == b.index(); }),
        endpoints.end());
    for (const Endpoint &e : endpoints) {
        // A dual-stack socket is the IPv4 row of its port.
        if (isUnspecified(e.local) && std::binary_search(ipv4.begin(), ipv4.end(), key(0, e.port)))
            continue;
        m_addresses.emplace_back(e.local, Ipv6Bytes{});
        m_rows.push_back({e.port, 0, quint32(m_addresses.size()), 2, true, true});
    }
}

TIpConnInfo DirectConnectionList::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    const Row &r = m_rows[size_t(index)];
    TIpConnInfo row(r.udp ? QStringLiteral("UDP") : QStringLiteral("TCP"));
    row.setState(r.state);
    row.setLocalPort(qint32(r.local & 0xffff));
    row.setRemotePort(qint32(r.remote & 0xffff));
    if (r.ipv6) {
        const auto &a = m_addresses[r.aux - 1];
        row.setIpv6(a.first, a.second);
    } else {
        row.setLocalAddress(bytesOf(r.local));
        row.setRemoteAddress(bytesOf(r.remote));
    }
    return row;
}

} // namespace wv
