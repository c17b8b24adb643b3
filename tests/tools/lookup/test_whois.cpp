// The WHOIS client against a real server on loopback ports (whois_server.py),
// the reply text helpers and the companion's whois command.
#include "tests/support/TestHome.h"
#include "tests/tools/lookup/WhoisTestServer.h"
#include "tools/lookup/WhoisLookup.h"
#include "tools/lookup/WhoisText.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wv;

namespace {

TEST(WhoisText, DomainAndLetters)
{
    EXPECT_EQ(DomainOf(QStringLiteral("a.b.example.org")), QStringLiteral("example.org"));
    EXPECT_EQ(DomainOf(QStringLiteral("gw.a.b.example.net")), QStringLiteral("example.net"));
    EXPECT_EQ(DomainOf(QStringLiteral("example.org")), QStringLiteral("example.org"));
    EXPECT_EQ(DomainOf(QStringLiteral("localhost")), QStringLiteral("localhost"));
    EXPECT_EQ(DomainOf(QString()), QString());
    EXPECT_TRUE(ContainsLetter(QStringLiteral("gw1.example")));
    EXPECT_FALSE(ContainsLetter(QStringLiteral("10.0.0.1")));
    EXPECT_FALSE(ContainsLetter(QStringLiteral("\u00e9\u00e8")));
}

TEST(WhoisText, NoticeIsStrippedOnlyBetweenBothMarkersInOrder)
{
    const QString reply = QStringLiteral(
        "The Data in the registry is provided\nby this policy.\nDomain Name: EXAMPLE.ORG");
    EXPECT_EQ(StripNotice(reply), QStringLiteral("\nDomain Name: EXAMPLE.ORG"));
    const QString middle = QStringLiteral("Head\nThe Data x this policy.\nTail");
    EXPECT_EQ(StripNotice(middle), QStringLiteral("Head\n\nTail"));
    // At the very end there is no character after the notice to take.
    EXPECT_EQ(StripNotice(QStringLiteral("A The Data this policy.")), QStringLiteral("A \n"));
    for (const QString &kept :
         {QStringLiteral("Domain Name: X\nthis policy. The Data"), QStringLiteral("The Data only"),
          QStringLiteral("only this policy."), QString()})
        EXPECT_EQ(StripNotice(kept), kept);
}

TEST(WhoisText, ContactHandleFollowsTheLabel)
{
    const QString reply =
        QStringLiteral("Registrant: Org (EX1-ORG)\nAdministrative Contact:\n"
                       "  Smith (JS123-EX)\nTechnical Contact:\n  Doe (JD9-EX)\n");
    EXPECT_EQ(ContactHandle(reply, QStringLiteral("Administrative Contact")),
              QStringLiteral("JS123-EX"));
    EXPECT_EQ(ContactHandle(reply, QStringLiteral("Technical Contact")), QStringLiteral("JD9-EX"));
    // Without the label the search starts at the beginning.
    EXPECT_EQ(ContactHandle(reply, QStringLiteral("Billing Contact")), QStringLiteral("EX1-ORG"));
    EXPECT_EQ(ContactHandle(QStringLiteral("no handles"), QStringLiteral("Billing Contact")),
              QString());
    EXPECT_EQ(ContactHandle(QStringLiteral(") before ("), QStringLiteral("x")), QString());
}

TEST(WhoisText, ServersAndReferrals)
{
    EXPECT_EQ(ParseWhoisServer(QStringLiteral("whois.ripe.net")),
              (WhoisServer{QStringLiteral("whois.ripe.net"), 43}));
    EXPECT_EQ(ParseWhoisServer(QStringLiteral(" 127.0.0.1:4343 ")),
              (WhoisServer{QStringLiteral("127.0.0.1"), 4343}));
    EXPECT_EQ(ParseWhoisServer(QStringLiteral("[::1]:99")),
              (WhoisServer{QStringLiteral("::1"), 99}));
    for (const QString &bad :
         {QString(), QStringLiteral("host:0"), QStringLiteral("host:70000"),
          QStringLiteral("bad host"), QString(256, QLatin1Char('a')), QStringLiteral("[::1")})
        EXPECT_FALSE(ParseWhoisServer(bad)) << bad.toStdString();

    EXPECT_EQ(FindReferral(QStringLiteral("%% IANA\nrefer:        whois.verisign-grs.com\n")),
              (WhoisServer{QStringLiteral("whois.verisign-grs.com"), 43}));
    EXPECT_EQ(FindReferral(QStringLiteral("ReferralServer:  whois://whois.ripe.net\n")),
              (WhoisServer{QStringLiteral("whois.ripe.net"), 43}));
    EXPECT_EQ(FindReferral(QStringLiteral("ReferralServer: whois://rr.example:4321/\n")),
              (WhoisServer{QStringLiteral("rr.example"), 4321}));
    EXPECT_EQ(FindReferral(QStringLiteral("   Registrar WHOIS Server: whois.markmonitor.com\r")),
              (WhoisServer{QStringLiteral("whois.markmonitor.com"), 43}));
    EXPECT_FALSE(FindReferral(QStringLiteral("ReferralServer: rwhois://rwhois.example:4321\n")));
    EXPECT_FALSE(FindReferral(QStringLiteral("refer: not a host\nDomain: x\n")));
    EXPECT_FALSE(FindReferral(QStringLiteral("Domain Name: EXAMPLE.ORG\n")));
    EXPECT_EQ(QueryLine(QStringLiteral("a\r\nb\n")), QStringLiteral("ab"));
}

TEST(WhoisText, TraceMenuItems)
{
    auto items = TraceWhoisItems(false, false, QString(), QString());
    ASSERT_EQ(items.size(), 5);
    const QStringList idle{QStringLiteral("Custom server"), QStringLiteral("Internic"),
                           QStringLiteral("ARIN"), QStringLiteral("RIPE"), QStringLiteral("APNIC")};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(items[i].caption, idle[i]);
        EXPECT_FALSE(items[i].enabled);
    }
    items =
        TraceWhoisItems(true, true, QStringLiteral("gw.example.net"), QStringLiteral("10.0.0.1"));
    EXPECT_FALSE(items[0].enabled);

