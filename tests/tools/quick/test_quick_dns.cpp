// Quick DNS against a real name server (dnsmasq on a loopback port) and one
// that never answers.
#include "monitor/DnsCache.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"
#include "tests/monitor/DnsTestServer.h"
#include "tests/support/TestHome.h"
#include "tools/quick/ComboHistory.h"
#include "tools/quick/QuickDnsLookup.h"
#include "tools/quick/TextRules.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::DnsTestServer;
using wv::test::SilentDnsServer;

namespace {

class QuickDnsTest : public wv::test::HomeTest
{
protected:
    static void SetUpTestSuite()
    {
        server = new DnsTestServer({QStringLiteral("10.9.8.7=seven.wvtest.example")},
                                   {QStringLiteral("alpha.wvtest.example=10.1.2.3")},
                                   {QStringLiteral("wvtest.example")});
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server->isRunning()) << server->error().toStdString(); }

    static DnsTestServer *server;
};

DnsTestServer *QuickDnsTest::server = nullptr;

} // namespace

TEST(QuickTextRules, LettersFingerAddressesAndServices)
{
    EXPECT_TRUE(containsLetter(QStringLiteral("10.0.0.x")));
    EXPECT_FALSE(containsLetter(QStringLiteral("10.1.2.3")));
    EXPECT_FALSE(containsLetter(QStringLiteral("::1")));
    EXPECT_FALSE(containsLetter(QStringLiteral("1\u00e9")));

    FingerAddress a = splitFingerAddress(QStringLiteral("guest@host@x"));
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.user, QStringLiteral("guest"));
    EXPECT_EQ(a.host, QStringLiteral("host@x"));
    EXPECT_FALSE(splitFingerAddress(QStringLiteral("guest")).ok);
    EXPECT_EQ(splitFingerAddress(QStringLiteral("@") + QString(300, u'h')).host.size(), 255);

    EXPECT_EQ(fingerQuery(QStringLiteral("guest"), false), QByteArray("guest"));
    EXPECT_EQ(fingerQuery(QStringLiteral("guest"), true), QByteArray("/w guest"));
    EXPECT_EQ(fingerQuery(QString(), false), QByteArray());
    // A line break cannot smuggle a second query onto the wire.
    EXPECT_EQ(fingerQuery(QStringLiteral("a\r\nb"), false), QByteArray("a  b"));

    EXPECT_EQ(servicePort(QStringLiteral("smtp")), 25);
    EXPECT_EQ(servicePort(QStringLiteral("ssh")), 22);
    EXPECT_EQ(servicePort(QStringLiteral("finger")), 79);
    EXPECT_EQ(servicePort(QStringLiteral(" 8080 ")), 8080);
    EXPECT_EQ(servicePort(QStringLiteral("65536")), 0);
    EXPECT_EQ(servicePort(QStringLiteral("no-such-service-wv")), 0);
    EXPECT_EQ(servicePort(QString()), 0);
}

TEST(QuickHistory, KeepsEightNewestFirstWithoutRepeats)
{
    wv::test::TestHome home;
    RegistryStore registry(home.file(QStringLiteral("registry.ini")));
    ComboHistory h(registry, QStringLiteral("WVN_formstuff\\QuickDNS"));
    for (int i = 1; i <= 10; ++i)
        h.add(QStringLiteral("host%1").arg(i));
    h.add(QStringLiteral("host5"));
    h.add(QString());
    const QStringList items =
        ComboHistory(registry, QStringLiteral("WVN_formstuff\\QuickDNS")).load();
    ASSERT_EQ(items.size(), 8);
    EXPECT_EQ(items.first(), QStringLiteral("host5"));
    EXPECT_EQ(items.at(1), QStringLiteral("host10"));
    EXPECT_EQ(items.count(QStringLiteral("host5")), 1);
    EXPECT_EQ(
        registry.readString(QStringLiteral("WVN_formstuff\\QuickDNS"), QStringLiteral("Item1")),
        QStringLiteral("host5"));
}

