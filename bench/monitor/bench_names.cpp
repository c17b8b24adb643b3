// How the name look-ups and the list export scale with the size of their
// files and lists: a cache hit and a recognized-name match run once per new
// connection row, an export once per save.
#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"
#include "monitor/ListExporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString address(int i)
{
    return QStringLiteral("10.%1.%2.%3").arg((i >> 16) & 255).arg((i >> 8) & 255).arg(i & 255);
}

void BM_CacheHit(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wvncache.ini"));
    QByteArray text = "[Main]\ncreated=x\n[Cache]\n";
    for (int i = 0; i < state.range(0); ++i)
        text += address(i).toLatin1() + "=host" + QByteArray::number(i) + ".example.org\n";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    f.close();
    wv::DnsCache cache(path);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(cache.lookup(address(i++ % int(state.range(0)))));
}
BENCHMARK(BM_CacheHit)->Arg(100)->Arg(10000);

void BM_FriendlyNameMiss(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wvnfnames.ini"));
    QByteArray hosts = "[Hostname]\n", ips = "[IP]\n";
    for (int i = 0; i < state.range(0); ++i) {
        hosts += "mask" + QByteArray::number(i) + ".example=Name " + QByteArray::number(i) + "\n";
        ips += "172.16." + QByteArray::number(i) + ".=Name " + QByteArray::number(i) + "\n";
    }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(hosts + ips);
    f.close();
    const wv::FriendlyNames names(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            names.GetFriendlyName(QStringLiteral("www.nowhere.net"), QStringLiteral("10.9.9.9")));
}
BENCHMARK(BM_FriendlyNameMiss)->Arg(10)->Arg(500);

void BM_Export(benchmark::State &state)
{
    wv::ListExporter::Table t;
    t.headers = {"#", "Remote", "Local", "Port", "State", "Added", "Host", "Name"};
    for (int r = 0; r < 1000; ++r) {
        t.rows.append({QString::number(r), address(r), QStringLiteral("8080"),
                       QStringLiteral("443"), QStringLiteral("ESTABLISHED"),
                       QStringLiteral("12:00:00"), QStringLiteral("h<%1>.example, \"x\"").arg(r),
                       QStringLiteral("=Zürich")});
    }
    const auto format = wv::ListExporter::Format(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(wv::ListExporter::render(format, t));
}
BENCHMARK(BM_Export)->DenseRange(1, 5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
