#include "engine/MibView.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace wv {

int compareOid(const quint32 *a, std::size_t na, const quint32 *b, std::size_t nb)
{
    const std::size_t n = std::min(na, nb);
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

namespace {

constexpr quint32 Mib2[] = {1, 3, 6, 1, 2, 1};
constexpr std::size_t Mib2Length = 6;
constexpr std::size_t MaxIdentifier = 64;

struct ScalarDef
{
    quint8 group;  // ip 4, icmp 5, tcp 6, udp 7
    quint8 object; // object number within the group
    quint8 type;
    const char *kernelName; // null: a counter the kernel does not keep
};

// RFC 1213 scalars with the /proc/net/snmp names they are read from.
constexpr ScalarDef Scalars[] = {
    {4, 1, ASN_INTEGER, "Forwarding"},
    {4, 2, ASN_INTEGER, "DefaultTTL"},
    {4, 3, ASN_COUNTER32, "InReceives"},
    {4, 4, ASN_COUNTER32, "InHdrErrors"},
    {4, 5, ASN_COUNTER32, "InAddrErrors"},
    {4, 6, ASN_COUNTER32, "ForwDatagrams"},
    {4, 7, ASN_COUNTER32, "InUnknownProtos"},
    {4, 8, ASN_COUNTER32, "InDiscards"},
    {4, 9, ASN_COUNTER32, "InDelivers"},
    {4, 10, ASN_COUNTER32, "OutRequests"},
    {4, 11, ASN_COUNTER32, "OutDiscards"},
    {4, 12, ASN_COUNTER32, "OutNoRoutes"},
    {4, 13, ASN_INTEGER, "ReasmTimeout"},
    {4, 14, ASN_COUNTER32, "ReasmReqds"},
    {4, 15, ASN_COUNTER32, "ReasmOKs"},
    {4, 16, ASN_COUNTER32, "ReasmFails"},
    {4, 17, ASN_COUNTER32, "FragOKs"},
    {4, 18, ASN_COUNTER32, "FragFails"},
    {4, 19, ASN_COUNTER32, "FragCreates"},
    // ipAddrTable, ipRouteTable and ipNetToMediaTable (20-22) are not served.
    // Linux keeps no count of discarded routing entries: always 0, as snmpd.
    {4, 23, ASN_COUNTER32, nullptr},
    {5, 1, ASN_COUNTER32, "InMsgs"},
    {5, 2, ASN_COUNTER32, "InErrors"},
    {5, 3, ASN_COUNTER32, "InDestUnreachs"},
    {5, 4, ASN_COUNTER32, "InTimeExcds"},
    {5, 5, ASN_COUNTER32, "InParmProbs"},
    {5, 6, ASN_COUNTER32, "InSrcQuenchs"},
    {5, 7, ASN_COUNTER32, "InRedirects"},
    {5, 8, ASN_COUNTER32, "InEchos"},
    {5, 9, ASN_COUNTER32, "InEchoReps"},
    {5, 10, ASN_COUNTER32, "InTimestamps"},
    {5, 11, ASN_COUNTER32, "InTimestampReps"},
    {5, 12, ASN_COUNTER32, "InAddrMasks"},
    {5, 13, ASN_COUNTER32, "InAddrMaskReps"},
    {5, 14, ASN_COUNTER32, "OutMsgs"},
    {5, 15, ASN_COUNTER32, "OutErrors"},
    {5, 16, ASN_COUNTER32, "OutDestUnreachs"},
    {5, 17, ASN_COUNTER32, "OutTimeExcds"},
    {5, 18, ASN_COUNTER32, "OutParmProbs"},
    {5, 19, ASN_COUNTER32, "OutSrcQuenchs"},
    {5, 20, ASN_COUNTER32, "OutRedirects"},
    {5, 21, ASN_COUNTER32, "OutEchos"},
    {5, 22, ASN_COUNTER32, "OutEchoReps"},
    {5, 23, ASN_COUNTER32, "OutTimestamps"},
    {5, 24, ASN_COUNTER32, "OutTimestampReps"},
    {5, 25, ASN_COUNTER32, "OutAddrMasks"},
    {5, 26, ASN_COUNTER32, "OutAddrMaskReps"},
    {6, 1, ASN_INTEGER, "RtoAlgorithm"},
    {6, 2, ASN_INTEGER, "RtoMin"},
    {6, 3, ASN_INTEGER, "RtoMax"},
    {6, 4, ASN_INTEGER, "MaxConn"},
    {6, 5, ASN_COUNTER32, "ActiveOpens"},
    {6, 6, ASN_COUNTER32, "PassiveOpens"},
    {6, 7, ASN_COUNTER32, "AttemptFails"},
    {6, 8, ASN_COUNTER32, "EstabResets"},
    {6, 9, ASN_GAUGE32, "CurrEstab"},
    {6, 10, ASN_COUNTER32, "InSegs"},
    {6, 11, ASN_COUNTER32, "OutSegs"},
    {6, 12, ASN_COUNTER32, "RetransSegs"},
    // tcpConnTable (13) lies here.
    {6, 14, ASN_COUNTER32, "InErrs"},
    {6, 15, ASN_COUNTER32, "OutRsts"},
    {7, 1, ASN_COUNTER32, "InDatagrams"},
    {7, 2, ASN_COUNTER32, "NoPorts"},
    {7, 3, ASN_COUNTER32, "InErrors"},
    {7, 4, ASN_COUNTER32, "OutDatagrams"},
    // udpTable (5) follows.
};
constexpr std::size_t ScalarCount = sizeof Scalars / sizeof Scalars[0];

const char *kernelGroup(quint8 group)
{
    switch (group) {
    case 4:
        return "Ip";
    case 5:
        return "Icmp";
    case 6:
        return "Tcp";
    default:
        return "Udp";
    }
}

// Which run of scalars a scalar belongs to: 0 before tcpConnTable, 1 between
// it and tcpConnectionTable, 2 the udp group.
int scalarRun(const ScalarDef &d)
{
    return d.group == 7 ? 2 : (d.group == 6 && d.object > 13) ? 1 : 0;
}

// Table layout: the entry's identifier and its column count.
constexpr quint32 TcpEntry[] = {1, 3, 6, 1, 2, 1, 6, 13, 1};
constexpr quint32 UdpEntry[] = {1, 3, 6, 1, 2, 1, 7, 5, 1};
constexpr std::size_t EntryLength = 9;
constexpr std::size_t TcpColumns = 5;
constexpr std::size_t UdpColumns = 2;
constexpr quint32 ConnectionEntry[] = {1, 3, 6, 1, 2, 1, 6, 19, 1};
constexpr quint32 ListenerEntry[] = {1, 3, 6, 1, 2, 1, 6, 20, 1};
constexpr quint32 EndpointEntry[] = {1, 3, 6, 1, 2, 1, 7, 7, 1};
// The readable columns: tcpConnectionState (7) and tcpConnectionProcess (8);
// tcpListenerProcess (4); udpEndpointProcess (8). The others are index only.
constexpr quint32 ConnectionColumns[] = {7, 8};
constexpr quint32 ListenerColumns[] = {4};
constexpr quint32 EndpointColumns[] = {8};
// InetAddressType
constexpr quint32 InetIpv4 = 1, InetIpv6 = 2;

quint32 *putAddress(quint32 *p, quint32 address)
{
    *p++ = address >> 24;
    *p++ = (address >> 16) & 0xff;
    *p++ = (address >> 8) & 0xff;
    *p++ = address & 0xff;
    return p;
}

void setAddress(AsnAny &v, quint32 address)
{
    v.asnType = ASN_IPADDRESS;
    v.address = {quint8(address >> 24), quint8(address >> 16), quint8(address >> 8),
                 quint8(address)};
}

void setNumber(AsnAny &v, quint8 type, quint32 value)
{
    v.asnType = type;
    v.unsigned32 = value;
}

// Where the next object may still lie in a segment: an identifier at or past
// this bound has nothing after it there, so the segment need not be read.
const Oid &segmentBound(int segment)
{
    static const Oid bounds[] = {
        {1, 3, 6, 1, 2, 1, 6, 12, 0},    {1, 3, 6, 1, 2, 1, 6, 13, 1, 6},
        {1, 3, 6, 1, 2, 1, 6, 15, 0},    {1, 3, 6, 1, 2, 1, 6, 19, 1, 9},
        {1, 3, 6, 1, 2, 1, 6, 20, 1, 5}, {1, 3, 6, 1, 2, 1, 7, 4, 0},
        {1, 3, 6, 1, 2, 1, 7, 5, 1, 3},  {1, 3, 6, 1, 2, 1, 7, 7, 1, 9},
    };
    return bounds[segment];
}

// Appends an InetAddressType, InetAddress and port to an index: an IPv4
// socket's address as 1.4.a.b.c.d, an IPv6 socket's (IPv4-mapped ones too)
// as 2.16 and its sixteen octets.
quint32 *putEndpoint(quint32 *p, const SocketEntry &e, bool remote)
{
    if (e.ipv6) {
        const Ipv6Bytes &a = remote ? e.remote6 : e.local6;
        *p++ = InetIpv6;
        *p++ = 16;
        for (quint8 b : a)
            *p++ = b;
    } else {
        *p++ = InetIpv4;
        *p++ = 4;
        p = putAddress(p, remote ? e.remoteAddress : e.localAddress);
    }
    *p++ = remote ? e.remotePort : e.localPort;
    return p;
}

std::pair<const quint32 *, std::size_t> entryOf(int table)
{
    // table: 0 connections, 1 listeners, 2 endpoints
    static const quint32 *const entries[] = {ConnectionEntry, ListenerEntry, EndpointEntry};
    return {entries[table], EntryLength};
}

std::pair<const quint32 *, std::size_t> columnsOf(int table)
{
    switch (table) {
    case 0:
        return {ConnectionColumns, 2};
    case 1:
        return {ListenerColumns, 1};
    default:
        return {EndpointColumns, 1};
    }
}

} // namespace

MibView::MibView(SocketSource &sockets, CounterSource &counters)
    : m_sockets(sockets), m_counters(counters)
{
}

qint32 MibView::tcpConnState(quint8 kernelState)
{
    // Kernel numbering: 1 ESTABLISHED, 2 SYN_SENT, 3 SYN_RECV, 4 FIN_WAIT1,
    // 5 FIN_WAIT2, 6 TIME_WAIT, 7 CLOSE, 8 CLOSE_WAIT, 9 LAST_ACK, 10 LISTEN,
    // 11 CLOSING, 12 NEW_SYN_RECV (a request socket, shown as SYN_RECV).
    static constexpr qint32 map[] = {1, 5, 3, 4, 6, 7, 11, 1, 8, 9, 2, 10, 4};
    return kernelState < sizeof map / sizeof map[0] ? map[kernelState] : 1;
}

void MibView::keepLastTables()
{
    // A table not made this walk from the same sockets stays as the last one
    // made: a walk that stopped short (or was not needed) keeps it for the next.
    auto keep = [](IndexedTable &last, IndexedTable &current, bool same) {
        if (current.loaded || !same)
            last = std::move(current);
    };
    if (m_haveTcpEntries) {
        m_lastTcp.entries.swap(m_tcpEntries);
        m_lastTcp.read = true;
        if (m_haveTcp || !m_sameTcp) {
            m_lastTcp.table.swap(m_tcp);
            m_lastTcp.haveTable = m_haveTcp;
        }
        keep(m_lastTcp.connections, indexed(TcpConnections), m_sameTcp);
        keep(m_lastTcp.listeners, indexed(TcpListeners), m_sameTcp);
    }
    if (m_haveUdpEntries) {
        m_lastUdp.entries.swap(m_udpEntries);
        m_lastUdp.read = true;
        if (m_haveUdp || !m_sameUdp) {
            m_lastUdp.table.swap(m_udp);
            m_lastUdp.haveTable = m_haveUdp;
        }
        keep(m_lastUdp.endpoints, indexed(UdpEndpoints), m_sameUdp);
    }
}

bool MibView::lastTableUnchanged() const
{
    switch (m_lastSegment) {
    case TcpTable:
    case TcpConnections:
    case TcpListeners:
        return m_haveTcpEntries && m_sameTcp && m_lastTcp.read;
    case UdpTable:
    case UdpEndpoints:
        return m_haveUdpEntries && m_sameUdp && m_lastUdp.read;
    default:
        return false;
    }
}

bool MibView::takeLastIndexed(int segment, IndexedTable &table)
{
    IndexedTable &last = segment == TcpConnections ? m_lastTcp.connections
                         : segment == TcpListeners ? m_lastTcp.listeners
                                                   : m_lastUdp.endpoints;
    const bool same = segment == UdpEndpoints ? m_sameUdp : m_sameTcp;
    if (!same || !last.loaded)
        return false;
    table.rows = std::move(last.rows);
    last = IndexedTable();
    for (IndexedRow &r : table.rows)
        r.pid = 0;
    return true;
}

void MibView::beginWalk()
{
    keepLastTables();
    m_sameTcp = m_sameUdp = false;
    m_haveCounters = m_haveTcp = m_haveUdp = false;
    m_haveTcpEntries = m_haveUdpEntries = false;
    for (auto &run : m_scalars)
        run.clear();
    m_tcp.clear();
    m_udp.clear();
    m_tcpEntries.clear();
    m_udpEntries.clear();
    for (IndexedTable &t : m_indexed)
        t = IndexedTable();
    m_lastSegment = -1;
    // The counters are cheap to read and taken at once; a table is taken
    // whole when the walk first reaches it, which a counter read never does.
    loadCounters();
}

void MibView::loadCounters()
{
    std::vector<KernelCounter> counters;
    m_counters.read(counters);
    for (std::size_t d = 0; d < ScalarCount; ++d) {
        const ScalarDef &def = Scalars[d];
        if (!def.kernelName) {
            m_scalars[scalarRun(def)].push_back({quint8(d), 0});
            continue;
        }
        const char *group = kernelGroup(def.group);
        // Later groups of the same name (none today) must not shadow the first.
        const auto it = std::find_if(counters.begin(), counters.end(), [&](const KernelCounter &c) {
            return c.group == group && c.name == def.kernelName;
        });
        if (it == counters.end())
            continue;
        m_scalars[scalarRun(def)].push_back({quint8(d), quint32(quint64(it->value))});
    }
    m_haveCounters = true;
}

void MibView::readTcpEntries()
{
    if (m_haveTcpEntries)
        return;
    m_sockets.setTrafficWanted(m_trafficWanted);
    m_sockets.readTcp(m_tcpEntries);
    m_haveTcpEntries = true;
    m_sameTcp = m_tcpEntries == m_lastTcp.entries;
}

void MibView::readUdpEntries()
{
    if (m_haveUdpEntries)
        return;
    m_sockets.readUdp(m_udpEntries);
    m_haveUdpEntries = true;
    m_sameUdp = m_udpEntries == m_lastUdp.entries;
}

void MibView::loadTcp()
{
    readTcpEntries();
    if (m_sameTcp && m_lastTcp.haveTable) {
        m_tcp.swap(m_lastTcp.table);
        m_lastTcp.haveTable = false;
        m_haveTcp = true;
        return;
    }
    const std::vector<SocketEntry> &entries = m_tcpEntries;
    m_tcp.reserve(entries.size());
    for (const SocketEntry &e : entries)
        if (e.hasIpv4View)
            m_tcp.push_back({quint64(e.localAddress) << 16 | e.localPort,
                             quint64(e.remoteAddress) << 16 | e.remotePort, tcpConnState(e.state)});
    // Sockets that share an index (SO_REUSEPORT listeners, an IPv6 socket whose
    // IPv4 form equals an IPv4 socket's) make one row; the first one read wins,
    // and IPv4 sockets are read first.
    std::stable_sort(m_tcp.begin(), m_tcp.end(), [](const TcpRow &a, const TcpRow &b) {
        return a.local != b.local ? a.local < b.local : a.remote < b.remote;
    });
    m_tcp.erase(std::unique(m_tcp.begin(), m_tcp.end(),
                            [](const TcpRow &a, const TcpRow &b) {
                                return a.local == b.local && a.remote == b.remote;
                            }),
                m_tcp.end());
    m_haveTcp = true;
}

void MibView::loadUdp()
{
    readUdpEntries();
    if (m_sameUdp && m_lastUdp.haveTable) {
        m_udp.swap(m_lastUdp.table);
        m_lastUdp.haveTable = false;
        m_haveUdp = true;
        return;
    }
    const std::vector<SocketEntry> &entries = m_udpEntries;
    m_udp.reserve(entries.size());
    // The table lists receiving endpoints: connected sockets (state
    // ESTABLISHED) are left out, as the standard agent does.
    for (const SocketEntry &e : entries) {
        if (e.state == KernelClose && e.hasIpv4View)
            m_udp.push_back(quint64(e.localAddress) << 16 | e.localPort);
    }
    std::sort(m_udp.begin(), m_udp.end());
    m_udp.erase(std::unique(m_udp.begin(), m_udp.end()), m_udp.end());
    m_haveUdp = true;
}

void MibView::sortIndexed(int segment, bool tcp, IndexedTable &table) const
{
    for (const SocketEntry &e : tcp ? m_tcpEntries : m_udpEntries) {
        const bool listening = e.state == KernelListen;
        if ((segment == TcpConnections && listening) || (segment == TcpListeners && !listening))
            continue;
        IndexedRow r;
        quint32 *p = putEndpoint(r.index.data(), e, false);
        if (segment != TcpListeners)
            p = putEndpoint(p, e, true);
        if (segment == UdpEndpoints)
            *p++ = e.inode;
        r.length = quint8(p - r.index.data());
        r.state = tcpConnState(e.state);
        r.inode = e.inode;
        r.pid = 0;
        r.sent = e.bytesAcked;
        r.received = e.bytesReceived;
        table.rows.push_back(r);
    }
    const auto before = [](const IndexedRow &a, const IndexedRow &b) {
        return compareOid(a.index.data(), a.length, b.index.data(), b.length) < 0;
    };
    // Sockets that share an index (SO_REUSEPORT listeners) make one row, the
    // first one read.
    std::stable_sort(table.rows.begin(), table.rows.end(), before);
    table.rows.erase(std::unique(table.rows.begin(), table.rows.end(),
                                 [](const IndexedRow &a, const IndexedRow &b) {
                                     return compareOid(a.index.data(), a.length, b.index.data(),
                                                       b.length) == 0;
                                 }),
                     table.rows.end());
}

void MibView::loadIndexed(int segment)
{
    const bool tcp = segment != UdpEndpoints;
    if (tcp)
        readTcpEntries();
    else
        readUdpEntries();
    IndexedTable &table = indexed(segment);
    std::vector<quint32> inodes;
    if (!takeLastIndexed(segment, table))
        sortIndexed(segment, tcp, table);
    if (m_ownersWanted) {
        inodes.reserve(table.rows.size());
        for (const IndexedRow &r : table.rows)
            inodes.push_back(r.inode);
        std::vector<quint32> pids;
        m_owners.resolve(inodes, pids);
        for (std::size_t i = 0; i < pids.size(); ++i)
            table.rows[i].pid = pids[i];
    }
    table.loaded = true;
}

bool MibView::tcpTraffic(const Oid &name, qint64 &sent, qint64 &received)
{
    constexpr std::size_t prefix = EntryLength + 1;
    if (name.size() <= prefix ||
        !std::equal(ConnectionEntry, ConnectionEntry + EntryLength, name.begin()))
        return false;
    IndexedTable &table = indexed(TcpConnections);
    if (!table.loaded || table.rows.empty())
        return false;
    const quint32 *key = name.data() + prefix;
    const std::size_t keyLength = name.size() - prefix;
    // A walk asks about the row it was given last: no search then.
    if (m_lastSegment == TcpConnections) {
        const IndexedRow &last = table.rows[m_lastIndex % table.rows.size()];
        if (compareOid(last.index.data(), last.length, key, keyLength) == 0) {
            sent = last.sent;
            received = last.received;
            return last.sent >= 0;
        }
    }
    const auto it =
        std::lower_bound(table.rows.begin(), table.rows.end(), 0, [&](const IndexedRow &r, int) {
            return compareOid(r.index.data(), r.length, key, keyLength) < 0;
        });
    if (it == table.rows.end() || compareOid(it->index.data(), it->length, key, keyLength) != 0 ||
        it->sent < 0)
        return false;
    sent = it->sent;
    received = it->received;
    return true;
}

std::size_t MibView::segmentSize(int segment)
{
    switch (segment) {
    case LowScalars:
    case TcpScalars:
    case UdpScalars:
        if (!m_haveCounters)
            loadCounters();
        return m_scalars[segment == LowScalars ? 0 : segment == TcpScalars ? 1 : 2].size();
    case TcpTable:
        if (!m_haveTcp)
            loadTcp();
        return m_tcp.size() * TcpColumns;
    case TcpConnections:
    case TcpListeners:
    case UdpEndpoints:
        if (!indexed(segment).loaded)
            loadIndexed(segment);
        return indexed(segment).rows.size() * columnsOf(tableNumber(segment)).second;
    default:
        if (!m_haveUdp)
            loadUdp();
        return m_udp.size() * UdpColumns;
    }
}

std::size_t MibView::identifierAt(int segment, std::size_t i, quint32 *buffer) const
{
    quint32 *p = buffer;
    switch (segment) {
    case LowScalars:
    case TcpScalars:
    case UdpScalars: {
        const ScalarDef &d = Scalars[scalarAt(segment, i).def];
        std::copy(Mib2, Mib2 + Mib2Length, p);
        p += Mib2Length;
        *p++ = d.group;
        *p++ = d.object;
        *p++ = 0;
        break;
    }
    case TcpTable: {
        const std::size_t n = m_tcp.size();
        const TcpRow &r = m_tcp[i % n];
        std::copy(TcpEntry, TcpEntry + EntryLength, p);
        p += EntryLength;
        *p++ = quint32(i / n + 1);
        p = putAddress(p, quint32(r.local >> 16));
        *p++ = quint32(r.local & 0xffff);
        p = putAddress(p, quint32(r.remote >> 16));
        *p++ = quint32(r.remote & 0xffff);
        break;
    }
    case TcpConnections:
    case TcpListeners:
    case UdpEndpoints: {
        const int t = tableNumber(segment);
        const IndexedTable &table = indexed(segment);
        const std::size_t n = table.rows.size();
        const IndexedRow &r = table.rows[i % n];
        const auto entry = entryOf(t);
        std::copy(entry.first, entry.first + entry.second, p);
        p += entry.second;
        *p++ = columnsOf(t).first[i / n];
        p = std::copy(r.index.data(), r.index.data() + r.length, p);
        break;
    }
    default: {
        const std::size_t n = m_udp.size();
        const quint64 local = m_udp[i % n];
        std::copy(UdpEntry, UdpEntry + EntryLength, p);
        p += EntryLength;
        *p++ = quint32(i / n + 1);
        p = putAddress(p, quint32(local >> 16));
        *p++ = quint32(local & 0xffff);
    }
    }
    return std::size_t(p - buffer);
}

void MibView::fill(int segment, std::size_t i, SnmpVarBind &out)
{
    quint32 buffer[MaxIdentifier];
    out.name.assign(buffer, buffer + identifierAt(segment, i, buffer));
    AsnAny &v = out.value;
    switch (segment) {
    case LowScalars:
    case TcpScalars:
    case UdpScalars: {
        const Scalar &s = scalarAt(segment, i);
        setNumber(v, Scalars[s.def].type, s.value);
        break;
    }
    case TcpConnections:
    case TcpListeners:
    case UdpEndpoints: {
        const IndexedTable &table = indexed(segment);
        const std::size_t n = table.rows.size();
        const IndexedRow &r = table.rows[i % n];
        const quint32 column = columnsOf(tableNumber(segment)).first[i / n];
        if (segment == TcpConnections && column == 7)
            setNumber(v, ASN_INTEGER, quint32(r.state));
        else
            setNumber(v, ASN_GAUGE32, r.pid); // the process columns are Unsigned32
        break;
    }
    case TcpTable: {
        const std::size_t n = m_tcp.size();
        const TcpRow &r = m_tcp[i % n];
        switch (i / n + 1) {
        case 1:
            setNumber(v, ASN_INTEGER, quint32(r.state));
            break;
        case 2:
            setAddress(v, quint32(r.local >> 16));
            break;
        case 3:
            setNumber(v, ASN_INTEGER, quint32(r.local & 0xffff));
            break;
        case 4:
            setAddress(v, quint32(r.remote >> 16));
            break;
        default:
            setNumber(v, ASN_INTEGER, quint32(r.remote & 0xffff));
        }
        break;
    }
    default: {
        const std::size_t n = m_udp.size();
        const quint64 local = m_udp[i % n];
        if (i / n == 0)
            setAddress(v, quint32(local >> 16));
        else
            setNumber(v, ASN_INTEGER, quint32(local & 0xffff));
    }
    }
    m_lastIndex = i;
}

bool MibView::firstFrom(int segment, SnmpVarBind &out)
{
    for (int s = segment; s < SegmentCount; ++s) {
        if (segmentSize(s) > 0) {
            fill(s, 0, out);
            m_lastSegment = s;
            return true;
        }
    }
    m_lastSegment = -1;
    return false;
}

bool MibView::next(const Oid &name, SnmpVarBind &out)
{
    for (int s = 0; s < SegmentCount; ++s) {
        if (compareOid(name, segmentBound(s)) >= 0)
            continue;
        const std::size_t size = segmentSize(s);
        // The elements of a segment are in ascending order: find the first
        // one after name.
        std::size_t lo = 0, hi = size;
        quint32 buffer[MaxIdentifier];
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            const std::size_t len = identifierAt(s, mid, buffer);
            if (compareOid(buffer, len, name.data(), name.size()) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo < size) {
            fill(s, lo, out);
            m_lastSegment = s;
            return true;
        }
    }
    m_lastSegment = -1;
    return false;
}

bool MibView::advance(SnmpVarBind &out)
{
    if (m_lastSegment < 0)
        return false;
    const std::size_t i = m_lastIndex + 1;
    if (i < segmentSize(m_lastSegment)) {
        fill(m_lastSegment, i, out);
        return true;
    }
    return firstFrom(m_lastSegment + 1, out);
}

} // namespace wv