TEST_F(QuickDnsTest, ForwardAndReverseAnswersAndNames)
{
    QuickDnsLookup lookup(nullptr);
    ASSERT_TRUE(lookup.setServers({server->server()}));

    auto r = lookup.lookup(QStringLiteral("alpha.wvtest.example"), false, true);
    EXPECT_EQ(r.ip, QStringLiteral("10.1.2.3"));
    EXPECT_EQ(r.host, QStringLiteral("alpha.wvtest.example"));
    EXPECT_FALSE(r.timedOut);

    r = lookup.lookup(QStringLiteral("10.9.8.7"), false, true);
    EXPECT_EQ(r.ip, QStringLiteral("10.9.8.7"));
    EXPECT_EQ(r.host, QStringLiteral("seven.wvtest.example"));

    // A name that does not exist leaves the address empty; an address
    // without a name leaves the host name empty.
    r = lookup.lookup(QStringLiteral("missing.wvtest.example"), false, false);
    EXPECT_EQ(r.ip, QString());
    EXPECT_EQ(r.host, QStringLiteral("missing.wvtest.example"));
    r = lookup.lookup(QStringLiteral("10.200.0.1"), false, false);
    EXPECT_EQ(r.ip, QStringLiteral("10.200.0.1"));
    EXPECT_EQ(r.host, QString());
    EXPECT_FALSE(lookup.isBusy());
}

TEST_F(QuickDnsTest, CacheIsReadOnlyAndSparesTheNetwork)
{
    DnsCache cache(home.file(QStringLiteral("wvncache.ini")));
    cache.store(QStringLiteral("10.1.2.3"), QStringLiteral("cached.example"));
    cache.store(QStringLiteral("10.9.8.7"), QString());
    const QByteArray before = wv::test::readFile(home.file(QStringLiteral("wvncache.ini")));

    QuickDnsLookup lookup(&cache);
    ASSERT_TRUE(lookup.setServers({server->server()}));
    auto r = lookup.lookup(QStringLiteral("10.1.2.3"), true, true);
    EXPECT_EQ(r.host, QStringLiteral("cached.example"));
    EXPECT_EQ(r.ip, QStringLiteral("10.1.2.3"));
    EXPECT_TRUE(r.fromCache);
    EXPECT_EQ(server->queriesFor(QStringLiteral("10.1.2.3")), 0);

    // Unchecked, the cache is not consulted; an empty cached name counts as
    // not cached. Neither answer is written back.
    r = lookup.lookup(QStringLiteral("10.1.2.3"), false, true);
    EXPECT_EQ(r.host, QStringLiteral("alpha.wvtest.example"));
    r = lookup.lookup(QStringLiteral("10.9.8.7"), true, true);
    EXPECT_EQ(r.host, QStringLiteral("seven.wvtest.example"));
    EXPECT_EQ(wv::test::readFile(home.file(QStringLiteral("wvncache.ini"))), before);
}

TEST_F(QuickDnsTest, SilentServerWithAndWithoutTimeouts)
{
    SilentDnsServer silent;
    debugTrace().setEnabled(true);
    debugTrace().clear();
    QuickDnsLookup lookup(nullptr);
    ASSERT_TRUE(lookup.setServers({silent.server()}));
    lookup.setTimeoutInterval(300);

    QElapsedTimer t;
    t.start();
    auto r = lookup.lookup(QStringLiteral("alpha.wvtest.example"), false, true);
    EXPECT_EQ(r.ip, QStringLiteral("???"));
    EXPECT_TRUE(r.timedOut);
    r = lookup.lookup(QStringLiteral("10.9.8.7"), false, true);
    EXPECT_EQ(r.host, QStringLiteral("10.9.8.7"));
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("qd DNS Timeout")));
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("dnsResultB := 10.9.8.7")));
    EXPECT_GT(silent.datagrams(), 0);

    // With the time-out box unchecked the wait goes on until aborted.
    bool stillWaiting = false;
    QTimer::singleShot(1200, [&] {
        stillWaiting = lookup.isBusy();
        lookup.abort();
    });
    r = lookup.lookup(QStringLiteral("10.9.8.7"), false, false);
    EXPECT_TRUE(stillWaiting);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(r.host, QString());
    EXPECT_EQ(r.ip, QStringLiteral("10.9.8.7"));
    debugTrace().setEnabled(false);
}

TEST_F(QuickDnsTest, SecondLookupWhileWaitingIsRefused)
{
    SilentDnsServer silent;
    QuickDnsLookup lookup(nullptr);
    ASSERT_TRUE(lookup.setServers({silent.server()}));
    lookup.setTimeoutInterval(400);
    QuickDnsLookup::Result inner;
    QTimer::singleShot(50, [&] { inner = lookup.lookup(QStringLiteral("10.1.2.3"), false, true); });
    const auto outer = lookup.lookup(QStringLiteral("10.9.8.7"), false, true);
    EXPECT_EQ(inner.host, QString());
    EXPECT_EQ(inner.ip, QString());
    EXPECT_EQ(outer.host, QStringLiteral("10.9.8.7"));
}
