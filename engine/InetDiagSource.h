#pragma once

#include "engine/SocketSource.h"

#include <QByteArrayView>

#include <map>
#include <utility>

namespace wv {

// Parses a stream of netlink messages answering a socket-diagnostics dump
// (inet_diag). Appends each IPv4 and IPv6 socket; returns true once the
// end-of-dump message was seen. An error message throws SourceError; other
// malformed input is skipped.
bool parseInetDiagReply(QByteArrayView bytes, std::vector<SocketEntry> &out);
bool parseInetDiagReply(QByteArrayView bytes, const SocketVisitor &visit);

// The socket tables from the kernel's socket-diagnostics netlink interface,
// the way ss reads them.
class InetDiagSource : public SocketSource
{
public:
    // Recorded replies by (address family, IP protocol), for tests.
    using Recording = std::map<std::pair<int, int>, QByteArray>;

    InetDiagSource();
    explicit InetDiagSource(Recording recorded);
    ~InetDiagSource() override;
    InetDiagSource(const InetDiagSource &) = delete;
    InetDiagSource &operator=(const InetDiagSource &) = delete;

    QString name() const override { return QStringLiteral("netlink"); }
    bool worksHere() override;
    void readTcp(std::vector<SocketEntry> &out) override;
    void readUdp(std::vector<SocketEntry> &out) override;
    void visitTcp(const SocketVisitor &visit) override;
    void visitUdp(const SocketVisitor &visit) override;
    void setTrafficWanted(bool wanted) override { m_trafficWanted = wanted; }

    // One dump of a family and protocol; states is the kernel's state mask.
    // Public for the benchmark, which measures a bare dump.
    void dump(int family, int protocol, quint32 states, std::vector<SocketEntry> &out);

private:
    void openSocket();
    void dump(int family, int protocol, quint32 states, const SocketVisitor &visit);
    void dumpTcp(const SocketVisitor &visit);
    // Sends a request (a netlink message) and reads the reply to its end.
    void exchange(void *request, const SocketVisitor &visit);
    void dumpIpv6(int protocol, const SocketVisitor &visit);

    bool m_recorded = false;
    Recording m_recording;
    bool m_noIpv6 = false;
    bool m_noCombinedTcp = false;
    bool m_trafficWanted = false;
    int m_fd = -1;
    quint32 m_seq = 0;
    std::vector<char> m_buffer;
};

} // namespace wv
