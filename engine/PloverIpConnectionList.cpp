#include "engine/PloverIpConnectionList.h"

#include "engine/EngineErrors.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace wv {

namespace {

// Column templates of tcpConnEntry and udpEntry (the first column of each).
constexpr TOidTemplate TcpConnStateColumn = {1, 3, 6, 1, 2, 1, 6, 13, 1, 1};
constexpr TOidTemplate UdpLocalAddressColumn = {1, 3, 6, 1, 2, 1, 7, 5, 1, 1};

const char *const StateNames[] = {
    "CLOSED",     "LISTEN",     "SYN_SENT", "SYN_RECEIVED", "ESTABLISHED", "FIN_WAIT_1",
    "FIN_WAIT_2", "CLOSE_WAIT", "LAST_ACK", "CLOSING",      "TIME_WAIT",   "TCB_DISCARD",
};

QString dotted(const IpAddressBytes &a)
{
    return ipv4Text(quint32(a[0]) << 24 | quint32(a[1]) << 16 | quint32(a[2]) << 8 | a[3]);
}

QString ipv6Text(const Ip6AddressBytes &a)
{
    char text[INET6_ADDRSTRLEN];
    if (!::inet_ntop(AF_INET6, a.data(), text, sizeof text))
        return QString();
    return QString::fromLatin1(text);
}

// Where the tables of RFC 4022 and 4113 begin, and their readable columns.
const Oid ConnectionTable = {1, 3, 6, 1, 2, 1, 6, 19};
const Oid ConnectionStateColumn = {1, 3, 6, 1, 2, 1, 6, 19, 1, 7};
const Oid ConnectionProcessColumn = {1, 3, 6, 1, 2, 1, 6, 19, 1, 8};
const Oid ListenerProcessColumn = {1, 3, 6, 1, 2, 1, 6, 20, 1, 4};
const Oid EndpointProcessColumn = {1, 3, 6, 1, 2, 1, 7, 7, 1, 8};

bool inColumn(const SnmpVarBind &b, const Oid &column)
{
    return b.value.asnType != ASN_NULL && b.name.size() > column.size() &&
           std::equal(column.begin(), column.end(), b.name.begin());
}

// One InetAddressType, InetAddress, port triple of an index.
struct Endpoint
{
    bool ipv6 = false;
    Ip6AddressBytes bytes{};
    quint32 ipv4 = 0; // the IPv4 form when hasIpv4
    bool hasIpv4 = false;
    quint32 port = 0;

    quint64 key() const { return quint64(ipv4) << 16 | (port & 0xffff); }
    bool unspecified() const
    {
        return std::all_of(bytes.begin(), bytes.end(), [](quint8 b) { return b == 0; });
    }
};

bool takeEndpoint(const Oid &name, std::size_t &pos, Endpoint &e)
{
    if (pos + 2 > name.size())
        return false;
    const quint32 type = name[pos], length = name[pos + 1];
    if (!((type == 1 && length == 4) || (type == 2 && length == 16)) ||
        pos + 2 + length + 1 > name.size())
        return false;
    pos += 2;
    e.ipv6 = type == 2;
    for (quint32 k = 0; k < length; ++k) {
        if (name[pos + k] > 255)
            return false;
        e.bytes[k + (e.ipv6 ? 0 : 12)] = quint8(name[pos + k]);
    }
    pos += length;
    e.port = name[pos++];
    static const quint8 mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    e.hasIpv4 = !e.ipv6 || std::memcmp(e.bytes.data(), mapped, 12) == 0;
    if (e.hasIpv4)
        e.ipv4 = quint32(e.bytes[12]) << 24 | quint32(e.bytes[13]) << 16 |
                 quint32(e.bytes[14]) << 8 | e.bytes[15];
    if (!e.ipv6) // keep an IPv4 row's bytes as the IPv4 form only
        e.bytes = {};
    return true;
}

quint64 rowKey(const IpAddressBytes &a, qint32 port)
{
    return (quint64(a[0]) << 24 | quint64(a[1]) << 16 | quint64(a[2]) << 8 | a[3]) << 16 |
           quint64(port & 0xffff);
}

struct PairHash
{
    std::size_t operator()(const std::pair<quint64, quint64> &p) const
    {
        return std::hash<quint64>()(p.first * 0x9E3779B97F4A7C15ULL ^ p.second);
    }
};
using RowIndex = std::unordered_map<std::pair<quint64, quint64>, TIpConnInfo *, PairHash>;

// The IPv4 rows from start on (listening ones only when listening is set).
RowIndex indexRows(const std::vector<std::unique_ptr<TIpConnInfo>> &rows, std::size_t start,
                   bool listening = false)
{
    RowIndex index;
    for (std::size_t i = start; i < rows.size(); ++i) {
        TIpConnInfo &r = *rows[i];
        if (r.Family() != 4 || (listening && r.State() != 2))
            continue;
        // The first row of an index wins, as in the table.
        index.emplace(std::make_pair(rowKey(r.LocalAddressBytes(), r.LocalPort()),
                                     rowKey(r.RemoteAddressBytes(), r.RemotePort())),
                      &r);
    }
    return index;
}

TIpConnInfo *findRow(const RowIndex &index, quint64 local, quint64 remote)
{
    const auto it = index.find({local, remote});
    return it != index.end() ? it->second : nullptr;
}

} // namespace

