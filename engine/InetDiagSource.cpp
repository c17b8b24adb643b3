#include "engine/InetDiagSource.h"

#include <QtEndian>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wv {

namespace {

constexpr quint32 AllStates = 0xFFFFFFFFu;

SourceError systemError(const char *what, int err)
{
    return SourceError(std::string("netlink socket diagnostics: ") + what + ": " +
                       std::strerror(err));
}

void parseDiagMessage(const char *payload, size_t length, const SocketVisitor &visit)
{
    if (length < sizeof(inet_diag_msg))
        return;
    inet_diag_msg m;
    std::memcpy(&m, payload, sizeof m);
    if (m.idiag_family != AF_INET && m.idiag_family != AF_INET6)
        return;
    SocketEntry e;
    e.state = m.idiag_state;
    e.localPort = qFromBigEndian(m.id.idiag_sport);
    e.remotePort = qFromBigEndian(m.id.idiag_dport);
    e.inode = m.idiag_inode;
    // Listeners and unbound-remote sockets carry the v6-only flag; a wildcard
    // socket without it also takes IPv4 and so belongs in the IPv4 tables.
    bool v6only = false;
    size_t off = NLMSG_ALIGN(sizeof(inet_diag_msg));
    while (off + sizeof(rtattr) <= length) {
        rtattr a;
        std::memcpy(&a, payload + off, sizeof a);
        if (a.rta_len < sizeof(rtattr) || a.rta_len > length - off)
            break;
        const char *data = payload + off + RTA_LENGTH(0);
        const size_t dataLength = a.rta_len - RTA_LENGTH(0);
        if (a.rta_type == INET_DIAG_SKV6ONLY && dataLength > 0)
            v6only = data[0] != 0;
        // Older kernels send a shorter tcp_info; the byte counts are then unknown.
        if (a.rta_type == INET_DIAG_INFO &&
            dataLength >= offsetof(tcp_info, tcpi_bytes_received) + sizeof(quint64)) {
            quint64 acked, received;
            std::memcpy(&acked, data + offsetof(tcp_info, tcpi_bytes_acked), sizeof acked);
            std::memcpy(&received, data + offsetof(tcp_info, tcpi_bytes_received), sizeof received);
            e.bytesAcked = qint64(acked & 0x7fffffffffffffffULL);
            e.bytesReceived = qint64(received & 0x7fffffffffffffffULL);
        }
        off += RTA_ALIGN(a.rta_len);
    }
    if (m.idiag_family == AF_INET) {
        e.localAddress = qFromBigEndian<quint32>(&m.id.idiag_src[0]);
        e.remoteAddress = qFromBigEndian<quint32>(&m.id.idiag_dst[0]);
        visit(e);
        return;
    }
    quint8 local[16], remote[16];
    std::memcpy(local, m.id.idiag_src, 16);
    std::memcpy(remote, m.id.idiag_dst, 16);
    e.ipv6 = true;
    std::memcpy(e.local6.data(), local, 16);
    std::memcpy(e.remote6.data(), remote, 16);
    e.hasIpv4View =
        ipv4View(local, !v6only, e.localAddress) && ipv4View(remote, true, e.remoteAddress);
    if (!e.hasIpv4View)
        e.localAddress = e.remoteAddress = 0;
    visit(e);
}

} // namespace

bool parseInetDiagReply(QByteArrayView bytes, std::vector<SocketEntry> &out)
{
    return parseInetDiagReply(bytes, [&out](const SocketEntry &e) { out.push_back(e); });
}

bool parseInetDiagReply(QByteArrayView bytes, const SocketVisitor &visit)
{
    const char *p = bytes.data();
    size_t left = size_t(bytes.size());
    while (left >= sizeof(nlmsghdr)) {
        nlmsghdr h;
        std::memcpy(&h, p, sizeof h);
        if (h.nlmsg_len < sizeof(nlmsghdr) || h.nlmsg_len > left)
            return false;
        const char *payload = p + NLMSG_HDRLEN;
        const size_t payloadLength = h.nlmsg_len - NLMSG_HDRLEN;
        if (h.nlmsg_type == NLMSG_DONE)
            return true;
        if (h.nlmsg_type == NLMSG_ERROR) {
            int err = 0;
            if (payloadLength >= sizeof(int))
                std::memcpy(&err, payload, sizeof err);
            // The kernel sends a negative errno; anything else is not one.
            throw systemError("dump refused", err < 0 && err > -4096 ? -err : EPROTO);
        }
        if (h.nlmsg_type == SOCK_DIAG_BY_FAMILY || h.nlmsg_type == TCPDIAG_GETSOCK)
            parseDiagMessage(payload, payloadLength, visit);
        const size_t step = NLMSG_ALIGN(h.nlmsg_len);
        if (step >= left)
            break;
        p += step;
        left -= step;
    }
    return false;
}

InetDiagSource::InetDiagSource() = default;

InetDiagSource::InetDiagSource(Recording recorded)
    : m_recorded(true), m_recording(std::move(recorded))
{
}

