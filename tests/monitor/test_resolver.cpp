#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "monitor/UserPrompt.h"
#include "settings/DebugTrace.h"
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/TestHome.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::DnsTestServer;
using wv::test::SilentDnsServer;

namespace {

const QString Known = QStringLiteral("192.0.2.5");
const QString Other = QStringLiteral("192.0.2.9");
const QString NoPtr = QStringLiteral("192.0.2.6");
const QString Known6 = QStringLiteral("2001:db8::17");

class ScriptedPrompt : public UserPrompt
{
public:
    bool answer = false;
    QStringList asked;
    bool askWarningYesNo(const QString &caption, const QString &text) override
    {
        asked << caption + QLatin1Char('|') + text;
        return answer;
    }
    bool askOkCancel(const QString &, const QString &) override { return answer; }
};

class ResolverTest : public wv::test::HomeTest
{
protected:
    void SetUp() override
    {
        debugTrace().setEnabled(true);
        debugTrace().clear();
        settings.dnsTimeoutWait = 3000;
    }
    void TearDown() override { debugTrace().setEnabled(false); }

    Settings settings;
    DnsCache cache;
};

class ResolverWithServerTest : public ResolverTest
{
protected:
    void SetUp() override
    {
        ResolverTest::SetUp();
        ASSERT_TRUE(dns.isRunning()) << dns.error().toStdString();
        ASSERT_TRUE(resolver.setServers({dns.server()}));
    }
    DnsTestServer dns{{Known + QStringLiteral("=known.example.test"),
                       Other + QStringLiteral("=other.example.test"),
                       QStringLiteral("192.0.2.66=evil=x[y]"),
                       Known6 + QStringLiteral("=six.example.test")}};
    HostNameResolver resolver{settings, cache};
};

TEST_F(ResolverWithServerTest, KnownAddressIsResolvedOnceAndThenServedFromTheCache)
{
    EXPECT_EQ(resolver.GetHostName(Known), QStringLiteral("known.example.test"));
    EXPECT_EQ(dns.queriesFor(Known), 1);
    EXPECT_EQ(cache.file().readString(QStringLiteral("Cache"), Known),
              QStringLiteral("known.example.test"));
    const QString created = cache.created();
    EXPECT_FALSE(created.isEmpty());

    EXPECT_EQ(resolver.GetHostName(Known), QStringLiteral("known.example.test"));
    EXPECT_EQ(dns.queriesFor(Known), 1);
    EXPECT_EQ(cache.created(), created);
}

// IPv6 addresses are asked for under ip6.arpa and kept in the cache like IPv4 ones.
TEST_F(ResolverWithServerTest, Ipv6AddressGoesThroughTheCacheToo)
{
    EXPECT_EQ(resolver.GetHostName(Known6), QStringLiteral("six.example.test"));
    EXPECT_EQ(resolver.GetHostName(Known6), QStringLiteral("six.example.test"));
    EXPECT_EQ(dns.queriesFor(Known6), 1);
    EXPECT_EQ(cache.file().readString(QStringLiteral("Cache"), Known6),
              QStringLiteral("six.example.test"));
}

TEST_F(ResolverWithServerTest, AddressWithoutNameIsCachedEmptyAndAskedAgain)
{
    EXPECT_EQ(resolver.GetHostName(NoPtr), QString());
    EXPECT_TRUE(cache.file().valueExists(QStringLiteral("Cache"), NoPtr));
    EXPECT_EQ(cache.file().readString(QStringLiteral("Cache"), NoPtr, QStringLiteral("-")),
              QString());
    const int first = dns.queriesFor(NoPtr);
    EXPECT_GE(first, 1);
    EXPECT_EQ(resolver.GetHostName(NoPtr), QString());
    EXPECT_GT(dns.queriesFor(NoPtr), first);
}

TEST_F(ResolverWithServerTest, NameThatWouldBreakTheCacheFileIsNotTaken)
{
    const QString evil = QStringLiteral("192.0.2.66");
    EXPECT_EQ(resolver.GetHostName(evil), QString());
    EXPECT_EQ(dns.queriesFor(evil), 1);
    EXPECT_EQ(cache.entries(), (QVector<std::pair<QString, QString>>{{evil, QString()}}));
}

TEST_F(ResolverWithServerTest, WithCachingOffEveryLookupGoesToTheServer)
{
    settings.cacheDNS = false;
    EXPECT_EQ(resolver.GetHostName(Known), QStringLiteral("known.example.test"));
    EXPECT_EQ(resolver.GetHostName(Known), QStringLiteral("known.example.test"));
    EXPECT_EQ(dns.queriesFor(Known), 2);
    EXPECT_FALSE(cache.file().valueExists(QStringLiteral("Cache"), Known));
}

TEST_F(ResolverWithServerTest, TwoCallersAtOnceEachGetTheirOwnAnswer)
{
    // The second caller asks from a timer that fires while the first waits.
    QString second;
    int queuedSeen = 0;
    QTimer::singleShot(0, &resolver, [&] {
        queuedSeen = resolver.isBusy() ? 1 : 0;
        second = resolver.GetHostName(Other);
    });
    const QString first = resolver.GetHostName(Known);
    EXPECT_EQ(queuedSeen, 1);
    EXPECT_EQ(first, QStringLiteral("known.example.test"));
    EXPECT_EQ(second, QStringLiteral("other.example.test"));
    EXPECT_EQ(cache.lookup(Known), QStringLiteral("known.example.test"));
    EXPECT_EQ(cache.lookup(Other), QStringLiteral("other.example.test"));
    EXPECT_FALSE(resolver.isBusy());
    EXPECT_EQ(resolver.queuedCount(), 0);
}

TEST_F(ResolverTest, SilentServerGivesTheAddressAfterTheTimeoutAndIsNotAskedAgain)
{
    SilentDnsServer silent;
    const int timeout = 400;
    settings.dnsTimeoutWait = timeout;
    HostNameResolver resolver(settings, cache);
    ASSERT_TRUE(resolver.setServers({silent.server()}));

    // The interface keeps running during the wait: a timer keeps firing.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    const QString address = QStringLiteral("192.0.2.7");
    EXPECT_EQ(resolver.GetHostName(address), address);
    const qint64 waited = clock.elapsed();
    ticker.stop();
    // Limits in terms of the timeout: a loaded machine or a sanitizer build
    // slows everything, but the wait ends with the timer, not long after it.
    EXPECT_GE(waited, timeout);
    EXPECT_LT(waited, 10 * timeout);
    EXPECT_GE(ticks, 2);
    EXPECT_GE(silent.datagrams(), 1);

    EXPECT_EQ(cache.lookup(address), address);
    EXPECT_TRUE(
        debugTrace().text().contains(QStringLiteral("DNS Timeout\ndnsResult := 192.0.2.7")));
    const int asked = silent.datagrams();
    clock.restart();
    EXPECT_EQ(resolver.GetHostName(address), address);
    EXPECT_LT(clock.elapsed(), timeout); // from the cache, without waiting
    EXPECT_EQ(silent.datagrams(), asked);
    EXPECT_FALSE(resolver.timeoutTimer()->isActive());
}

TEST_F(ResolverTest, AddressesThatCannotBeLookedUpLeaveTheCacheAlone)
{
    HostNameResolver resolver(settings, cache);
    ASSERT_TRUE(resolver.setServers({QStringLiteral("127.0.0.1:9")}));
    for (const QString &bad :
         {QString(), QStringLiteral("not-an-address"), QStringLiteral("10.0.0.1=evil"),
          QStringLiteral("[Main]"), QStringLiteral("1.2.3.4\nx=y")})
        EXPECT_EQ(resolver.GetHostName(bad), QString()) << bad.toStdString();
    EXPECT_FALSE(QFile::exists(cache.file().path()));
    // The raw look-up refuses them at once.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(resolver.ResolveAddress(QStringLiteral("bogus")), QString());
    EXPECT_LT(clock.elapsed(), settings.dnsTimeoutWait); // refused, not timed out
    EXPECT_FALSE(resolver.setServers({QStringLiteral("dns.example:53")}));
}

TEST_F(ResolverTest, DestroyingTheResolverReleasesAWaitingCaller)
{
    SilentDnsServer silent;
    auto *resolver = new HostNameResolver(settings, cache);
    ASSERT_TRUE(resolver->setServers({silent.server()}));
    QTimer::singleShot(50, [&] { delete resolver; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(resolver->GetHostName(QStringLiteral("192.0.2.8")), QString());
    EXPECT_LT(clock.elapsed(), settings.dnsTimeoutWait); // released before the timeout
    EXPECT_FALSE(cache.file().valueExists(QStringLiteral("Cache"), QStringLiteral("192.0.2.8")));
}

TEST_F(ResolverTest, ClearCacheAsksOnlyWhenWarnExpireIsOn)
{
    cache.store(QStringLiteral("10.0.0.1"), QStringLiteral("a"));
    cache.store(QStringLiteral("10.0.0.2"), QStringLiteral("b"));
    HostNameResolver resolver(settings, cache);
    ScriptedPrompt prompt;
    resolver.setPrompt(&prompt);
    QSignalSpy status(&resolver, &HostNameResolver::statusText);

    settings.WarnExpire = true;
    prompt.answer = false;
    EXPECT_FALSE(resolver.ClearCache());
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked.first(),
              QStringLiteral("Warning|You have decided to allow the Wirevane cache expire.\n"
                             "The cache currently holds 2 entries, some of which date to: "
                             "\n\n:) bad\n\nDelete the cache?"));
    EXPECT_EQ(cache.count(), 2);
    EXPECT_EQ(status.count(), 0);

    cache.stampCreated();
    const QString created = cache.created();
    prompt.answer = true;
    EXPECT_TRUE(resolver.ClearCache());
    EXPECT_TRUE(prompt.asked.last().contains(QStringLiteral(": \n\n") + created +
                                             QStringLiteral("\n\nDelete")));
    EXPECT_EQ(cache.count(), 0);
    EXPECT_FALSE(cache.file().valueExists(QStringLiteral("Main"), QStringLiteral("created")));
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.first().first().toString(), QStringLiteral("Cache cleared"));

    settings.WarnExpire = false;
    cache.store(QStringLiteral("10.0.0.3"), QStringLiteral("c"));
    EXPECT_TRUE(resolver.ClearCache());
    EXPECT_EQ(prompt.asked.size(), 2);
    EXPECT_EQ(cache.count(), 0);
}

TEST_F(ResolverTest, ExpiryClearsTheCacheEveryExpireDelayMinutesWhileOn)
{
    HostNameResolver resolver(settings, cache);
    EXPECT_FALSE(resolver.expiryTimer()->isActive());
    settings.Expires = true;
    settings.ExpireDelay = 2;
    resolver.applyExtras(settings);
    ASSERT_TRUE(resolver.expiryTimer()->isActive());
    EXPECT_EQ(resolver.expiryTimer()->interval(), 2 * 60 * 1000);
    // A stored delay out of range is bounded rather than firing at once.
    settings.ExpireDelay = -5;
    resolver.applyExtras(settings);
    EXPECT_EQ(resolver.expiryTimer()->interval(), 60 * 1000);

    cache.store(QStringLiteral("10.0.0.1"), QStringLiteral("a"));
    QMetaObject::invokeMethod(resolver.expiryTimer(), "timeout");
    EXPECT_EQ(cache.count(), 0);
    EXPECT_TRUE(resolver.expiryTimer()->isActive());

    settings.Expires = false;
    resolver.applyExtras(settings);
    EXPECT_FALSE(resolver.expiryTimer()->isActive());
}

} // namespace