QString ipv4Text(quint32 address)
{
    // Each part is written at its own place, room for three digits and a dot,
    // then moved up against the one before.
    std::array<char, 16> text;
    std::size_t length = 0;
    for (int k = 0; k < 4; ++k) {
        char *part = text.data() + 4 * k;
        const int value = int((address >> (24 - 8 * k)) & 0xff);
        const auto digits = std::size_t(std::to_chars(part, part + 3, value).ptr - part);
        if (k > 0)
            text[length++] = '.';
        std::memmove(text.data() + length, part, digits);
        length += digits;
    }
    return QString::fromLatin1(text.data(), qsizetype(length));
}

QString TcpStateName(qint32 code)
{
    if (code < 1 || code > 12)
        return QStringLiteral("UNKNOWN");
    return QString::fromLatin1(StateNames[code - 1]);
}

TIpConnInfo::TIpConnInfo(const QString &protocol) : m_protocol(protocol.left(255)) {}

QString TIpConnInfo::RemoteAddress() const
{
    return m_ipv6 ? ipv6Text(m_remote6) : dotted(m_remoteAddress);
}

QString TIpConnInfo::LocalAddress() const
{
    return m_ipv6 ? ipv6Text(m_local6) : dotted(m_localAddress);
}

TPloverIpConnectionList::TPloverIpConnectionList(QObject *owner, const AgentLoader &loader)
    : QObject(owner)
{
    m_link.OpenAgentLink(loader);
}

TPloverIpConnectionList::~TPloverIpConnectionList()
{
    ClearRows();
    m_link.CloseAgentLink();
}

int TPloverIpConnectionList::Count() const
{
    return int(m_rows.size());
}

TIpConnInfo *TPloverIpConnectionList::Items(int index) const
{
    return rowAt(index);
}

TIpConnInfo *TPloverIpConnectionList::rowAt(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    return m_rows[size_t(index)].get();
}

void TPloverIpConnectionList::StatusChange()
{
    if (m_onStatusChange)
        m_onStatusChange(this);
}

void TPloverIpConnectionList::SetRefreshing(bool value)
{
    const bool changed = value != m_refreshing;
    m_refreshing = value;
    if (changed)
        StatusChange();
}

void TPloverIpConnectionList::ClearRows()
{
    while (!m_rows.empty())
        m_rows.pop_back();
}

void TPloverIpConnectionList::LockList()
{
    // A refresh on another thread holds the list for one snapshot at most;
    // a nested call on the same thread passes and is stopped by Refreshing.
    if (!m_lock.try_lock_for(std::chrono::milliseconds(100)))
        throw EConnListLockError(QString::fromLatin1(msg::LockFailure));
}

