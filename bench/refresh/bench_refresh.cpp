// One merge of a snapshot into the connection table, without name look-ups:
// the first cycle (every row new) and a steady cycle (nothing changed), over
// tables of 1,000 and 10,000 rows.
#include "monitor/refresh/ConnectionTableModel.h"
#include "monitor/refresh/ListenPortsModel.h"
#include "monitor/refresh/RefreshCycle.h"
#include "settings/Settings.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

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

BENCHMARK(BM_UpdateFirstCycle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateSteadyCycle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
