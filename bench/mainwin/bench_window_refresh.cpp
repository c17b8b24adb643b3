// The main window's refresh with a busy server's table: the real program
// (main window, the session summary window created hidden as at start-up,
// the rules pass) offscreen, over the engine's live snapshot of loopback
// connections that mkconns holds open.
//
// For each size it prints
//   rows=N first_ms=X steady_ms=Y rss_mib=Z
// where first_ms is the first refresh of an empty table until the window has
// painted, steady_ms the median of refreshes that find nothing changed, and
// rss_mib the resident memory after them; then `ss -tan` timed in the same run
// (median of several runs) as the yardstick the figures are judged against,
// and the longest time the window went without handling events during the
// first refresh.
//
// Each size runs in a child process of its own, so that resident memory
// belongs to that size alone. The snapshot is the machine's whole table; the
// window is shown only the rows of mkconns' own listener port, so that other
// programs opening and closing sockets meanwhile do not turn steady cycles
// into rebuilds.
//
// Usage: bench_window_refresh [ROWS...]   (default 1000 10000 20000)

#include "components/ui/WvApplication.h"
#include "mainwin/ui/MainProgram.h"
#include "mainwin/ui/MainToolbar.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/EngineSnapshotSource.h"
#include "refresh/RefreshCycle.h"
#include "remote/HostSnapshotSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace wv;

namespace {

// The engine's snapshot, narrowed to the connections of one port.
class OnePortSource : public SnapshotSource
{
public:
    explicit OnePortSource(int port) : m_port(port) {}
    QList<SnapshotRow> takeSnapshot() override
    {
        QList<SnapshotRow> all = m_engine.takeSnapshot();
        QList<SnapshotRow> mine;
        mine.reserve(all.size());
        for (SnapshotRow &r : all) {
            if (r.localPort == m_port || r.remotePort == m_port)
                mine.append(std::move(r));
        }
        return mine;
    }

private:
    EngineSnapshotSource m_engine;
    int m_port;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double rssMiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Runs `ss -tan` to /dev/null and returns its wall time in milliseconds.
double timeSs()
{
    QProcess ss;
    ss.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    ss.start(QStringLiteral("ss"), {QStringLiteral("-tan")});
    if (!ss.waitForFinished(30000))
        return -1;
    return t.nsecsElapsed() / 1e6;
}

// Everything the refresh queued (layout, painting) is done, and the window
// has painted itself.
void settle(QWidget &window)
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1000);
    window.repaint();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1000);
}

int runOne(int argc, char **argv, int rows)
{
    QTemporaryDir home;
    qputenv("WIREVANE_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/xdg")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    {
        QFile reg(home.filePath(QStringLiteral("registry.ini")));
        if (!reg.open(QIODevice::WriteOnly))
            return 2;
        // The bench clicks Refresh itself; no names, no splash, the panel shown.
        reg.write("[WVN3PRO\\Settings]\nautoRefresh=0\nautoResolve=0\nshowSplash=0\n"
                  "showListens=1\n");
    }

    WvApplication app(argc, argv);

    QProcess mk;
    mk.start(QStringLiteral(WV_MKCONNS), {QStringLiteral("-n"), QString::number(rows / 2),
                                          QStringLiteral("-t"), QStringLiteral("600")});
    QByteArray out, err;
    QElapsedTimer wait;
    wait.start();
    while (!out.contains("ready") && wait.elapsed() < 120000 &&
           mk.state() != QProcess::NotRunning) {
        mk.waitForReadyRead(200);
        out += mk.readAllStandardOutput();
        err += mk.readAllStandardError();
    }
    err += mk.readAllStandardError();
    const auto m =
        QRegularExpression(QStringLiteral("port=(\\d+)")).match(QString::fromLatin1(err));
    if (!out.contains("ready") || !m.hasMatch()) {
        std::fprintf(stderr, "mkconns did not get ready: %s\n", err.constData());
        return 2;
    }
    // Taken as the program takes this machine's snapshot.
    HostSnapshotSource source(std::make_unique<OnePortSource>(m.captured(1).toInt()));

    TfrmMain::Services services;
    services.source = &source;
    MainProgram program(services);
    program.Create();
    TfrmMain &w = program.window();
    settle(w);

    // How long the window goes without handling events during the first
    // refresh: a 10 ms timer notes the longest gap between its ticks and how
    // many ticks came more than 100 ms late.
    QElapsedTimer sinceTick;
    double longestStall = 0;
    int lateTicks = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double gap = sinceTick.nsecsElapsed() / 1e6;
        longestStall = std::max(longestStall, gap);
        if (gap > 110)
            ++lateTicks;
        sinceTick.restart();
    });
    probe.start();
    sinceTick.start();

    QElapsedTimer t;
    t.start();
    w.toolbar().tb1->click();
    settle(w);
    const double first = t.nsecsElapsed() / 1e6;
    probe.stop();
    longestStall = std::max(longestStall, sinceTick.nsecsElapsed() / 1e6);
    const int shown = w.tableModel().count();

    std::vector<double> steady;
    for (int i = 0; i < 7; ++i) {
        t.restart();
        w.toolbar().tb1->click();
        settle(w);
        steady.push_back(t.nsecsElapsed() / 1e6);
    }
    const double rss = rssMiB();
    if (w.cycle().RebuildPending() || w.tableModel().count() != shown)
        std::fprintf(stderr, "warning: a steady refresh changed the table\n");

    std::vector<double> ss;
    for (int i = 0; i < 5; ++i)
        ss.push_back(timeSs());

    std::printf("rows=%d first_ms=%.0f steady_ms=%.1f rss_mib=%.1f\n", shown, first, median(steady),
                rss);
    std::printf("  same run: ss -tan %.1f ms (median of 5); first refresh = %.1fx ss -tan\n",
                median(ss), first / std::max(median(ss), 0.001));
    std::printf("  input during the first refresh: longest stall %.0f ms, %d ticks over 100 ms "
                "late (10 ms timer)\n",
                longestStall, lateTicks);
    std::fflush(stdout);

    mk.terminate();
    mk.waitForFinished(10000);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--one") == 0)
        return runOne(argc, argv, std::atoi(argv[2]));

    QCoreApplication core(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 10000, 20000};
    int rc = 0;
    for (int rows : sizes) {
        if (rows <= 0) {
            std::fprintf(stderr, "usage: %s [ROWS...]\n", argv[0]);
            return 2;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]),
                    {QStringLiteral("--one"), QString::number(rows)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            rc = 1;
    }
    return rc;
}