void TPloverIpConnectionList::UnlockList()
{
    m_lock.unlock();
}

void TPloverIpConnectionList::Refresh()
{
    LockList();
    if (m_refreshing) {
        // Only the refresh that set the flag clears it: a refused nested call
        // must not mark the running one finished.
        UnlockList();
        throw EConnListError(QString::fromLatin1(msg::NotInThisState));
    }
    try {
        SetRefreshing(true);
        if (MibAgent *agent = m_link.agent())
            agent->setDetails(m_owners, m_traffic);
        // The last refresh's rows of each table, for a walk that finds the
        // table as it was then.
        Rows last;
        last.swap(m_rows);
        const std::optional<Made> made = std::exchange(m_made, std::nullopt);
        const bool sameDetails = made && made->owners == m_owners && made->traffic == m_traffic;
        const bool tcp = m_protocols.testFlag(tcp_ip), udp = m_protocols.testFlag(udp_ip);
        const std::size_t lastTcpRows = made && made->tcp ? made->tcpRows : 0;
        bool kept = sameDetails && made->tcp == tcp && made->udp == udp;
        std::size_t tcpRows = 0;
        if (tcp) {
            kept = WalkTcpTable(last, sameDetails && made->tcp
                                          ? std::optional<RowRange>({0, lastTcpRows})
                                          : std::nullopt) &&
                   kept;
            tcpRows = m_rows.size();
        }
        if (udp)
            kept = WalkUdpTable(last, sameDetails && made->udp
                                          ? std::optional<RowRange>({lastTcpRows, last.size()})
                                          : std::nullopt) &&
                   kept;
        if (!kept)
            ++m_rowsGeneration;
        m_made = Made{m_owners, m_traffic, tcp, udp, tcpRows};
    } catch (...) {
        ++m_rowsGeneration;
        UnlockList();
        SetRefreshing(false);
        throw;
    }
    UnlockList();
    SetRefreshing(false);
}

void TPloverIpConnectionList::query(SnmpVarBindList &list)
{
    if (!m_link.QueryNext(list))
        throw EConnListRefreshError(QString::fromLatin1(msg::QueryFailed));
}

// The rows of a table are fixed by its first column; each later column is
// matched to them by position, starting again at the table's first row.
template <typename Set>
void TPloverIpConnectionList::walkColumn(SnmpVarBindList &list, int start, quint8 type, Set set)
{
    if (list[0].value.asnType == ASN_NULL)
        throw EConnListRefreshError(QString::fromLatin1(msg::UnexpectedEnd));
    for (int k = start; list[0].value.asnType == type; ++k) {
        set(*rowAt(k), list[0].value);
        query(list);
    }
}

bool TPloverIpConnectionList::keepRows(Rows &last, const std::optional<RowRange> &range)
{
    // A machine at rest: the agent answered from the very sockets the rows
    // were made of, so the walk would make them again.
    const MibAgent *agent = m_link.agent();
    if (!range || !agent || !agent->answeredFromUnchangedTable())
        return false;
    for (std::size_t i = range->first; i < range->second; ++i)
        m_rows.push_back(std::move(last[i]));
    return true;
}

bool TPloverIpConnectionList::WalkTcpTable(Rows &last, const std::optional<RowRange> &keep)
{
    const int start = Count();
    SnmpVarBindList list(1);
    list[0].name.assign(TcpConnStateColumn.begin(), TcpConnStateColumn.end());
    query(list);
    if (list[0].value.asnType == ASN_NULL)
        return keep && keep->first == keep->second;
    if (keepRows(last, keep))
        return true;
    while (list[0].value.asnType == ASN_INTEGER) {
        auto row = std::make_unique<TIpConnInfo>(QStringLiteral("TCP"));
        row->setState(list[0].value.number);
        m_rows.push_back(std::move(row));
        query(list);
    }
    walkColumn(list, start, ASN_IPADDRESS,
               [](TIpConnInfo &r, const AsnAny &v) { r.setLocalAddress(v.address); });
    walkColumn(list, start, ASN_INTEGER,
               [](TIpConnInfo &r, const AsnAny &v) { r.setLocalPort(v.number); });
    walkColumn(list, start, ASN_IPADDRESS,
               [](TIpConnInfo &r, const AsnAny &v) { r.setRemoteAddress(v.address); });
    walkColumn(list, start, ASN_INTEGER,
               [](TIpConnInfo &r, const AsnAny &v) { r.setRemotePort(v.number); });
    WalkTcpConnectionTables(list, start);
    return false;
}

