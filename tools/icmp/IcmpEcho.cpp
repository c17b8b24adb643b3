#include "tools/icmp/IcmpEcho.h"

#include "tools/icmp/IcmpStatus.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <vector>

namespace wv {

namespace {

constexpr int IcmpHeaderSize = 8;
constexpr int MaxDataSize = 65500;

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

quint16 checksum(const unsigned char *data, size_t length)
{
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2)
        sum += quint32(data[i] << 8 | data[i + 1]);
    if (length & 1)
        sum += quint32(data[length - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

int socketErrorFor(int err)
{
    switch (err) {
    case EMFILE:
    case ENFILE:
        return SocketError::NoDescriptors;
    case ENOBUFS:
    case ENOMEM:
        return SocketError::NoBufferSpace;
    default:
        return 0;
    }
}

// What a failed send or a local error tells about the destination.
qint32 localErrorStatus(int err)
{
    if (const int s = socketErrorFor(err))
        return s;
    switch (err) {
    case ENETUNREACH:
        return IcmpStatus::DestNetUnreachable;
    case EHOSTUNREACH:
        return IcmpStatus::DestHostUnreachable;
    case EMSGSIZE:
        return IcmpStatus::PacketTooBig;
    default:
        return IcmpStatus::GeneralFailure;
    }
}

std::atomic<quint16> g_sequence{0};

quint16 nextSequence()
{
    return quint16(g_sequence.fetch_add(1) + 1);
}

int openIcmp(IcmpSocketKind kind)
{
    const int type = kind == IcmpSocketKind::Datagram ? SOCK_DGRAM : SOCK_RAW;
    return ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
}

bool deniedErrno(int err)
{
    return err == EACCES || err == EPERM || err == EPROTONOSUPPORT;
}

struct Request
{
    quint32 address;
    int size;
    int timeoutMs;
    IpOptionInformation options;
};

std::vector<unsigned char> echoPacket(quint16 id, quint16 sequence, int size)
{
    std::vector<unsigned char> packet(size_t(IcmpHeaderSize + size), 0xAA);
    packet[0] = ICMP_ECHO;
    packet[1] = 0;
    packet[2] = packet[3] = 0;
    packet[4] = quint8(id >> 8);
    packet[5] = quint8(id);
    packet[6] = quint8(sequence >> 8);
    packet[7] = quint8(sequence);
    const quint16 sum = checksum(packet.data(), packet.size());
    packet[2] = quint8(sum >> 8);
    packet[3] = quint8(sum);
    return packet;
}

quint16 be16(const unsigned char *p)
{
    return quint16(p[0] << 8 | p[1]);
}

bool applyOptions(int fd, const IpOptionInformation &options)
{
    if (options.Ttl != 0) {
        const int ttl = options.Ttl;
        if (::setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) != 0)
            return false;
    }
    if (options.Tos != 0) {
        const int tos = options.Tos;
        if (::setsockopt(fd, IPPROTO_IP, IP_TOS, &tos, sizeof tos) != 0)
            return false;
    }
    return true;
}

int remainingMs(const QElapsedTimer &clock, int timeoutMs)
{
    const qint64 left = qint64(timeoutMs) - clock.elapsed();
    return left > 0 ? int(left) : 0;
}

void fillReply(EchoOutcome &out, quint32 from, qint32 ipStatus, const QElapsedTimer &clock)
{
    out.status = 0;
    out.reply.Address = from;
    out.reply.Status = quint32(ipStatus);
    out.reply.RoundTripTime = quint32(clock.elapsed());
}

// Sends the request and starts the clock; false, with the status set, when
// the kernel refuses it.
bool sendEcho(int fd, quint32 address, const std::vector<unsigned char> &packet,
              QElapsedTimer &clock, EchoOutcome &out)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    clock.start();
    if (::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr *>(&to),
                 sizeof to) < 0) {
        out.status = localErrorStatus(errno);
        return false;
    }
    return true;
}

// Waits within what is left of the time-out until the socket has something;
// returns what it has, or 0 with the status set (timed out or failed).
short waitForReply(int fd, short events, const QElapsedTimer &clock, int timeoutMs,
                   EchoOutcome &out)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, remainingMs(clock, timeoutMs));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            out.status = n == 0 ? IcmpStatus::TimedOut : localErrorStatus(errno);
            return 0;
        }
        return p.revents;
    }
}

