#include "stats/dialup/DialUp.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace wv {
namespace {

using test::HomeTest;

TEST(DialUpLink, OnlyDialUpConnectionsAreCounted)
{
    const QByteArray out = "1111-aaaa:802-3-ethernet\n"
                           "2222-bbbb:gsm\n"
                           "3333-cccc:802-11-wireless\n"
                           "4444-dddd:pppoe\n"
                           "garbage\n\n";
    EXPECT_EQ(DialUpLink::parseActive(out), QStringList({"2222-bbbb", "4444-dddd"}));
    EXPECT_TRUE(DialUpLink::parseActive("1111-aaaa:802-3-ethernet\n").isEmpty());
}

// A stand-in for nmcli that lists two modems and records what it is asked.
TEST_F(HomeTest, HangUpBringsTheLastModemDown)
{
    const QString calls = home.file(QStringLiteral("calls.txt"));
    const QString script = home.file(QStringLiteral("nmcli"));
    test::writeFile(script, "#!/bin/sh\n"
                            "echo \"$*\" >> '" +
                                calls.toUtf8() +
                                "'\n"
                                "if [ \"$1\" = -t ]; then\n"
                                "  printf '1111:gsm\\n2222:802-3-ethernet\\n3333:cdma\\n'\n"
                                "fi\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    DialUpLink link(script);
    EXPECT_TRUE(link.HangUpLast());
    EXPECT_EQ(QString::fromUtf8(test::readFile(calls)),
              QStringLiteral("-t -f UUID,TYPE connection show --active\n"
                             "connection down uuid 3333\n"));

    // Without nmcli nothing is hung up and nothing fails.
    EXPECT_FALSE(DialUpLink(home.file(QStringLiteral("missing"))).HangUpLast());
}

// Waits (bounded) for HangUpLastAsync to report.
struct Outcome
{
    bool done = false, hungUp = false;
    QString why;
};

Outcome hangUpAsync(const DialUpLink &link)
{
    Outcome o;
    QObject context;
    QEventLoop loop;
    link.HangUpLastAsync(&context, [&](bool hungUp, const QString &why) {
        o = {true, hungUp, why};
        loop.quit();
    });
    if (!o.done) {
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return o;
}

const char RouteHeader[] =
    "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n";

TEST_F(HomeTest, HangUpRunsInTheBackgroundAndReportsWhyNot)
{
    // An nmcli that takes its time: the caller gets control back at once.
    const QString calls = home.file(QStringLiteral("calls.txt"));
    const QString script = home.file(QStringLiteral("nmcli"));
    test::writeFile(script, "#!/bin/sh\n"
                            "sleep 0.3\n"
                            "echo \"$*\" >> '" +
                                calls.toUtf8() +
                                "'\n"
                                "if [ \"$1\" = -t ]; then printf '1111:gsm\\n'; fi\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        QObject context;
        bool reported = false;
        DialUpLink(script).HangUpLastAsync(&context,
                                           [&](bool, const QString &) { reported = true; });
        // Back before nmcli answered; the context going away ends it quietly.
        EXPECT_FALSE(reported);
    }
    const Outcome viaNm = hangUpAsync(DialUpLink(script));
    EXPECT_TRUE(viaNm.done);
    EXPECT_TRUE(viaNm.hungUp) << viaNm.why.toStdString();
    EXPECT_TRUE(test::readFile(calls).endsWith("connection down uuid 1111\n"));

    // Without NetworkManager: the default route's interface decides.
    const QString route = home.file(QStringLiteral("route"));
    const QString sys = home.file(QStringLiteral("sys"));
    DialUpLink none(home.file(QStringLiteral("no-nmcli")));
    none.setSystemPaths(route, sys);

    test::writeFile(route, RouteHeader);
    Outcome o = hangUpAsync(none);
    EXPECT_TRUE(o.done);
    EXPECT_FALSE(o.hungUp);
    EXPECT_EQ(o.why,
              QStringLiteral("No dial-up connection to hang up: there is no default route."));

    test::writeFile(route, QByteArray(RouteHeader) +
                               "eth0\t00000000\t0100A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n");
    test::writeFile(sys + QStringLiteral("/eth0/type"), "1\n");
    o = hangUpAsync(none);
    EXPECT_FALSE(o.hungUp);
    EXPECT_EQ(o.why, QStringLiteral("No dial-up connection to hang up: the default route goes "
                                    "through eth0, which is not a dial-up link."));

    // A PPP link that is not there (any more): the reason is the system's.
    const QString ppp = QStringLiteral("wvppp%1").arg(QCoreApplication::applicationPid() % 100000);
    test::writeFile(route, QByteArray(RouteHeader) + ppp.toUtf8() +
                               "\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n");
    test::writeFile(sys + QLatin1Char('/') + ppp + QStringLiteral("/type"), "512\n");
    o = hangUpAsync(none);
    EXPECT_FALSE(o.hungUp);
    EXPECT_TRUE(o.why.startsWith(QStringLiteral("Cannot bring the dial-up link ") + ppp +
                                 QStringLiteral(" down: ")))
        << o.why.toStdString();
}

} // namespace
} // namespace wv
