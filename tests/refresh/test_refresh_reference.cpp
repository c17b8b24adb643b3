#include "CycleFixture.h"
#include "ReferenceCycle.h"
#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "refresh/ServiceAdapters.h"
#include "tests/monitor/DnsTestServer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Snapshots drawn from small pools, so that keys repeat, states change,
// rows share address and ports, and listeners come and go.
QList<SnapshotRow> randomSnapshot(QRandomGenerator &rng)
{
    static const char *const addresses[] = {"10.0.0.1", "10.0.0.2", "192.168.7.9"};
    static const char *const locals[] = {"127.0.0.1", "192.168.1.2"};
    static const int states[] = {SynSent,   Established, Established, TimeWait,
                                 CloseWait, FinWait2,    Listen};
    QList<SnapshotRow> tcpRows, udpRows;
    const int n = rng.bounded(0, 14);
    for (int i = 0; i < n; ++i) {
        tcpRows.append(SnapshotRow::tcp(QString::fromLatin1(locals[rng.bounded(2)]),
                                        1000 + rng.bounded(4),
                                        QString::fromLatin1(addresses[rng.bounded(3)]),
                                        80 + rng.bounded(3), states[rng.bounded(7)]));
    }
    const int u = rng.bounded(0, 3);
    for (int i = 0; i < u; ++i)
        udpRows.append(SnapshotRow::udp(QStringLiteral("0.0.0.0"), 1000 + rng.bounded(4)));
    return tcpRows + udpRows;
}

class ReferenceEquivalence : public ::testing::TestWithParam<std::tuple<quint32, bool>>
{
};