// The kernel matches replies to a datagram echo socket by its own identifier;
// ICMP errors about our requests arrive on the error queue (IP_RECVERR).
EchoOutcome echoDatagram(int fd, const Request &r)
{
    EchoOutcome out;
    const int on = 1;
    if (::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on) != 0 ||
        ::setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on) != 0 ||
        !applyOptions(fd, r.options)) {
        out.status = localErrorStatus(errno);
        return out;
    }
    const quint16 sequence = nextSequence();
    const std::vector<unsigned char> packet = echoPacket(0, sequence, r.size);
    QElapsedTimer clock;
    if (!sendEcho(fd, r.address, packet, clock, out))
        return out;
    std::vector<unsigned char> buffer(size_t(IcmpHeaderSize + MaxDataSize + 512));
    alignas(cmsghdr) char control[512];
    for (;;) {
        const short ready = waitForReply(fd, POLLIN | POLLERR, clock, r.timeoutMs, out);
        if (!ready)
            return out;
        sockaddr_in from{};
        iovec iov{buffer.data(), buffer.size()};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const bool error = ready & POLLERR;
        const ssize_t got = ::recvmsg(fd, &msg, error ? MSG_ERRQUEUE : 0);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            out.status = localErrorStatus(errno);
            return out;
        }
        if (error) {
            for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR)
                    continue;
                const auto *ee = reinterpret_cast<const sock_extended_err *>(CMSG_DATA(c));
                // The queued copy of our request carries its sequence number.
                if (got >= IcmpHeaderSize && be16(buffer.data() + 6) != sequence)
                    break;
                if (ee->ee_origin == SO_EE_ORIGIN_ICMP) {
                    const auto *offender =
                        reinterpret_cast<const sockaddr_in *>(SO_EE_OFFENDER(ee));
                    fillReply(out,
                              offender->sin_family == AF_INET ? offender->sin_addr.s_addr
                                                              : r.address,
                              icmpMessageStatus(ee->ee_type, ee->ee_code), clock);
                } else {
                    out.status = localErrorStatus(int(ee->ee_errno));
                }
                return out;
            }
            continue;
        }
        if (got < IcmpHeaderSize || buffer[0] != ICMP_ECHOREPLY ||
            be16(buffer.data() + 6) != sequence)
            continue;
        fillReply(out, from.sin_addr.s_addr, IcmpStatus::Success, clock);
        for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
                int ttl = 0;
                std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
                out.reply.Options.Ttl = quint8(ttl);
            }
        }
        out.reply.DataSize = quint16(got - IcmpHeaderSize);
        out.data = QByteArray(reinterpret_cast<const char *>(buffer.data()) + IcmpHeaderSize,
                              qsizetype(got - IcmpHeaderSize));
        return out;
    }
}

// A raw socket sees every ICMP message of the host (other programs' echoes
// too), so replies and errors are matched by identifier and sequence.
EchoOutcome echoRaw(int fd, const Request &r)
{
    EchoOutcome out;
    if (!applyOptions(fd, r.options)) {
        out.status = localErrorStatus(errno);
        return out;
    }
    icmp_filter filter{};
    filter.data =
        ~((1u << ICMP_ECHOREPLY) | (1u << ICMP_DEST_UNREACH) | (1u << ICMP_SOURCE_QUENCH) |
          (1u << ICMP_TIME_EXCEEDED) | (1u << ICMP_PARAMETERPROB));
    // Without the filter the socket still works, only busier.
    (void)::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    const quint16 id = quint16(QRandomGenerator::global()->bounded(1, 0x10000));
    const quint16 sequence = nextSequence();
    const std::vector<unsigned char> packet = echoPacket(id, sequence, r.size);
    QElapsedTimer clock;
    if (!sendEcho(fd, r.address, packet, clock, out))
        return out;
    std::vector<unsigned char> buffer(size_t(60 + IcmpHeaderSize + MaxDataSize + 512));
    for (;;) {
        if (!waitForReply(fd, POLLIN, clock, r.timeoutMs, out))
            return out;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(fd, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            out.status = localErrorStatus(errno);
            return out;
        }
        const RawIcmpMatch m =
            matchRawIcmp(buffer.data(), size_t(got), from.sin_addr.s_addr, r.address, id, sequence);
        if (!m.matched)
            continue;
        fillReply(out, from.sin_addr.s_addr, m.status, clock);
        out.reply.Options.Ttl = m.ttl;
        out.reply.DataSize = quint16(m.data.size());
        out.data = m.data;
        return out;
    }
}

} // namespace

