// A remote snapshot against snmpbulkwalk of the same table, from net-snmp's
// snmpd on this machine, in one run:
//   bench_remote [CONNECTIONS] [ROUNDS]
// Opens CONNECTIONS loopback connections with mkconns (default 10,000, so
// 20,000 TCP rows: both ends of each) and prints, per round,
//   rows=N ours_ms=X snmpbulkwalk_ms=Y ratio=X/Y
// then the medians. snmpbulkwalk walks tcpConnectionTable (the RFC 4022 table
// the snapshot reads) with its defaults; both run against a warm agent. It
// runs in a network namespace of its own where the system allows it.
#include "bench/support/BenchConnections.h"
#include "remote/RemoteSnapshotSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int connections = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    QString snmpd = QStandardPaths::findExecutable("snmpd", {"/usr/sbin", "/usr/local/sbin"});
    const QString bulkwalk = QStandardPaths::findExecutable("snmpbulkwalk");
    if (snmpd.isEmpty() || bulkwalk.isEmpty()) {
        std::fprintf(stderr, "bench_remote: snmpd and snmpbulkwalk are needed\n");
        return 1;
    }
    const bool isolated = wv::bench::enterPrivateNetwork();
    std::printf("network=%s\n", isolated ? "own" : "shared");

    wv::bench::LoopbackConnections conns;
    if (!conns.start(connections)) {
        std::fprintf(stderr, "bench_remote: mkconns did not get ready\n");
        return 1;
    }

    QTemporaryDir dir;
    const quint16 port = 16161;
    QFile conf(dir.filePath("snmpd.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("rocommunity bench 127.0.0.1\nagentaddress udp:127.0.0.1:%1\n")
                   .arg(port)
                   .toUtf8());
    conf.close();
    QProcess agent;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SNMP_PERSISTENT_DIR", dir.filePath("persist"));
    agent.setProcessEnvironment(env);
    agent.start(snmpd, {"-f", "-Lf", dir.filePath("snmpd.log"), "-C", "-c", conf.fileName(), "-I",
                        "-smux"});
    if (!agent.waitForStarted()) {
        std::fprintf(stderr, "bench_remote: snmpd does not start\n");
        return 1;
    }
    QThread::msleep(1000);

    wv::RemoteAgent target;
    target.host = "127.0.0.1";
    target.port = port;
    target.community = "bench";
    target.timeoutMs = 30000;
    target.retries = 0;
    const QString address = QStringLiteral("127.0.0.1:%1").arg(port);
    const auto walk = [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(bulkwalk,
                {"-v2c", "-c", "bench", "-On", "-t", "30", "-r", "0", address, "1.3.6.1.2.1.6.19"});
        p.waitForFinished(600000);
    };
    // Warm the agent's caches of every table read.
    walk();
    wv::RemoteSnapshotSource source(target);
    int rows = int(source.takeSnapshot().size());

    std::vector<double> ours, theirs;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        walk();
        const double bulk = t.nsecsElapsed() / 1e6;
        t.restart();
        rows = int(source.takeSnapshot().size());
        const double snap = t.nsecsElapsed() / 1e6;
        ours.push_back(snap);
        theirs.push_back(bulk);
        std::printf("rows=%d ours_ms=%.0f snmpbulkwalk_ms=%.0f ratio=%.2f requests=%d\n", rows,
                    snap, bulk, snap / bulk, source.client()->requests());
        std::fflush(stdout);
    }
    std::printf("median rows=%d ours_ms=%.0f snmpbulkwalk_ms=%.0f ratio=%.2f\n", rows, median(ours),
                median(theirs), median(ours) / median(theirs));
    agent.terminate();
    agent.waitForFinished();
    return 0;
}