TEST_P(ReferenceEquivalence, SameRowsListsAndEventsAsTheLinearDefinition)
{
    const auto [seed, autoResolve] = GetParam();
    QRandomGenerator rng(seed);
    auto names = [](const QString &a) {
        return a.endsWith(QLatin1Char('2')) ? QString() : QStringLiteral("h") + a;
    };
    CycleFixture f(autoResolve);
    f.hosts.lookup = names;
    ReferenceCycle ref;
    ref.autoResolve = autoResolve;
    ref.hostName = names;

    QList<SnapshotRow> snapshot;
    for (int step = 0; step < 80; ++step) {
        // A machine at rest: often the same rows as the refresh before.
        if (step == 0 || rng.bounded(5) < 3)
            snapshot = randomSnapshot(rng);
        f.source.push(snapshot);
        // Now and then the view bar's direct call, without rebuild.
        if (rng.bounded(8) == 0) {
            f.cycle->UpdateConnectionTable();
            ref.UpdateConnectionTable(snapshot);
        } else {
            f.cycle->RefreshConnections();
            ref.RefreshConnections(snapshot);
        }
        SCOPED_TRACE(step);
        ASSERT_EQ(f.summary.texts(), ref.events);
        ASSERT_EQ(f.cycle->ConnectionKeys(), ref.ConnectionKeys);
        ASSERT_EQ(f.cycle->ListenPorts(), ref.ListenPorts);
        ASSERT_EQ(f.cycle->ListenUdpMarks(), ref.ListenUdpMarks);
        ASSERT_EQ(f.cycle->PreviousListenPorts(), ref.PreviousListenPorts);
        ASSERT_EQ(f.cycle->VanishedRows(), ref.VanishedRows);
        ASSERT_EQ(f.cycle->RebuildPending(), ref.RebuildPending);
        ASSERT_EQ(f.table.count(), ref.rows.size());
        for (int i = 0; i < f.table.count(); ++i) {
            const ConnectionRecord &r = f.table.record(i);
            const ReferenceCycle::Row &e = ref.rows[i];
            ASSERT_EQ(r.number, e.number);
            ASSERT_EQ(r.hostCell, e.hostCell);
            ASSERT_EQ(r.HostName, ref.HostName[i]);
            ASSERT_EQ(r.RemoteAddressText, ref.RemoteAddressText[i]);
            ASSERT_EQ(r.LocalPortText, e.localPort);
            ASSERT_EQ(r.RemotePortText, e.remotePort);
            ASSERT_EQ(r.stateName, e.state);
            ASSERT_EQ(r.protocol, e.protocol);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReferenceEquivalence,
                         ::testing::Combine(::testing::Values(1u, 2u, 3u, 42u, 2024u, 99991u),
                                            ::testing::Bool()));

// The same comparison with real names: the resolver asks a real name server
// for all new addresses of a refresh at once, the reference asks one by one
// through its own copy of the cache. Names, cache contents (in file order),
// status texts and events must agree.
class ReferenceWithNames : public ::testing::TestWithParam<std::tuple<quint32, bool>>
{
};

TEST_P(ReferenceWithNames, SameNamesCacheAndStatusTextsAsOneByOne)
{
    const auto [seed, cacheDNS] = GetParam();
    // 10.0.0.2 has no name: the server answers NXDOMAIN.
    const QHash<QString, QString> records{
        {QStringLiteral("10.0.0.1"), QStringLiteral("one.test")},
        {QStringLiteral("192.168.7.9"), QStringLiteral("nine.test")}};
    QStringList ptr;
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        ptr.append(it.key() + QLatin1Char('=') + it.value());
    DnsTestServer dns(ptr);
    ASSERT_TRUE(dns.isRunning()) << dns.error().toStdString();

    QTemporaryDir dir;
    DnsCache cache(dir.filePath(QStringLiteral("wvncache.ini")));
    Settings resolverSettings;
    resolverSettings.cacheDNS = cacheDNS;
    HostNameResolver resolver(resolverSettings, cache);
    ASSERT_TRUE(resolver.setServers({dns.server()}));
    ResolverHostNames hosts(resolver);
    CycleFixture f(true, &hosts);

    // GetHostName as the design states it, one address at a time, each
    // answer written to a file of its own straight away.
    QList<std::pair<QString, QString>> refCache;
    DnsCache refFile(dir.filePath(QStringLiteral("one-by-one.ini")));
    auto oneByOne = [&](const QString &address) {
        auto it = std::find_if(refCache.begin(), refCache.end(),
                               [&](const auto &e) { return e.first == address; });
        if (cacheDNS && it != refCache.end() && !it->second.isEmpty())
            return it->second;
        const QString name = records.value(address);
        if (cacheDNS) {
            if (it != refCache.end())
                it->second = name;
            else
                refCache.append({address, name});
            refFile.store(address, name);
        }
        refFile.stampCreated();
        return name;
    };
    ReferenceCycle ref;
    ref.autoResolve = true;
    ref.hostName = oneByOne;

    QRandomGenerator rng(seed);
    for (int step = 0; step < 40; ++step) {
        const QList<SnapshotRow> snapshot = randomSnapshot(rng);
        f.source.push(snapshot);
        f.status.texts.clear();
        ref.statusTexts.clear();
        const int saves = cache.file().saves();
        f.cycle->RefreshConnections();
        ref.RefreshConnections(snapshot);
        SCOPED_TRACE(step);
        // However many names a refresh learns, the file is rewritten once,
        // into the bytes the writes one by one give.
        ASSERT_LE(cache.file().saves() - saves, 1);
        QByteArray oneByOneBytes = readBytes(refFile.file().path());
        oneByOneBytes.replace(refFile.created().toUtf8(), cache.created().toUtf8());
        ASSERT_EQ(readBytes(cache.file().path()), oneByOneBytes);
        ASSERT_EQ(f.summary.texts(), ref.events);
        QStringList status = f.status.texts;
        for (QString &t : status) {
            if (t.startsWith(QStringLiteral("Wirevane  -  Last refresh: ")))
                t = ReferenceCycle::LastRefresh;
        }
        ASSERT_EQ(status, ref.statusTexts);
        const QVector<std::pair<QString, QString>> want(refCache.cbegin(), refCache.cend());
        ASSERT_EQ(cache.entries(), want);
        ASSERT_EQ(f.table.count(), ref.rows.size());
        for (int i = 0; i < f.table.count(); ++i) {
            ASSERT_EQ(f.table.record(i).hostCell, ref.rows[i].hostCell);
            ASSERT_EQ(f.table.record(i).HostName, ref.HostName[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReferenceWithNames,
                         ::testing::Combine(::testing::Values(7u, 42u, 2024u), ::testing::Bool()));

} // namespace
