// Refresh of the connection list against a bare netlink dump and `ss -tan`,
// and the companion's `connections --tcp` (plain and JSON) against `ss -tan`,
// all over the same loopback connections opened by mkconns, in one run.
//   bench_engine [--connections=N] [benchmark options]
// Runs in a network namespace of its own where the system allows it, so the
// tables hold the benchmark's sockets only.
#include "bench/support/BenchConnections.h"
#include "engine/DirectConnectionList.h"
#include "engine/InetDiagSource.h"
#include "engine/MibIIAgent.h"
#include "engine/PloverIpConnectionList.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The least a client can do: ask for the IPv4 TCP table and read the
// replies, counting the sockets without looking into them.
std::size_t bareDump()
{
    static int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    static char buffer[64 * 1024];
    struct
    {
        nlmsghdr nlh;
        inet_diag_req_v2 req;
    } request{};
    request.nlh.nlmsg_len = sizeof request;
    request.nlh.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.nlh.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.req.sdiag_family = AF_INET;
    request.req.sdiag_protocol = IPPROTO_TCP;
    request.req.idiag_states = 0xFFFFFFFFu;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd, &request, sizeof request, 0, reinterpret_cast<sockaddr *>(&kernel),
                 sizeof kernel) < 0)
        return 0;
    std::size_t sockets = 0;
    for (;;) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return sockets;
        for (auto *h = reinterpret_cast<nlmsghdr *>(buffer); NLMSG_OK(h, std::size_t(n));
             h = NLMSG_NEXT(h, n)) {
            if (h->nlmsg_type == NLMSG_DONE || h->nlmsg_type == NLMSG_ERROR)
                return sockets;
            ++sockets;
        }
    }
}

void BM_BareNetlinkDump(benchmark::State &state)
{
    std::size_t rows = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rows = bareDump());
    state.counters["rows"] = double(rows);
}

// details: each row's owning process and bytes as well. The first refresh
// finds the owners (a look through /proc); the steady ones are timed.
void BM_Refresh(benchmark::State &state, wv::SocketSourceChoice source, bool owners, bool traffic)
{
    const std::size_t before = mallinfo2().uordblks;
    wv::TPloverIpConnectionList list(nullptr, wv::systemAgentLoader(source));
    list.setDetails(owners, traffic);
    list.Refresh();
    for (auto _ : state)
        list.Refresh();
    if (owners) {
        int owned = 0;
        for (int i = 0; i < list.Count(); ++i)
            owned += list.Items(i)->Pid() != 0;
        state.counters["owned_rows"] = owned;
    }
    const std::size_t after = mallinfo2().uordblks;
    state.counters["rows"] = list.Count();
    state.counters["heap_bytes_per_row"] =
        list.Count() ? double(after - before) / list.Count() : 0.0;
}

void BM_SourceDump(benchmark::State &state, int family, int protocol)
{
    wv::InetDiagSource source;
    std::vector<wv::SocketEntry> rows;
    for (auto _ : state) {
        rows.clear();
        source.dump(family, protocol, 0xFFFFFFFFu, rows);
    }
    state.counters["rows"] = double(rows.size());
}

// The rows as the companion lists them, in the process.
void BM_DirectList(benchmark::State &state)
{
    const std::unique_ptr<wv::SocketSource> sockets =
        wv::loadSystemSockets(wv::SocketSourceChoice::Netlink);
    if (!sockets) {
        state.SkipWithError("no netlink socket diagnostics");
        return;
    }
    wv::DirectConnectionList list(*sockets);
    list.setProtocols(wv::tcp_ip);
    for (auto _ : state)
        list.Refresh();
    state.counters["rows"] = list.Count();
}

// A whole program run, its output thrown away: process start included, as a
// user at the shell sees it.
void BM_Program(benchmark::State &state, std::vector<std::string> command)
{
    std::vector<char *> argv;
    for (std::string &a : command)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError((command[0] + " failed").c_str());
            break;
        }
    }
}

// The companion beside this benchmark in the build.
std::string companion()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, std::size_t(n > 0 ? n : 0));
    return path.substr(0, path.rfind('/') + 1) + "wirevane-cli";
}

} // namespace

int main(int argc, char **argv)
{
    int connections = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--connections=", 14) == 0)
            connections = std::atoi(argv[i] + 14);
    }
    benchmark::Initialize(&argc, argv);
    const bool isolated = wv::bench::enterPrivateNetwork();
    std::fprintf(stderr, "network: %s\n", isolated ? "private namespace" : "shared with the host");
    wv::bench::LoopbackConnections conns;
    if (connections > 0 && !conns.start(connections)) {
        std::fprintf(stderr, "mkconns did not get ready\n");
        return 1;
    }
    benchmark::RegisterBenchmark("BareNetlinkDump", BM_BareNetlinkDump)
        ->Unit(benchmark::kMillisecond);
    for (const auto &[name, source, owners, traffic] :
         {std::tuple{"Refresh/netlink", wv::SocketSourceChoice::Netlink, false, false},
          std::tuple{"Refresh/netlink+owners", wv::SocketSourceChoice::Netlink, true, false},
          std::tuple{"Refresh/netlink+bytes", wv::SocketSourceChoice::Netlink, false, true},
          std::tuple{"Refresh/netlink+owners+bytes", wv::SocketSourceChoice::Netlink, true, true},
          std::tuple{"Refresh/proc", wv::SocketSourceChoice::Proc, false, false},
          std::tuple{"Refresh/proc+owners", wv::SocketSourceChoice::Proc, true, false}})
        benchmark::RegisterBenchmark(name, BM_Refresh, source, owners, traffic)
            ->Unit(benchmark::kMillisecond);
    for (const auto &[name, family, protocol] : {std::tuple{"Dump/tcp4", AF_INET, IPPROTO_TCP},
                                                 std::tuple{"Dump/tcp6", AF_INET6, IPPROTO_TCP},
                                                 std::tuple{"Dump/udp4", AF_INET, IPPROTO_UDP},
                                                 std::tuple{"Dump/udp6", AF_INET6, IPPROTO_UDP}})
        benchmark::RegisterBenchmark(name, BM_SourceDump, family, protocol)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DirectList/tcp", BM_DirectList)->Unit(benchmark::kMillisecond);
    const std::string cli = companion();
    for (const auto &[name, command] :
         {std::pair{"Program/ss -tan", std::vector<std::string>{"ss", "-tan"}},
          std::pair{"Program/connections --tcp",
                    std::vector<std::string>{cli, "connections", "--tcp"}},
          std::pair{"Program/connections --tcp --json",
                    std::vector<std::string>{cli, "connections", "--tcp", "--json"}}})
        benchmark::RegisterBenchmark(name, BM_Program, command)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
