// The NetBIOS window's command capture: output read as it comes (more than a
// pipe holds), a time-out that stops the command, a command that is not
// installed, and the real nmblookup against Samba's nmbd in a network
// namespace made for the test.
#include "tests/tools/Peers.h"
#include "tools/quick/CommandCapture.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;

TEST(CommandCapture, ReadsMoreThanAPipeHoldsAsItComes)
{
    CommandCapture c;
    int chunks = 0;
    QObject::connect(&c, &CommandCapture::outputReceived, [&] { ++chunks; });
    // 200 000 bytes on standard output and a line on standard error.
    const int rc = c.run(QStringLiteral("sh"),
                         {QStringLiteral("-c"),
                          QStringLiteral("head -c 200000 /dev/zero | tr '\\0' x; echo err >&2")});
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(c.output().count('x'), 200000);
    EXPECT_TRUE(c.output().endsWith("err\n"));
    EXPECT_GT(chunks, 1);
    EXPECT_FALSE(c.truncated());

    EXPECT_EQ(c.run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")}), 3);
}

TEST(CommandCapture, TimeOutStopsTheCommandAndTheLoopKeepsRunning)
{
    CommandCapture c;
    c.setTimeout(300);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    QElapsedTimer t;
    t.start();
    const int rc = c.run(QStringLiteral("sh"),
                         {QStringLiteral("-c"), QStringLiteral("echo started; exec sleep 20")});
    EXPECT_EQ(rc, CommandCapture::TimedOut);
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(c.output(), QByteArray("started\n"));
    // The event loop ran while the command did.
    EXPECT_GT(ticks, 5);
}

TEST(CommandCapture, MissingCommandIsMinusOneWithThePackageNamed)
{
    CommandCapture c;
    EXPECT_EQ(c.run(QStringLiteral("/nonexistent/nmblookup-wv"),
                    {QStringLiteral("-A"), QStringLiteral("10.0.0.1")}),
              CommandCapture::NotStarted);
    EXPECT_TRUE(c.output().isEmpty());
    const QString text = NetBiosCommand::notInstalledText();
    EXPECT_TRUE(text.contains(QStringLiteral("nmblookup")));
    EXPECT_TRUE(text.contains(QStringLiteral("samba-common-bin")));
    EXPECT_EQ(NetBiosCommand::arguments(QStringLiteral("10.0.0.1")),
              (QStringList{QStringLiteral("-A"), QStringLiteral("10.0.0.1")}));
}

TEST(CommandCapture, NmblookupAgainstNmbdInANamespace)
{
    wv::test::NetBiosNamespace ns;
    if (!ns.whyNot().isEmpty())
        GTEST_SKIP() << "NetBIOS peer cannot run here: " << ns.whyNot().toStdString();
    ASSERT_TRUE(ns.enter());
    CommandCapture c;
    const int rc = c.run(NetBiosCommand::Program,
                         NetBiosCommand::arguments(wv::test::NetBiosNamespace::Address));
    ns.leave();
    EXPECT_EQ(rc, 0);
    const QString out = QString::fromLocal8Bit(c.output());
    EXPECT_TRUE(out.contains(QStringLiteral("Looking up status of 10.77.0.1")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(wv::test::NetBiosNamespace::NetBiosName));
    EXPECT_TRUE(out.contains(QStringLiteral("<20>")));
}
