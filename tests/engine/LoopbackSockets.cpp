#include "tests/engine/LoopbackSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace wv::test {

namespace {

bool makeAddress(const char *text, quint16 port, sockaddr_storage &ss, socklen_t &len)
{
    std::memset(&ss, 0, sizeof ss);
    auto *v4 = reinterpret_cast<sockaddr_in *>(&ss);
    if (inet_pton(AF_INET, text, &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        len = sizeof(sockaddr_in);
        return true;
    }
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&ss);
    if (inet_pton(AF_INET6, text, &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        len = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

quint16 localPort(int fd)
{
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&ss), &len) != 0)
        return 0;
    if (ss.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in *>(&ss)->sin_port);
    return ntohs(reinterpret_cast<sockaddr_in6 *>(&ss)->sin6_port);
}

} // namespace

LoopbackSockets::~LoopbackSockets()
{
    for (int fd : m_fds)
        ::close(fd);
}

int LoopbackSockets::open(int family, int type)
{
    const int fd = ::socket(family, type | SOCK_CLOEXEC, 0);
    if (fd >= 0)
        m_fds.push_back(fd);
    return fd;
}

quint16 LoopbackSockets::listenTcp(const char *address, bool v6only)
{
    sockaddr_storage ss;
    socklen_t len;
    if (!makeAddress(address, 0, ss, len))
        return 0;
    const int fd = open(ss.ss_family, SOCK_STREAM);
    const int flag = v6only ? 1 : 0;
    if (fd < 0 || (ss.ss_family == AF_INET6 &&
                   setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &flag, sizeof flag) != 0))
        return 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&ss), len) != 0 || ::listen(fd, 16) != 0)
        return 0;
    const quint16 port = localPort(fd);
    m_listeners.push_back({port, fd});
    return port;
}

quint16 LoopbackSockets::connectTcp(const char *address, quint16 port)
{
    sockaddr_storage ss;
    socklen_t len;
    if (!makeAddress(address, port, ss, len))
        return 0;
    const int fd = open(ss.ss_family, SOCK_STREAM);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&ss), len) != 0)
        return 0;
    for (const auto &[p, listener] : m_listeners) {
        if (p == port) {
            const int accepted = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (accepted >= 0)
                m_fds.push_back(accepted);
        }
    }
    return localPort(fd);
}

quint16 LoopbackSockets::bindUdp(const char *address, bool v6only)
{
    sockaddr_storage ss;
    socklen_t len;
    if (!makeAddress(address, 0, ss, len))
        return 0;
    const int fd = open(ss.ss_family, SOCK_DGRAM);
    const int flag = v6only ? 1 : 0;
    if (fd < 0 || (ss.ss_family == AF_INET6 &&
                   setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &flag, sizeof flag) != 0))
        return 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&ss), len) != 0)
        return 0;
    return localPort(fd);
}

quint16 LoopbackSockets::connectUdp(const char *address, quint16 port)
{
    sockaddr_storage ss;
    socklen_t len;
    if (!makeAddress(address, port, ss, len))
        return 0;
    const int fd = open(ss.ss_family, SOCK_DGRAM);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&ss), len) != 0)
        return 0;
    return localPort(fd);
}

quint16 freeUdpPort()
{
    LoopbackSockets s;
    return s.bindUdp("127.0.0.1");
}

} // namespace wv::test