InetDiagSource::~InetDiagSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void InetDiagSource::openSocket()
{
    if (m_fd >= 0)
        return;
    m_fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (m_fd < 0)
        throw systemError("socket", errno);
    // The kernel fills at most 32 KiB per read; a larger buffer lets it.
    m_buffer.resize(64 * 1024);
}

bool InetDiagSource::worksHere()
{
    if (m_recorded)
        return true;
    try {
        // An empty state mask asks for nothing, so the probe costs almost
        // nothing, but it fails when the diag module of the protocol is absent.
        std::vector<SocketEntry> none;
        dump(AF_INET, IPPROTO_TCP, 0, none);
        dump(AF_INET, IPPROTO_UDP, 0, none);
    } catch (const SourceError &) {
        return false;
    }
    try {
        std::vector<SocketEntry> none;
        dump(AF_INET6, IPPROTO_TCP, 0, none);
    } catch (const SourceError &) {
        m_noIpv6 = true; // a kernel built without IPv6
    }
    return true;
}

void InetDiagSource::dumpIpv6(int protocol, const SocketVisitor &visit)
{
    if (!m_noIpv6)
        dump(AF_INET6, protocol, AllStates, visit);
}

void InetDiagSource::dump(int family, int protocol, quint32 states, std::vector<SocketEntry> &out)
{
    dump(family, protocol, states, [&out](const SocketEntry &e) { out.push_back(e); });
}

void InetDiagSource::dump(int family, int protocol, quint32 states, const SocketVisitor &visit)
{
    if (m_recorded) {
        const auto it = m_recording.find({family, protocol});
        if (it != m_recording.end())
            parseInetDiagReply(it->second, visit);
        return;
    }
    struct
    {
        nlmsghdr nlh;
        inet_diag_req_v2 req;
    } request{};
    request.nlh.nlmsg_len = sizeof request;
    request.nlh.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.nlh.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.req.sdiag_family = quint8(family);
    request.req.sdiag_protocol = quint8(protocol);
    request.req.idiag_states = states;
    if (protocol == IPPROTO_TCP && m_trafficWanted)
        request.req.idiag_ext = quint8(1 << (INET_DIAG_INFO - 1));
    exchange(&request.nlh, visit);
}

void InetDiagSource::dumpTcp(const SocketVisitor &visit)
{
    if (m_recorded || m_noCombinedTcp) {
        dump(AF_INET, IPPROTO_TCP, AllStates, visit);
        dumpIpv6(IPPROTO_TCP, visit);
        return;
    }
    // The older TCP request names no family, so the kernel walks its
    // connection hash once for IPv4 and IPv6 sockets together: a second walk
    // costs as much again as the first over the same buckets.
    struct
    {
        nlmsghdr nlh;
        inet_diag_req req;
    } request{};
    request.nlh.nlmsg_len = sizeof request;
    request.nlh.nlmsg_type = TCPDIAG_GETSOCK;
    request.nlh.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.req.idiag_states = AllStates;
    if (m_trafficWanted)
        request.req.idiag_ext = quint8(1 << (INET_DIAG_INFO - 1));
    // A kernel without the older request refuses it before sending any
    // socket; a failure after some were handed over is a failed read.
    std::size_t handedOver = 0;
    try {
        exchange(&request.nlh, [&](const SocketEntry &e) {
            ++handedOver;
            visit(e);
        });
    } catch (const SourceError &) {
        if (handedOver > 0)
            throw;
        m_noCombinedTcp = true;
        dumpTcp(visit);
    }
}

void InetDiagSource::exchange(void *message, const SocketVisitor &visit)
{
    auto *request = static_cast<nlmsghdr *>(message);
    openSocket();
    request->nlmsg_seq = ++m_seq;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do {
        sent = ::sendto(m_fd, request, request->nlmsg_len, 0, reinterpret_cast<sockaddr *>(&kernel),
                        sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        throw systemError("send", errno);
    for (;;) {
        const ssize_t n = ::recv(m_fd, m_buffer.data(), m_buffer.size(), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            // A failed dump leaves the socket in an unknown state.
            ::close(m_fd);
            m_fd = -1;
            throw systemError("receive", err);
        }
        if (n == 0)
            throw systemError("receive", EPIPE);
        bool done;
        try {
            done = parseInetDiagReply(QByteArrayView(m_buffer.data(), n), visit);
        } catch (const SourceError &) {
            ::close(m_fd);
            m_fd = -1;
            throw;
        }
        if (done)
            return;
    }
}

void InetDiagSource::readTcp(std::vector<SocketEntry> &out)
{
    const std::size_t before = out.size();
    try {
        dumpTcp([&out](const SocketEntry &e) { out.push_back(e); });
    } catch (...) {
        out.resize(before);
        throw;
    }
}

void InetDiagSource::readUdp(std::vector<SocketEntry> &out)
{
    visitUdp([&out](const SocketEntry &e) { out.push_back(e); });
}

void InetDiagSource::visitTcp(const SocketVisitor &visit)
{
    dumpTcp(visit);
}

void InetDiagSource::visitUdp(const SocketVisitor &visit)
{
    dump(AF_INET, IPPROTO_UDP, AllStates, visit);
    dumpIpv6(IPPROTO_UDP, visit);
}

} // namespace wv