void TPloverIpConnectionList::setDetailsOf(TIpConnInfo &row, quint32 pid,
                                           const SnmpVarBind &binding, bool tcp)
{
    MibAgent *agent = m_link.agent();
    if (m_owners && pid != 0)
        row.setOwner(pid, agent ? agent->programOf(pid) : QString());
    qint64 sent, received;
    if (tcp && m_traffic && agent && agent->tcpTraffic(binding.name, sent, received))
        row.setTraffic(sent, received);
}

void TPloverIpConnectionList::WalkTcpConnectionTables(SnmpVarBindList &list, int start)
{
    // The cursor goes on from the IPv4 table, so that all tables come from the
    // same reading of the kernel's.
    while (list[0].value.asnType != ASN_NULL && compareOid(list[0].name, ConnectionTable) < 0)
        query(list);
    const bool details = m_owners || m_traffic;
    // The IPv4 connections come in the order of the IPv4 table, which holds
    // them all (and listeners and IPv4 views of IPv6 sockets besides): one
    // pass along it finds each. IPv4-mapped ones come later, out of that
    // order, and are looked up.
    const std::size_t ipv4End = m_rows.size();
    std::size_t cursor = size_t(start);
    auto inOrder = [&](quint64 local, quint64 remote) -> TIpConnInfo * {
        const auto key = std::make_pair(local, remote);
        auto keyAt = [&](std::size_t k) {
            const TIpConnInfo &r = *m_rows[k];
            return std::make_pair(rowKey(r.LocalAddressBytes(), r.LocalPort()),
                                  rowKey(r.RemoteAddressBytes(), r.RemotePort()));
        };
        while (cursor < ipv4End && keyAt(cursor) < key)
            ++cursor;
        return cursor < ipv4End && keyAt(cursor) == key ? m_rows[cursor].get() : nullptr;
    };
    RowIndex mappedRows;
    bool mappedIndexed = false;
    // The row each object of the state column stands for (none for rows not
    // kept); the process column lists the same rows in the same order.
    std::vector<TIpConnInfo *> rows;
    while (inColumn(list[0], ConnectionStateColumn)) {
        const Oid &name = list[0].name;
        TIpConnInfo *row = nullptr;
        std::size_t pos = ConnectionStateColumn.size();
        // IPv4 rows (and IPv4-mapped ones) are in the table already.
        if (name[pos] == 2 || details) {
            Endpoint local, remote;
            if (takeEndpoint(name, pos, local) && takeEndpoint(name, pos, remote) &&
                pos == name.size()) {
                if (local.hasIpv4 && remote.hasIpv4) {
                    if (details && !local.ipv6) {
                        row = inOrder(local.key(), remote.key());
                    } else if (details) {
                        if (!mappedIndexed) {
                            mappedRows = indexRows(m_rows, size_t(start));
                            mappedIndexed = true;
                        }
                        row = findRow(mappedRows, local.key(), remote.key());
                    }
                } else if (local.ipv6) {
                    auto r = std::make_unique<TIpConnInfo>(QStringLiteral("TCP"));
                    r->setState(list[0].value.number);
                    r->setLocalPort(qint32(local.port));
                    r->setRemotePort(qint32(remote.port));
                    r->setIpv6(local.bytes, remote.bytes);
                    row = r.get();
                    m_rows.push_back(std::move(r));
                }
            }
        }
        if (details)
            rows.push_back(row);
        query(list);
    }
    for (std::size_t k = 0; inColumn(list[0], ConnectionProcessColumn); ++k) {
        if (k < rows.size() && rows[k])
            setDetailsOf(*rows[k], list[0].value.unsigned32, list[0], true);
        query(list);
    }
    // Listeners: IPv6 ones become rows; a wildcard one whose port an IPv4
    // wildcard listener has is that dual-stack socket, shown once, as IPv4.
    const RowIndex allRows = indexRows(m_rows, size_t(start), true);
    while (list[0].value.asnType != ASN_NULL && compareOid(list[0].name, ListenerProcessColumn) < 0)
        query(list);
    while (inColumn(list[0], ListenerProcessColumn)) {
        const Oid &name = list[0].name;
        std::size_t pos = ListenerProcessColumn.size();
        Endpoint local;
        if (takeEndpoint(name, pos, local) && pos == name.size()) {
            TIpConnInfo *row = nullptr;
            if (local.hasIpv4)
                row = findRow(allRows, local.key(), 0);
            else if (local.unspecified())
                row = findRow(allRows, local.port & 0xffff, 0);
            if (!row) {
                auto r = std::make_unique<TIpConnInfo>(QStringLiteral("TCP"));
                r->setState(2);
                r->setLocalPort(qint32(local.port));
                r->setIpv6(local.bytes, {});
                row = r.get();
                m_rows.push_back(std::move(r));
            }
            if (row->State() == 2)
                setDetailsOf(*row, list[0].value.unsigned32, list[0], false);
        }
        query(list);
    }
}

