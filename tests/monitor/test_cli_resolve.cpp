#include "tests/monitor/DnsTestServer.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using wv::test::DnsTestServer;

namespace {

using wv::test::CliRun;

CliRun cli(const QStringList &args)
{
    return wv::test::runCli(QStringList{QStringLiteral("resolve")} + args);
}

class CliResolveTest : public wv::test::HomeTest
{
protected:
    DnsTestServer dns{{QStringLiteral("192.0.2.5=known.example.test")}};
    QString cacheFile() const { return home.path() + QStringLiteral("/home/wvncache.ini"); }
};

TEST_F(CliResolveTest, LooksUpThroughTheCacheLikeTheTable)
{
    ASSERT_TRUE(dns.isRunning()) << dns.error().toStdString();
    CliRun r = cli({QStringLiteral("192.0.2.5"), QStringLiteral("--server"), dns.server(),
                    QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o.value(QStringLiteral("name")).toString(), QStringLiteral("known.example.test"));
    EXPECT_EQ(o.value(QStringLiteral("source")).toString(), QStringLiteral("network"));

    r = cli({QStringLiteral("192.0.2.5"), QStringLiteral("--server"), dns.server()});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("known.example.test  cache"))) << r.out.toStdString();
    EXPECT_EQ(dns.queriesFor(QStringLiteral("192.0.2.5")), 1);

    // Without the cache nothing is read or written.
    const QByteArray before = wv::test::readFile(cacheFile());
    r = cli({QStringLiteral("192.0.2.5"), QStringLiteral("--no-cache"), QStringLiteral("--server"),
             dns.server(), QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(
        QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("source")).toString(),
        QStringLiteral("network"));
    EXPECT_EQ(dns.queriesFor(QStringLiteral("192.0.2.5")), 2);
    EXPECT_EQ(wv::test::readFile(cacheFile()), before);
}

TEST_F(CliResolveTest, RefusesBadInput)
{
    EXPECT_EQ(cli({QStringLiteral("host.example")}).code, 2);
    EXPECT_EQ(cli({}).code, 2);
    EXPECT_EQ(
        cli({QStringLiteral("192.0.2.5"), QStringLiteral("--timeout"), QStringLiteral("10")}).code,
        2);
    const CliRun r = cli(
        {QStringLiteral("192.0.2.5"), QStringLiteral("--server"), QStringLiteral("ns.example:53")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("ns.example:53")));
    EXPECT_FALSE(QFile::exists(cacheFile()));
}

} // namespace
