#include "mainwin/EchoCounters.h"
#include "mainwin/OwnAddress.h"
#include "mainwin/PanelFlags.h"
#include "mainwin/StatusBarLayout.h"
#include "mainwin/StatusBarRefresh.h"
#include "settings/RegistryStore.h"
#include "tests/support/TestHome.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostInfo>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;

namespace {

const QByteArray SnmpSample =
    "Ip: Forwarding DefaultTTL InReceives\n"
    "Ip: 1 64 12345\n"
    "Icmp: InMsgs InErrors InCsumErrors InDestUnreachs InTimeExcds InParmProbs InSrcQuenchs "
    "InRedirects InEchos InEchoReps InTimestamps\n"
    "Icmp: 90 0 0 12 0 0 0 0 31 47 0\n"
    "IcmpMsg: InType3 OutType3\n"
    "IcmpMsg: 12 12\n";

class ScriptedEcho : public EchoCounterSource
{
public:
    std::optional<EchoCounters> next = EchoCounters{5, 7};
    int reads = 0;
    std::optional<EchoCounters> read() override
    {
        ++reads;
        return next;
    }
};

// Waits for a signal, at most `ms` milliseconds.
template <typename Sender, typename Signal> bool waitFor(Sender *sender, Signal signal, int ms)
{
    QEventLoop loop;
    bool fired = false;
    auto c = QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(c);
    return fired;
}

int charWidth(const QString &s)
{
    return static_cast<int>(s.size()) * 7;
}

} // namespace

class PanelFlagsTest : public test::HomeTest
{
protected:
    RegistryStore registry{home.file(QStringLiteral("registry.ini"))};
    std::vector<bool> switched;
    PanelFlagsStore store{registry, [this](bool on) { switched.push_back(on); }};
};

TEST_F(PanelFlagsTest, DefaultsMalformedValuesAndRoundTrip)
{
    EXPECT_EQ(store.load(), PanelFlags{});
    EXPECT_EQ(switched, std::vector<bool>{true});

    registry.writeString(QStringLiteral("WVN3PRO\\Panels"), QStringLiteral("main"),
                         QStringLiteral("yes"));
    registry.writeString(QStringLiteral("WVN3PRO\\Panels"), QStringLiteral("ip"),
                         QStringLiteral("2"));
    registry.writeString(QStringLiteral("WVN3PRO\\Panels"), QStringLiteral("lights"),
                         QStringLiteral("0"));
    const PanelFlags read = store.load();
    EXPECT_TRUE(read.main); // malformed: default
    EXPECT_TRUE(read.ip);   // any non-zero number is on
    EXPECT_FALSE(read.lights);
    EXPECT_EQ(switched.back(), false);

    const PanelFlags all[] = {
        {false, false, false, false, false, false},
        {true, true, true, true, true, true},
        {false, true, false, true, false, true},
    };
    for (const PanelFlags &f : all) {
        ASSERT_TRUE(store.save(f));
        EXPECT_EQ(switched.back(), f.lights);
        EXPECT_EQ(PanelFlagsStore(registry).load(), f);
    }
    EXPECT_EQ(registry.readString(QStringLiteral("WVN3PRO\\Panels"), QStringLiteral("progress")),
              QStringLiteral("1"));
}

TEST(StatusBarLayout, SizesPanelsFromFlagsAndTexts)
{
    StatusBarLayoutInput in;
    in.flags = {true, true, false, true, true, false};
    in.barWidth = 600;
    in.barTop = 10;
    in.panel0Width = 20;
    in.texts = {QStringLiteral("10.0.0.7"), QStringLiteral("box"),
                QStringLiteral("In: 1 / Out: 2")};
    const StatusBarGeometry g = LayoutStatusBar(in, charWidth);
    EXPECT_EQ(g.widths, (std::array<int, 6>{600 - (66 + 108 + 35 + 18), 66, 0, 108, 35, 0}));
    EXPECT_TRUE(g.ledVisible);
    EXPECT_EQ(g.ledTop, 13);
    EXPECT_EQ(g.ledLeft, g.widths[0] + 66 + 108 + 4);
    EXPECT_FALSE(g.gaugeVisible);

    in.flags.progress = true;
    in.flags.lights = false;
    const StatusBarGeometry h = LayoutStatusBar(in, charWidth);
    EXPECT_FALSE(h.ledVisible);
    EXPECT_TRUE(h.gaugeVisible);
    EXPECT_EQ(h.widths[5], 106);
    EXPECT_EQ(h.gaugeLeft, h.widths[0] + 66 + 108 + 0 + 4);

    // A window narrower than the other panels leaves the main text no room,
    // never a negative width.
    in.barWidth = 100;
    EXPECT_EQ(LayoutStatusBar(in, charWidth).widths[0], 0);
}

