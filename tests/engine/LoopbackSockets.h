#pragma once

#include <QtGlobal>

#include <vector>

namespace wv::test {

// Sockets a test opens on loopback; all are closed with the object.
class LoopbackSockets
{
public:
    LoopbackSockets() = default;
    ~LoopbackSockets();
    LoopbackSockets(const LoopbackSockets &) = delete;
    LoopbackSockets &operator=(const LoopbackSockets &) = delete;

    // Each returns the local port, or 0 on failure. address is numeric text
    // ("127.0.0.1", "::", "::1").
    quint16 listenTcp(const char *address, bool v6only = false);
    // Connects to a listener and accepts the connection; returns the client's port.
    quint16 connectTcp(const char *address, quint16 port);
    quint16 bindUdp(const char *address, bool v6only = false);
    // A UDP socket bound to an ephemeral port and connected to a peer.
    quint16 connectUdp(const char *address, quint16 port);

private:
    int open(int family, int type);
    std::vector<int> m_fds;
    std::vector<std::pair<quint16, int>> m_listeners; // port, descriptor
};

// A UDP port that was free a moment ago on 127.0.0.1.
quint16 freeUdpPort();

} // namespace wv::test
