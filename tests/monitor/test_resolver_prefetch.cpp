// Names asked for together: a refresh hands the resolver every new address
// at once, and the GetHostName calls that follow answer from what came back.
#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "settings/DebugTrace.h"
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/TestHome.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::DnsTestServer;
using wv::test::SilentDnsServer;

namespace {

QStringList addresses(int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out.append(QStringLiteral("192.0.2.%1").arg(i));
    return out;
}

class PrefetchTest : public wv::test::HomeTest
{
protected:
    void SetUp() override
    {
        debugTrace().setEnabled(true);
        debugTrace().clear();
    }
    void TearDown() override { debugTrace().setEnabled(false); }

    Settings settings;
    DnsCache cache;
};

TEST_F(PrefetchTest, EveryAddressIsAskedOnceAndAnsweredWithoutWaiting)
{
    // Odd addresses have a name, even ones none; more than go out at once.
    const QStringList all = addresses(150);
    QStringList ptr;
    for (int i = 0; i < all.size(); i += 2)
        ptr.append(all[i] + QStringLiteral("=host%1.test").arg(i + 1));
    DnsTestServer dns(ptr);
    ASSERT_TRUE(dns.isRunning()) << dns.error().toStdString();
    HostNameResolver resolver(settings, cache);
    ASSERT_TRUE(resolver.setServers({dns.server()}));
    cache.store(all[0], QStringLiteral("cached.test"));

    // The refresh's order, with repeats.
    resolver.prefetch(all + all.mid(0, 10));
    EXPECT_EQ(dns.queriesFor(all[0]), 0); // cached
    for (int i = 1; i < all.size(); ++i)
        ASSERT_EQ(dns.queriesFor(all[i]), 1) << all[i].toStdString();

    EXPECT_EQ(resolver.GetHostName(all[0]), QStringLiteral("cached.test"));
    for (int i = 1; i < all.size(); ++i) {
        const QString want = i % 2 == 0 ? QStringLiteral("host%1.test").arg(i + 1) : QString();
        ASSERT_EQ(resolver.GetHostName(all[i]), want) << all[i].toStdString();
    }
    // An address without a name is cached empty; asked again within the same
    // refresh it gets the same answer, without another query.
    EXPECT_EQ(resolver.GetHostName(all[1]), QString());
    EXPECT_EQ(dns.queriesFor(all[1]), 1);
    EXPECT_FALSE(resolver.isBusy());

    // Entries went in in the order the names were asked for.
    const auto entries = cache.entries();
    ASSERT_EQ(entries.size(), all.size());
    for (int i = 0; i < all.size(); ++i)
        EXPECT_EQ(entries[i].first, all[i]);

    // Once the refresh is over, an address with no name goes to the network again.
    resolver.endPrefetch();
    EXPECT_EQ(resolver.GetHostName(all[1]), QString());
    EXPECT_EQ(dns.queriesFor(all[1]), 2);
}

TEST_F(PrefetchTest, SilentServerHoldsTheRefreshForOneTimeoutWhateverTheCount)
{
    SilentDnsServer silent;
    settings.dnsTimeoutWait = 400;
    HostNameResolver resolver(settings, cache);
    ASSERT_TRUE(resolver.setServers({silent.server()}));
    const QStringList all = addresses(HostNameResolver::MaxInFlight + 16);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    resolver.prefetch(all);
    const qint64 waited = clock.elapsed();
    ticker.stop();
    EXPECT_GE(waited, 390);
    // One by one this would be 80 time-outs.
    EXPECT_LT(waited, 10 * 400);
    EXPECT_GE(ticks, 8); // the interface kept running
    EXPECT_LE(silent.datagrams(), HostNameResolver::MaxInFlight);

    for (const QString &a : all)
        EXPECT_EQ(resolver.GetHostName(a), a);
    // The queries that went out timed out: cached as the address, as a
    // time-out of a single look-up is. Those never sent are not cached.
    for (int i = 0; i < all.size(); ++i) {
        const bool sent = i < HostNameResolver::MaxInFlight;
        EXPECT_EQ(cache.file().valueExists(DnsCache::CacheSection, all[i]), sent)
            << all[i].toStdString();
        if (sent) {
            EXPECT_EQ(cache.lookup(all[i]), all[i]);
        }
    }
    EXPECT_TRUE(
        debugTrace().text().contains(QStringLiteral("DNS Timeout\ndnsResult := 192.0.2.1\n")));
    resolver.endPrefetch();
}

TEST_F(PrefetchTest, DestroyingTheResolverReleasesTheWait)
{
    SilentDnsServer silent;
    auto *resolver = new HostNameResolver(settings, cache);
    ASSERT_TRUE(resolver->setServers({silent.server()}));
    QTimer::singleShot(50, [&] { delete resolver; });
    QElapsedTimer clock;
    clock.start();
    resolver->prefetch(addresses(5));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(cache.count(), 0);
}

} // namespace
