// Cost of the timer work that runs all the time: one traffic-lights tick
// (route table, two counter files, the state machine) and one read of the
// ICMP echo counters for the status bar.
#include "mainwin/EchoCounters.h"
#include "stats/dialup/AdapterCounters.h"
#include "stats/dialup/TrafficLights.h"

#include <benchmark/benchmark.h>

namespace {

void LightsTickDefaultRoute(benchmark::State &state)
{
    wv::SysfsAdapterCounters counters;
    wv::TrafficLights lights;
    for (auto _ : state)
        benchmark::DoNotOptimize(lights.tick(counters.read()));
}
BENCHMARK(LightsTickDefaultRoute);

void LightsTickNamedInterface(benchmark::State &state)
{
    wv::SysfsAdapterCounters counters(QStringLiteral("lo"));
    wv::TrafficLights lights;
    for (auto _ : state)
        benchmark::DoNotOptimize(lights.tick(counters.read()));
}
BENCHMARK(LightsTickNamedInterface);

void EchoCountersRead(benchmark::State &state)
{
    wv::ProcSnmpEchoCounters counters;
    for (auto _ : state)
        benchmark::DoNotOptimize(counters.read());
}
BENCHMARK(EchoCountersRead);

} // namespace

BENCHMARK_MAIN();