    items = TraceWhoisItems(true, false, QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(items[1].caption, QStringLiteral("Internic: 10.0.0.1"));
    EXPECT_FALSE(items[1].enabled);
    EXPECT_TRUE(items[0].enabled);

    items = TraceWhoisItems(true, false, QStringLiteral("gw.a.b.example.net"),
                            QStringLiteral("192.0.2.1"));
    EXPECT_EQ(items[0].caption, QStringLiteral("Custom server: gw.a.b.example.net"));
    EXPECT_EQ(items[0].query, QStringLiteral("gw.a.b.example.net"));
    EXPECT_EQ(items[1].caption, QStringLiteral("Internic: example.net"));
    EXPECT_EQ(items[1].query, QStringLiteral("example.net"));
    EXPECT_TRUE(items[1].enabled);
    EXPECT_EQ(items[2].caption, QStringLiteral("ARIN: 192.0.2.1"));
    EXPECT_EQ(items[3].caption, QStringLiteral("RIPE: 192.0.2.1"));
    EXPECT_EQ(items[4].caption, QStringLiteral("APNIC: 192.0.2.1"));
    EXPECT_EQ(items[4].server, WhoisRegistry::Apnic());
}

// --- against the server ---

class WhoisServerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.isRunning()); }

    // Runs one query to the end, bounded.
    void query(WhoisLookup &lookup, const QString &text, const QString &serverText = {},
               int limitMs = 20000)
    {
        QEventLoop loop;
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        QObject::connect(&lookup, &WhoisLookup::finished, &loop, &QEventLoop::quit);
        QObject::connect(&lookup, &WhoisLookup::status, &loop,
                         [this](const QString &s) { statuses.append(s); });
        lookup.start(text, serverText.isEmpty() ? server.server() : serverText);
        loop.exec();
        ASSERT_FALSE(lookup.isRunning()) << "query did not end";
    }

    wv::test::WhoisTestServer server;
    QStringList statuses;
};

TEST_F(WhoisServerTest, SendsTheQueryAndTwoLineFeedsOnly)
{
    WhoisLookup lookup;
    query(lookup, QStringLiteral("example.org"));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].bytes, QByteArray("example.org\n\n"));
    EXPECT_EQ(lookup.finalStatus(), QStringLiteral("Done"));
    EXPECT_TRUE(lookup.reached());
    EXPECT_EQ(StripNotice(lookup.text()),
              QStringLiteral("\nDomain Name: EXAMPLE.ORG\nRegistrar: Example Registrar, Inc."));
    EXPECT_EQ(statuses.value(0), QStringLiteral("Connecting..."));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Connected.")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Sending request...")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Receiving data...0")) ||
                statuses.filter(QStringLiteral("Receiving data...")).size() > 0);
}

