// One merge of a snapshot into the connection table, without name look-ups:
// the first cycle (every row new) and a steady cycle (nothing changed), over
// tables of 1,000 and 10,000 rows.
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/RefreshCycle.h"
#include "settings/Settings.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <vector>

using namespace wv;

namespace {

// A busy server's table: connections from many peers to a few services,
// a few outgoing ones, and some listeners.
QList<SnapshotRow> busySnapshot(int connections)
{
    QList<SnapshotRow> tcp, udp;
    const int services[] = {22, 80, 443, 8080};
    for (int s : services)
        tcp.append(SnapshotRow::tcp(QStringLiteral("0.0.0.0"), s, QStringLiteral("0.0.0.0"), 0, 2));
    for (int i = 0; i < connections; ++i) {
        const QString peer =
            QStringLiteral("10.%1.%2.%3").arg((i >> 16) & 255).arg((i >> 8) & 255).arg(i & 255);
        const int state = i % 17 == 0 ? 11 : (i % 23 == 0 ? 8 : 5);
        tcp.append(SnapshotRow::tcp(QStringLiteral("192.168.1.2"), services[i % 4], peer,
                                    20000 + (i * 7) % 40000, state));
    }
    for (int p : {53, 67, 123, 137, 138, 5353})
        udp.append(SnapshotRow::udp(QStringLiteral("0.0.0.0"), p));
    return tcp + udp;
}

struct Table
{
    explicit Table(const QList<SnapshotRow> &rows)
    {
        settings.autoResolve = false;
        source.push(rows);
        RefreshCycle::Services s;
        s.source = &source;
        cycle = std::make_unique<RefreshCycle>(settings, s, table, listen);
    }
    Settings settings;
    ScriptedSource source;
    ConnectionTableModel table;
    ListenPortsModel listen;
    std::unique_ptr<RefreshCycle> cycle;
};

void BM_UpdateFirstCycle(benchmark::State &state)
{
    const QList<SnapshotRow> rows = busySnapshot(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto t = std::make_unique<Table>(rows);
        state.ResumeTiming();
        t->cycle->UpdateConnectionTable();
        state.PauseTiming();
        if (t->table.count() != state.range(0))
            state.SkipWithError("rows were lost");
        t.reset();
        state.ResumeTiming();
    }
}

void BM_UpdateSteadyCycle(benchmark::State &state)
{
    const QList<SnapshotRow> rows = busySnapshot(static_cast<int>(state.range(0)));
    Table t(rows);
    t.cycle->UpdateConnectionTable();
    for (auto _ : state)
        t.cycle->UpdateConnectionTable();
    if (t.table.count() != state.range(0) || t.cycle->RebuildPending())
        state.SkipWithError("a steady cycle changed the table");
}

// Connections held open on loopback, both ends, so that the kernel's own
// tables hold the rows: pairs connections give 2 * pairs table rows.
class LoopbackConnections
{
public:
    explicit LoopbackConnections(int pairs)
    {
        rlimit lim{};
        if (::getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
            lim.rlim_cur = lim.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &lim);
        }
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
            ::listen(m_listener, 128) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return;
        for (int i = 0; i < pairs; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM, 0);
            if (c < 0)
                return;
            m_fds.push_back(c);
            if (::connect(c, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
                return;
            const int s = ::accept(m_listener, nullptr, nullptr);
            if (s < 0)
                return;
            m_fds.push_back(s);
        }
        m_ok = true;
    }
    ~LoopbackConnections()
    {
        for (int fd : m_fds) {
            linger l{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            ::close(fd);
        }
        ::close(m_listener);
    }
    bool ok() const { return m_ok; }

private:
    int m_listener = -1;
    std::vector<int> m_fds;
    bool m_ok = false;
};

// The same merges over the machine's live tables (reading them included).
void BM_UpdateLive(benchmark::State &state, bool steady)
{
    EngineSnapshotSource live;
    LoopbackConnections connections(static_cast<int>(state.range(0)) / 2);
    if (!live.isAvailable() || !connections.ok()) {
        state.SkipWithError("cannot hold that many loopback connections here");
        return;
    }
    Settings settings;
    settings.autoResolve = false;
    RefreshCycle::Services s;
    s.source = &live;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<ConnectionTableModel>();
        ListenPortsModel listen;
        RefreshCycle cycle(settings, s, *table, listen);
        if (steady)
            cycle.UpdateConnectionTable();
        state.ResumeTiming();
        cycle.UpdateConnectionTable();
        state.PauseTiming();
        if (table->count() < state.range(0))
            state.SkipWithError("rows were lost");
        table.reset();
        state.ResumeTiming();
    }
}

void BM_UpdateFirstCycleLive(benchmark::State &state)
{
    BM_UpdateLive(state, false);
}

void BM_UpdateSteadyCycleLive(benchmark::State &state)
{
    BM_UpdateLive(state, true);
}

BENCHMARK(BM_UpdateFirstCycle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateSteadyCycle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateFirstCycleLive)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateSteadyCycleLive)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
