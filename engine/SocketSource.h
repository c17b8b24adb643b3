#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace wv {

using Ipv6Bytes = std::array<quint8, 16>;

// One socket. The first fields are its IPv4 view, as the IPv4 tables see it:
// addresses are numeric (a.b.c.d is a << 24 | b << 16 | c << 8 | d); state is
// the kernel's TCP state number (1 ESTABLISHED ... 10 LISTEN, 11 CLOSING, 12 a
// request socket). An IPv6 socket has an IPv4 view when its addresses are
// IPv4-mapped or it is a dual-stack wildcard; its own addresses are kept too.
struct SocketEntry
{
    quint32 localAddress = 0;
    quint32 remoteAddress = 0;
    quint16 localPort = 0;
    quint16 remotePort = 0;
    quint8 state = 0;
    bool hasIpv4View = true;
    bool ipv6 = false;  // the socket's own family is IPv6
    Ipv6Bytes local6{}; // the IPv6 addresses of an IPv6 socket
    Ipv6Bytes remote6{};
    quint32 inode = 0; // 0 for a socket no process holds yet
    // Bytes acknowledged by the peer and bytes received (tcp_info); -1 unknown.
    qint64 bytesAcked = -1;
    qint64 bytesReceived = -1;

    bool operator==(const SocketEntry &) const = default;
};

// Kernel TCP state numbers (include/net/tcp_states.h).
enum : quint8
{
    KernelEstablished = 1,
    KernelClose = 7,
    KernelListen = 10,
    KernelNewSynRecv = 12,
};

// A failure to read a source while a walk runs.
class SourceError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Receives the sockets of a table one by one.
using SocketVisitor = std::function<void(const SocketEntry &)>;

// Where the socket tables come from: the kernel's socket-diagnostics netlink
// interface or the /proc/net files, or a recorded input in tests.
class SocketSource
{
public:
    virtual ~SocketSource() = default;
    virtual QString name() const = 0;
    // Whether the source can be read on this machine.
    virtual bool worksHere() = 0;
    // Appends every TCP (or UDP) socket, IPv4 and IPv6; throws SourceError.
    virtual void readTcp(std::vector<SocketEntry> &out) = 0;
    virtual void readUdp(std::vector<SocketEntry> &out) = 0;
    // The same sockets in the same order, handed over as they are read
    // instead of kept; a failure part-way throws SourceError after some have
    // been handed over.
    virtual void visitTcp(const SocketVisitor &visit);
    virtual void visitUdp(const SocketVisitor &visit);
    // Whether readTcp also reports the bytes moved (costs the kernel more).
    virtual void setTrafficWanted(bool) {}
};

// One protocol counter as the kernel names it: ("Tcp", "InErrs", value).
struct KernelCounter
{
    QByteArray group;
    QByteArray name;
    qint64 value = 0;
};

// Where the protocol counters come from (/proc/net/snmp, or a recording).
class CounterSource
{
public:
    virtual ~CounterSource() = default;
    virtual bool worksHere() = 0;
    virtual void read(std::vector<KernelCounter> &out) = 0; // throws SourceError
};

// Maps an IPv6 address as the IPv4 tables show it: an IPv4-mapped address
// (::ffff:a.b.c.d) gives a.b.c.d; the unspecified address (::) gives 0.0.0.0
// when the socket also accepts IPv4 (allowWildcard). Anything else has no
// IPv4 form and returns false.
bool ipv4View(const quint8 (&address)[16], bool allowWildcard, quint32 &out);

} // namespace wv