TEST_F(WhoisServerTest, FollowsEachKindOfReferralOnce)
{
    for (const QString &q : {QStringLiteral("refer-iana.test"), QStringLiteral("refer-arin.test"),
                             QStringLiteral("refer-registrar.test")}) {
        WhoisLookup lookup;
        query(lookup, q);
        ASSERT_EQ(lookup.replies().size(), 2) << q.toStdString();
        EXPECT_EQ(lookup.replies()[1].server.port, server.referralPort());
        EXPECT_TRUE(lookup.lines().contains(
            QStringLiteral("Found a referral to 127.0.0.1:%1.").arg(server.referralPort())));
        EXPECT_TRUE(lookup.text().endsWith(
            QStringLiteral("Domain Name: %1\nRegistrar: Referred Registrar").arg(q.toUpper())))
            << lookup.text().toStdString();
        EXPECT_EQ(lookup.finalStatus(), QStringLiteral("Done"));
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 6);
    EXPECT_EQ(requests[1].port, server.referralPort());
    EXPECT_EQ(requests[1].bytes, QByteArray("refer-iana.test\n\n"));

    WhoisLookup plain;
    plain.setFollowReferral(false);
    query(plain, QStringLiteral("refer-arin.test"));
    EXPECT_EQ(plain.replies().size(), 1);

    WhoisLookup nowhere;
    query(nowhere, QStringLiteral("refer-nowhere.test"));
    EXPECT_TRUE(nowhere.lines().contains(QStringLiteral("Could not reach 127.0.0.1:1.")));
    EXPECT_EQ(nowhere.finalStatus(), QStringLiteral("Done"));
}

TEST_F(WhoisServerTest, EndlessReplyIsCutAndSilentServerTimesOut)
{
    WhoisLookup endless;
    endless.setMaxReply(256 * 1024);
    query(endless, QStringLiteral("endless.test"));
    EXPECT_TRUE(endless.wasCut());
    EXPECT_EQ(endless.finalStatus(), QStringLiteral("Done: reply cut at 0.25 MB"));
    qsizetype bytes = 0;
    for (const QString &l : endless.lines())
        bytes += l.size() + 1;
    EXPECT_LE(bytes, 256 * 1024 + 1);
    EXPECT_GT(bytes, 200 * 1024);

    WhoisLookup silent;
    silent.setIdleTimeout(400);
    query(silent, QStringLiteral("silent.test"));
    EXPECT_TRUE(silent.timedOut());
    EXPECT_TRUE(statuses.contains(QStringLiteral("Connection timed out")));
    EXPECT_EQ(silent.finalStatus(), QStringLiteral("Connection timed out"));
}

TEST_F(WhoisServerTest, CancelAndUnreachableServers)
{
    WhoisLookup lookup;
    QTimer::singleShot(300, &lookup, [&] { lookup.cancel(); });
    query(lookup, QStringLiteral("silent.test"));
    EXPECT_TRUE(lookup.reached());
    EXPECT_EQ(lookup.finalStatus(), QStringLiteral("Connection aborted."));

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 freePort = closed.serverPort();
    closed.close();
    WhoisLookup refused;
    query(refused, QStringLiteral("example.org"), QStringLiteral("127.0.0.1:%1").arg(freePort));
    EXPECT_FALSE(refused.reached());
    EXPECT_EQ(refused.finalStatus(), QStringLiteral("Could not reach server."));

    WhoisLookup unusable;
    query(unusable, QStringLiteral("example.org"), QStringLiteral("no such host:x"));
    EXPECT_EQ(unusable.finalStatus(), QStringLiteral("Could not reach server."));

    WhoisLookup latin;
    query(latin, QStringLiteral("latin1.test"));
    EXPECT_EQ(latin.text(), QStringLiteral("Name: M\u00fcller"));
}

// --- the companion ---

struct CliRun
{
    int code = -1;
    QByteArray out, err;
};

CliRun cli(const QStringList &args)
{
    QProcess p;
    p.start(wv::test::binDir() + QStringLiteral("/wirevane-cli"),
            QStringList{QStringLiteral("whois")} + args);
    CliRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

TEST_F(WhoisServerTest, CompanionPrintsTheStrippedReply)
{
    CliRun r = cli({QStringLiteral("example.org"), QStringLiteral("--server"), server.server()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              QByteArray("\nDomain Name: EXAMPLE.ORG\nRegistrar: Example Registrar, Inc.\n"));
    EXPECT_EQ(r.err, QByteArray("Done\n"));
    EXPECT_EQ(server.requests().value(0).bytes, QByteArray("example.org\n\n"));

    r = cli({QStringLiteral("refer-arin.test"), QStringLiteral("--server"), server.server(),
             QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o.value(QStringLiteral("replies")).toArray().size(), 2);
    r = cli({QStringLiteral("refer-arin.test"), QStringLiteral("--server"), server.server(),
             QStringLiteral("--no-referral"), QStringLiteral("--json")});
    EXPECT_EQ(
        QJsonDocument::fromJson(r.out).object().value(QStringLiteral("replies")).toArray().size(),
        1);

    r = cli({QStringLiteral("silent.test"), QStringLiteral("--server"), server.server(),
             QStringLiteral("--timeout"), QStringLiteral("300")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QByteArray("Connection timed out\n"));
    r = cli({QStringLiteral("x"), QStringLiteral("--server"), QStringLiteral("a:b:c")});
    EXPECT_EQ(r.code, 2);
    r = cli({});
    EXPECT_EQ(r.code, 2);
}

} // namespace
