#include "engine/PloverIpConnectionList.h"

#include "engine/EngineErrors.h"

#include <chrono>

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
    return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

} // namespace

QString TcpStateName(qint32 code)
{
    if (code < 1 || code > 12)
        return QStringLiteral("UNKNOWN");
    return QString::fromLatin1(StateNames[code - 1]);
}

TIpConnInfo::TIpConnInfo(const QString &protocol) : m_protocol(protocol.left(255)) {}

QString TIpConnInfo::RemoteAddress() const
{
    return dotted(m_remoteAddress);
}

QString TIpConnInfo::LocalAddress() const
{
    return dotted(m_localAddress);
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
        ClearRows();
        if (m_protocols.testFlag(tcp_ip))
            WalkTcpTable();
        if (m_protocols.testFlag(udp_ip))
            WalkUdpTable();
    } catch (...) {
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

void TPloverIpConnectionList::WalkTcpTable()
{
    const int start = Count();
    SnmpVarBindList list(1);
    list[0].name.assign(TcpConnStateColumn.begin(), TcpConnStateColumn.end());
    query(list);
    if (list[0].value.asnType == ASN_NULL)
        return;
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
}

void TPloverIpConnectionList::WalkUdpTable()
{
    const int start = Count();
    SnmpVarBindList list(1);
    list[0].name.assign(UdpLocalAddressColumn.begin(), UdpLocalAddressColumn.end());
    query(list);
    if (list[0].value.asnType == ASN_NULL)
        return;
    while (list[0].value.asnType == ASN_IPADDRESS) {
        auto row = std::make_unique<TIpConnInfo>(QStringLiteral("UDP"));
        row->setLocalAddress(list[0].value.address);
        m_rows.push_back(std::move(row));
        query(list);
    }
    walkColumn(list, start, ASN_INTEGER,
               [](TIpConnInfo &r, const AsnAny &v) { r.setLocalPort(v.number); });
}

} // namespace wv
