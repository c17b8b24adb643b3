#include "remote/RemoteTables.h"

#include "engine/PloverIpConnectionList.h"

#include <algorithm>
#include <set>

#include <arpa/inet.h>

namespace wv {

namespace {

constexpr quint32 InetUnknown = 0, InetIpv4 = 1, InetIpv6 = 2, InetIpv4z = 3, InetIpv6z = 4;

bool readIpv4(const quint32 *&p, const quint32 *end, quint32 &address)
{
    if (end - p < 4)
        return false;
    address = 0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] > 255)
            return false;
        address = (address << 8) | p[i];
    }
    p += 4;
    return true;
}

} // namespace

bool RemoteTableDecoder::readPort(const quint32 *&p, const quint32 *end, quint32 &port)
{
    if (p >= end || *p > 65535)
        return false;
    port = *p++;
    return true;
}

RemoteTableDecoder::Ip6 RemoteTableDecoder::Address::asIpv6() const
{
    if (!ipv4)
        return v6;
    // ::ffff:a.b.c.d
    Ip6 a{};
    a[10] = a[11] = 0xff;
    for (int i = 0; i < 4; ++i)
        a[size_t(12 + i)] = quint8(v4 >> (24 - 8 * i));
    return a;
}

bool RemoteTableDecoder::readAddress(const quint32 *&p, const quint32 *end, Address &address,
                                     bool wildcardIsIpv4)
{
    if (end - p < 2)
        return false;
    const quint32 type = p[0];
    const quint32 length = p[1];
    p += 2;
    if (length > quint32(end - p))
        return false;
    for (quint32 i = 0; i < length; ++i) {
        if (p[i] > 255)
            return false;
    }
    const quint32 *bytes = p;
    p += length;
    address = Address();
    switch (type) {
    case InetUnknown:
        // No address: a socket bound to every address of every family.
        return length == 0;
    case InetIpv4:
    case InetIpv4z: {
        if (length != (type == InetIpv4 ? 4u : 8u))
            return false;
        const quint32 *q = bytes;
        return readIpv4(q, bytes + 4, address.v4);
    }
    case InetIpv6:
    case InetIpv6z: {
        if (length != (type == InetIpv6 ? 16u : 20u))
            return false;
        const auto zero = [](quint32 b) { return b == 0; };
        const bool prefixZero = std::all_of(bytes, bytes + 10, zero);
        if (prefixZero && bytes[10] == 0xff && bytes[11] == 0xff) {
            const quint32 *q = bytes + 12;
            return readIpv4(q, bytes + 16, address.v4);
        }
        if (wildcardIsIpv4 && prefixZero && std::all_of(bytes + 10, bytes + 16, zero))
            return true;
        address.ipv4 = false;
        for (size_t i = 0; i < 16; ++i)
            address.v6[i] = quint8(bytes[i]);
        return true;
    }
    default:
        return false;
    }
}

bool RemoteTableDecoder::addTcpConnection(const quint32 *index, std::size_t length, qint64 state,
                                          qint64 pid)
{
    const quint32 *p = index, *end = index + length;
    Address local, remote;
    quint32 localPort = 0, remotePort = 0;
    if (!readAddress(p, end, local, false) || !readPort(p, end, localPort) ||
        !readAddress(p, end, remote, false) || !readPort(p, end, remotePort) || p != end) {
        ++m_malformed;
        return false;
    }
    if (local.ipv4 && remote.ipv4)
        m_tcp.push_back({local.v4, localPort, remote.v4, remotePort, int(state), pid});
    else
        m_tcp6.push_back({local.asIpv6(), localPort, remote.asIpv6(), remotePort, int(state), pid});
    return true;
}

bool RemoteTableDecoder::addTcpListener(const quint32 *index, std::size_t length, qint64 pid)
{
    const quint32 *p = index, *end = index + length;
    Address local;
    quint32 port = 0;
    if (!readAddress(p, end, local, true) || !readPort(p, end, port) || p != end) {
        ++m_malformed;
        return false;
    }
    if (local.ipv4)
        m_tcp.push_back({local.v4, port, 0, 0, TcpStateListen, pid});
    else
        m_tcp6.push_back({local.v6, port, Ip6{}, 0, TcpStateListen, pid});
    return true;
}