RawIcmpMatch matchRawIcmp(const unsigned char *packet, size_t length, quint32 from, quint32 target,
                          quint16 id, quint16 sequence)
{
    RawIcmpMatch m;
    if (length < 20 || (packet[0] >> 4) != 4)
        return m;
    const size_t headerLength = size_t(packet[0] & 0x0f) * 4;
    if (headerLength < 20 || length < headerLength + IcmpHeaderSize)
        return m;
    const unsigned char *icmp = packet + headerLength;
    const size_t icmpLength = length - headerLength;
    const int type = icmp[0];
    if (type == ICMP_ECHOREPLY) {
        if (be16(icmp + 4) != id || be16(icmp + 6) != sequence || from != target)
            return m;
        m.matched = true;
        m.status = IcmpStatus::Success;
        m.ttl = packet[8];
        m.data = QByteArray(reinterpret_cast<const char *>(icmp) + IcmpHeaderSize,
                            qsizetype(icmpLength - IcmpHeaderSize));
        return m;
    }
    if (type != ICMP_DEST_UNREACH && type != ICMP_SOURCE_QUENCH && type != ICMP_TIME_EXCEEDED &&
        type != ICMP_PARAMETERPROB)
        return m;
    // An error quotes the IP header and the first 8 bytes of our request.
    const unsigned char *inner = icmp + IcmpHeaderSize;
    const size_t innerLength = icmpLength - IcmpHeaderSize;
    if (innerLength < 20 || (inner[0] >> 4) != 4)
        return m;
    const size_t innerHeader = size_t(inner[0] & 0x0f) * 4;
    if (innerHeader < 20 || innerLength < innerHeader + IcmpHeaderSize || inner[9] != IPPROTO_ICMP)
        return m;
    quint32 innerDestination = 0;
    std::memcpy(&innerDestination, inner + 16, 4);
    const unsigned char *quoted = inner + innerHeader;
    if (innerDestination != target || quoted[0] != ICMP_ECHO || be16(quoted + 4) != id ||
        be16(quoted + 6) != sequence)
        return m;
    m.matched = true;
    m.status = icmpMessageStatus(type, icmp[1]);
    m.ttl = packet[8];
    return m;
}

qint32 icmpMessageStatus(int type, int code)
{
    switch (type) {
    case ICMP_ECHOREPLY:
        return IcmpStatus::Success;
    case ICMP_DEST_UNREACH:
        switch (code) {
        case ICMP_NET_UNREACH:
        case ICMP_NET_UNKNOWN:
        case ICMP_NET_ANO:
        case ICMP_NET_UNR_TOS:
            return IcmpStatus::DestNetUnreachable;
        case ICMP_PROT_UNREACH:
            return IcmpStatus::DestProtocolUnreachable;
        case ICMP_PORT_UNREACH:
            return IcmpStatus::DestPortUnreachable;
        case ICMP_FRAG_NEEDED:
            return IcmpStatus::PacketTooBig;
        case ICMP_SR_FAILED:
            return IcmpStatus::BadRoute;
        default:
            return IcmpStatus::DestHostUnreachable;
        }
    case ICMP_SOURCE_QUENCH:
        return IcmpStatus::SourceQuench;
    case ICMP_TIME_EXCEEDED:
        return code == ICMP_EXC_FRAGTIME ? IcmpStatus::TtlExpiredReassembly
                                         : IcmpStatus::TtlExpiredTransit;
    case ICMP_PARAMETERPROB:
        return IcmpStatus::ParameterProblem;
    default:
        return IcmpStatus::GeneralFailure;
    }
}

QString dottedAddress(quint32 networkOrder)
{
    in_addr a{};
    a.s_addr = networkOrder;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return QString::fromLatin1(text);
}

bool parseDottedAddress(const QString &text, quint32 &networkOrder)
{
    if (text.isEmpty() || text.size() > 15)
        return false;
    const QByteArray latin = text.toLatin1();
    in_addr a{};
    if (::inet_pton(AF_INET, latin.constData(), &a) != 1)
        return false;
    networkOrder = a.s_addr;
    return true;
}

IcmpSupport probeIcmp()
{
    IcmpSupport support;
    for (IcmpSocketKind kind : {IcmpSocketKind::Datagram, IcmpSocketKind::Raw}) {
        const int fd = openIcmp(kind);
        if (fd >= 0) {
            ::close(fd);
            support.kind = kind;
            return support;
        }
    }
    support.reason = QStringLiteral(
        "this user may not send ICMP echoes. Allow them for every group with "
        "'sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"', or give the program "
        "the raw-socket capability with 'setcap cap_net_raw+ep' on its executable");
    return support;
}

EchoOutcome sendIcmpEcho(quint32 address, int size, int timeoutMs,
                         const IpOptionInformation &options)
{
    const Request r{address, qBound(0, size, MaxDataSize), qMax(0, timeoutMs), options};
    int fd = openIcmp(IcmpSocketKind::Datagram);
    IcmpSocketKind kind = IcmpSocketKind::Datagram;
    if (fd < 0 && deniedErrno(errno)) {
        fd = openIcmp(IcmpSocketKind::Raw);
        kind = IcmpSocketKind::Raw;
    }
    if (fd < 0) {
        EchoOutcome out;
        const int s = socketErrorFor(errno);
        out.status = s ? s : IcmpStatus::NoHandle;
        return out;
    }
    const Fd guard(fd);
    return kind == IcmpSocketKind::Datagram ? echoDatagram(fd, r) : echoRaw(fd, r);
}

} // namespace wv
