#pragma once

#include <sys/types.h>

namespace wv::bench {

// Moves the process into a network namespace of its own with its loopback
// up, so that the socket tables hold the benchmark's sockets only. False
// where the system does not allow it (the machine's network stays in use).
bool enterPrivateNetwork();

// bench/engine/mkconns holding loopback connections open; stopped with the
// object.
class LoopbackConnections
{
public:
    LoopbackConnections() = default;
    ~LoopbackConnections() { stop(); }
    LoopbackConnections(const LoopbackConnections &) = delete;
    LoopbackConnections &operator=(const LoopbackConnections &) = delete;

    // Opens n connections (both ends in the tables) and waits until they
    // are up; false when mkconns does not report ready.
    bool start(int n);
    void stop();

private:
    pid_t m_pid = -1;
};

} // namespace wv::bench