bool TPloverIpConnectionList::WalkUdpTable(Rows &last, const std::optional<RowRange> &keep)
{
    const int start = Count();
    SnmpVarBindList list(1);
    list[0].name.assign(UdpLocalAddressColumn.begin(), UdpLocalAddressColumn.end());
    query(list);
    if (list[0].value.asnType == ASN_NULL)
        return keep && keep->first == keep->second;
    if (keepRows(last, keep))
        return true;
    while (list[0].value.asnType == ASN_IPADDRESS) {
        auto row = std::make_unique<TIpConnInfo>(QStringLiteral("UDP"));
        row->setLocalAddress(list[0].value.address);
        m_rows.push_back(std::move(row));
        query(list);
    }
    walkColumn(list, start, ASN_INTEGER,
               [](TIpConnInfo &r, const AsnAny &v) { r.setLocalPort(v.number); });
    WalkUdpEndpointTable(list, start);
    return false;
}

void TPloverIpConnectionList::WalkUdpEndpointTable(SnmpVarBindList &list, int start)
{
    const RowIndex ipv4Rows = indexRows(m_rows, size_t(start));
    while (list[0].value.asnType != ASN_NULL && compareOid(list[0].name, EndpointProcessColumn) < 0)
        query(list);
    while (inColumn(list[0], EndpointProcessColumn)) {
        const Oid &name = list[0].name;
        std::size_t pos = EndpointProcessColumn.size();
        Endpoint local, remote;
        // Only endpoints that receive from anyone are listeners: connected
        // ones are left out, as the IPv4 table does.
        if (takeEndpoint(name, pos, local) && takeEndpoint(name, pos, remote) &&
            pos + 1 == name.size() && remote.unspecified() && remote.ipv4 == 0 &&
            remote.port == 0) {
            TIpConnInfo *row = nullptr;
            if (local.hasIpv4)
                row = findRow(ipv4Rows, local.key(), 0);
            else if (local.unspecified())
                row = findRow(ipv4Rows, local.port & 0xffff, 0);
            if (!row && !local.hasIpv4) {
                auto r = std::make_unique<TIpConnInfo>(QStringLiteral("UDP"));
                r->setLocalPort(qint32(local.port));
                r->setIpv6(local.bytes, {});
                row = r.get();
                m_rows.push_back(std::move(r));
            }
            if (row && row->Pid() == 0)
                setDetailsOf(*row, list[0].value.unsigned32, list[0], false);
        }
        query(list);
    }
}

} // namespace wv