TEST(StatusBarLayout, AllFlagsOffKeepPanelZeroWidth)
{
    StatusBarLayoutInput in;
    in.flags = {false, false, false, false, false, false};
    in.barWidth = 800;
    in.panel0Width = 123;
    const StatusBarGeometry g = LayoutStatusBar(in, charWidth);
    EXPECT_EQ(g.widths, (std::array<int, 6>{123, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(g.ledVisible);
    EXPECT_FALSE(g.gaugeVisible);
}

TEST(EchoCounters, ParsesByColumnName)
{
    EXPECT_EQ(ProcSnmpEchoCounters::parse(SnmpSample), (EchoCounters{31, 47}));
    // Older kernels without InCsumErrors shift the columns.
    EXPECT_EQ(ProcSnmpEchoCounters::parse("Icmp: InMsgs InErrors InEchos InEchoReps\n"
                                          "Icmp: 1 2 3 4\n"),
              (EchoCounters{3, 4}));
    EXPECT_FALSE(ProcSnmpEchoCounters::parse("Icmp: InMsgs InEchos\nIcmp: 1 2\n"));
    EXPECT_FALSE(ProcSnmpEchoCounters::parse("Icmp: InEchos InEchoReps\nIcmp: 1\n"));
    EXPECT_FALSE(ProcSnmpEchoCounters::parse("Icmp: InEchos InEchoReps\nIcmp: 1 x\n"));
    EXPECT_FALSE(ProcSnmpEchoCounters::parse(QByteArray()));
    if (QFile::exists(QStringLiteral("/proc/net/snmp"))) {
        EXPECT_TRUE(ProcSnmpEchoCounters().read());
    }
}

TEST(OwnAddress, LoopbackOnlyNamesFallBackToTheRouteAddress)
{
    const auto fallback = [] { return QStringLiteral("192.0.2.9"); };
    const auto addr = [](const char *a) { return QHostAddress(QString::fromLatin1(a)); };
    EXPECT_EQ(chooseOwnAddress({}, fallback), QString());
    EXPECT_EQ(chooseOwnAddress({addr("127.0.1.1")}, fallback), QStringLiteral("192.0.2.9"));
    EXPECT_EQ(chooseOwnAddress({addr("::1"), addr("127.0.0.1")}, fallback),
              QStringLiteral("192.0.2.9"));
    EXPECT_EQ(
        chooseOwnAddress(
            {addr("127.0.1.1"), addr("10.0.0.5"), addr("2001:db8::1"), addr("10.0.0.7")}, fallback),
        QStringLiteral("10.0.0.7"));
    EXPECT_EQ(chooseOwnAddress({addr("2001:db8::1"), addr("127.0.0.1")}, fallback),
              QStringLiteral("2001:db8::1"));
    // Only the first 11 addresses count.
    QList<QHostAddress> many(11, addr("127.0.0.1"));
    many << addr("10.1.1.1");
    EXPECT_EQ(chooseOwnAddress(many, fallback), QStringLiteral("192.0.2.9"));
}

// A name service that knows the name only as loopback and answers later, as
// the system's does for "localhost" (without depending on /etc/hosts).
OwnAddressResolver::NameLookup loopbackOnly()
{
    return [](const QString &name, QObject *context, std::function<void(const QHostInfo &)> done) {
        QTimer::singleShot(10, context, [name, done] {
            QHostInfo info;
            info.setHostName(name);
            info.setAddresses({QHostAddress(QHostAddress::LocalHost)});
            done(info);
        });
    };
}

TEST(OwnAddress, ResolverAnswersInTheBackground)
{
    OwnAddressResolver resolver([] { return QStringLiteral("localhost"); },
                                [] { return QStringLiteral("192.0.2.9"); }, loopbackOnly());
    resolver.refresh();
    EXPECT_TRUE(resolver.isBusy());
    resolver.refresh(); // a second call while busy starts nothing
    ASSERT_TRUE(waitFor(&resolver, &OwnAddressResolver::lookupFinished, 10000));
    EXPECT_FALSE(resolver.isBusy());
    EXPECT_EQ(resolver.address(), QStringLiteral("192.0.2.9"));

    OwnAddressResolver nameless([] { return QString(); }, [] { return QStringLiteral("x"); });
    nameless.refresh();
    EXPECT_EQ(nameless.address(), QString());
}

TEST(StatusBarRefresh, PanelsWithFlagOffKeepTheirTextButCountersAreRead)
{
    PanelFlags flags;
    flags.hostname = false;
    flags.ping = false;
    auto source = std::make_unique<ScriptedEcho>();
    ScriptedEcho *echo = source.get();
    auto *resolver =
        new OwnAddressResolver([] { return QStringLiteral("localhost"); },
                               [] { return QStringLiteral("192.0.2.9"); }, loopbackOnly());
    StatusBarRefresh refresh(flags, std::move(source), nullptr, resolver,
                             [] { return QStringLiteral("box"); });
    resolver->setParent(&refresh);
    EXPECT_TRUE(refresh.timer().isActive());
    EXPECT_EQ(refresh.timer().interval(), 1000);

    QList<int> changed;
    int layouts = 0;
    QObject::connect(&refresh, &StatusBarRefresh::panelTextChanged,
                     [&](int panel, const QString &) { changed << panel; });
    QObject::connect(&refresh, &StatusBarRefresh::layoutNeeded, [&] { ++layouts; });

    refresh.statbarTimerTimer();
    EXPECT_EQ(changed, QList<int>{1});
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(echo->reads, 1);
    EXPECT_EQ(refresh.texts()[1], QStringLiteral("Hostname:"));
    EXPECT_EQ(refresh.texts()[2], QStringLiteral("Pings"));
    EXPECT_EQ(refresh.lastCounters(), (EchoCounters{5, 7}));

    // The look-up started by the tick shows as soon as it answers.
    if (resolver->isBusy()) {
        ASSERT_TRUE(waitFor(resolver, &OwnAddressResolver::lookupFinished, 10000));
    }
    EXPECT_EQ(refresh.texts()[0], QStringLiteral("192.0.2.9"));

    flags.hostname = true;
    flags.ping = true;
    refresh.statbarTimerTimer();
    EXPECT_EQ(refresh.texts()[1], QStringLiteral("box"));
    EXPECT_EQ(refresh.texts()[2], QStringLiteral("In: 5 / Out: 7"));

    // A failed read keeps the last text.
    echo->next = std::nullopt;
    refresh.statbarTimerTimer();
    EXPECT_EQ(refresh.texts()[2], QStringLiteral("In: 5 / Out: 7"));
    EXPECT_EQ(echo->reads, 3);
}
