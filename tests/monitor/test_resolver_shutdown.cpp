// Its own executable: once the application has been told to exit, no event
// loop of the process runs again.
#include "monitor/DnsCache.h"
#include "monitor/HostNameResolver.h"
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class ResolverShutdownTest : public wv::test::HomeTest
{
};

TEST_F(ResolverShutdownTest, LookupDuringShutDownEndsAtOnceAndLeavesNothingPending)
{
    wv::test::SilentDnsServer silent;
    wv::Settings settings;
    wv::DnsCache cache;
    wv::HostNameResolver resolver(settings, cache);
    ASSERT_TRUE(resolver.setServers({silent.server()}));
    QCoreApplication::exit(0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(resolver.ResolveAddress(QStringLiteral("192.0.2.8")), QString());
    EXPECT_EQ(resolver.ResolveAddress(QStringLiteral("192.0.2.9")), QString());
    // Both ended before either look-up's timeout could run out.
    EXPECT_LT(clock.elapsed(), settings.dnsTimeoutWait);
    EXPECT_FALSE(resolver.isBusy());
    EXPECT_FALSE(resolver.timeoutTimer()->isActive());
}

} // namespace
