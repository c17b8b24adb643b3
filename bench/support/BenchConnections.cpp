#include "bench/support/BenchConnections.h"

#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace wv::bench {

bool enterPrivateNetwork()
{
    if (::unshare(CLONE_NEWNET) != 0)
        return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags |= IFF_UP;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
    if (fd >= 0)
        ::close(fd);
    return up;
}

bool LoopbackConnections::start(int n)
{
    stop();
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(pipeFds[1], 1);
        const std::string script = std::string(WV_SOURCE_DIR) + "/bench/engine/mkconns";
        const std::string count = std::to_string(n);
        // Held for 15 minutes at most should the benchmark die without stop().
        ::execlp("python3", "python3", script.c_str(), "-n", count.c_str(), "-t", "900",
                 static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string line;
    char c;
    while (m_pid > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
        line += c;
    ::close(pipeFds[0]);
    return line == "ready";
}

void LoopbackConnections::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

} // namespace wv::bench
