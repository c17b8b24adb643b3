#pragma once

#include <QByteArray>
#include <QString>

namespace wv {

// The IP option information of an echo request.
struct IpOptionInformation
{
    quint8 Ttl = 0; // 0: the system's default time-to-live
    quint8 Tos = 0;
    quint8 Flags = 0;
    quint8 OptionsSize = 0;
};

// The reply to one echo: who answered, with which status and how fast.
struct IcmpEchoReply
{
    static constexpr quint32 NoAddress = 0xFFFFFFFFu;
    quint32 Address = NoAddress; // replying address, network byte order
    quint32 Status = 0;          // IP status (0, 11002, 11013, ...)
    quint32 RoundTripTime = 0;   // milliseconds
    quint16 DataSize = 0;        // bytes of echo data in the reply
    quint16 Reserved = 0;
    IpOptionInformation Options; // Options.Ttl: the reply's time-to-live
};

// The kind of ICMP socket this process may open.
enum class IcmpSocketKind
{
    None,
    Datagram, // unprivileged echo socket (net.ipv4.ping_group_range)
    Raw       // raw ICMP socket (CAP_NET_RAW)
};

struct IcmpSupport
{
    IcmpSocketKind kind = IcmpSocketKind::None;
    // When kind is None: what the user can change to allow echoes.
    QString reason;
};

// Tries the datagram socket first and the raw socket second.
IcmpSupport probeIcmp();

struct EchoOutcome
{
    // 0 when the reply record is filled (its Status says what answered),
    // else an IP status (11010 time-out, ...), a sockets error code, or
    // IcmpStatus::NoHandle when no ICMP socket could be opened.
    qint32 status = 0;
    IcmpEchoReply reply;
    QByteArray data; // echo data of the reply
};

// Sends one echo request with `size` bytes of 0xAA to an IPv4 address
// (network byte order) and waits at most timeoutMs for what comes back:
// the echo reply, or an ICMP error about the request from a router or the
// destination. Blocks the calling thread.
EchoOutcome sendIcmpEcho(quint32 address, int size, int timeoutMs,
                         const IpOptionInformation &options);

// One datagram of a raw ICMP socket (IP header first) matched against our
// echo request: its echo reply, or an ICMP error that quotes the request.
struct RawIcmpMatch
{
    bool matched = false;
    qint32 status = 0; // IP status
    quint8 ttl = 0;    // of the datagram
    QByteArray data;   // echo data of a reply
};
RawIcmpMatch matchRawIcmp(const unsigned char *packet, size_t length, quint32 from, quint32 target,
                          quint16 id, quint16 sequence);

// The IP status of an ICMP message type and code.
qint32 icmpMessageStatus(int type, int code);

// Dotted text of an address in network byte order, and back (false when the
// text is not a dotted IPv4 address).
QString dottedAddress(quint32 networkOrder);
bool parseDottedAddress(const QString &text, quint32 &networkOrder);

} // namespace wv