bool RemoteTableDecoder::addUdpEndpoint(const quint32 *index, std::size_t length, qint64 pid)
{
    // Local address and port, remote address and port, instance.
    const quint32 *p = index, *end = index + length;
    Address local, remote;
    quint32 port = 0, remotePort = 0;
    if (!readAddress(p, end, local, true) || !readPort(p, end, port) ||
        !readAddress(p, end, remote, true) || !readPort(p, end, remotePort) || end - p != 1) {
        ++m_malformed;
        return false;
    }
    if (local.ipv4)
        m_udp.push_back({local.v4, port, 0, 0, TcpStateListen, pid});
    else
        m_udp6.push_back({local.v6, port, Ip6{}, 0, TcpStateListen, pid});
    return true;
}

bool RemoteTableDecoder::addTcpConnEntry(const quint32 *index, std::size_t length, qint64 state)
{
    const quint32 *p = index, *end = index + length;
    Raw r{};
    if (!readIpv4(p, end, r.localAddress) || !readPort(p, end, r.localPort) ||
        !readIpv4(p, end, r.remoteAddress) || !readPort(p, end, r.remotePort) || p != end) {
        ++m_malformed;
        return false;
    }
    r.state = int(state);
    m_tcp.push_back(r);
    return true;
}

bool RemoteTableDecoder::addUdpEntry(const quint32 *index, std::size_t length)
{
    const quint32 *p = index, *end = index + length;
    Raw r{};
    if (!readIpv4(p, end, r.localAddress) || !readPort(p, end, r.localPort) || p != end) {
        ++m_malformed;
        return false;
    }
    r.state = TcpStateListen;
    m_udp.push_back(r);
    return true;
}

QString RemoteTableDecoder::addressText(const Ip6 &a)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET6, a.data(), text, sizeof text))
        return QString();
    return QString::fromLatin1(text);
}

const QString &RemoteTableDecoder::addressText(quint32 a)
{
    auto it = m_texts.find(a);
    if (it == m_texts.end()) {
        if (m_texts.size() > 100000)
            m_texts.clear();
        it = m_texts.insert(a, ipv4Text(a));
    }
    return *it;
}

QList<SnapshotRow> RemoteTableDecoder::takeRows()
{
    const auto byKey = [](const Raw &a, const Raw &b) { return a.key() < b.key(); };
    const auto sameKey = [](const Raw &a, const Raw &b) { return a.key() == b.key(); };
    for (auto *rows : {&m_tcp, &m_udp}) {
        std::stable_sort(rows->begin(), rows->end(), byKey);
        rows->erase(std::unique(rows->begin(), rows->end(), sameKey), rows->end());
    }
    QList<SnapshotRow> out;
    out.reserve(qsizetype(m_tcp.size() + m_udp.size()));
    const QString tcp = QStringLiteral("TCP"), udp = QStringLiteral("UDP");
    QHash<int, QString> states;
    for (const Raw &r : m_tcp) {
        SnapshotRow s;
        s.protocol = tcp;
        s.localAddress = addressText(r.localAddress);
        s.localPort = int(r.localPort);
        s.remoteAddress = addressText(r.remoteAddress);
        s.remotePort = r.state == TcpStateListen ? 0 : int(r.remotePort);
        s.state = r.state;
        auto st = states.find(r.state);
        if (st == states.end())
            st = states.insert(r.state, tcpStateName(r.state));
        s.stateName = *st;
        s.pid = r.pid;
        out.append(std::move(s));
    }
    for (const Raw6 &r : m_tcp6) {
        out.append(SnapshotRow::tcp6(addressText(r.localAddress), int(r.localPort),
                                     addressText(r.remoteAddress), int(r.remotePort), r.state));
        out.last().pid = r.pid;
    }
    const QString listen = tcpStateName(TcpStateListen);
    for (const Raw &r : m_udp) {
        SnapshotRow s;
        s.protocol = udp;
        s.localAddress = addressText(r.localAddress);
        s.localPort = int(r.localPort);
        s.remoteAddress = addressText(0);
        s.state = TcpStateListen;
        s.stateName = listen;
        s.pid = r.pid;
        out.append(std::move(s));
    }
    // A UDP socket is one row per local end, whatever peers it has.
    std::set<std::pair<Ip6, quint32>> seen6;
    for (const Raw6 &r : m_udp6) {
        if (!seen6.insert({r.localAddress, r.localPort}).second)
            continue;
        out.append(SnapshotRow::udp6(addressText(r.localAddress), int(r.localPort)));
        out.last().pid = r.pid;
    }
    m_tcp.clear();
    m_udp.clear();
    m_tcp6.clear();
    m_udp6.clear();
    m_malformed = 0;
    return out;
}

} // namespace wv
