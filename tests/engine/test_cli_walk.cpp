// wirevane-cli walk as a user runs it: subtrees, single objects, JSON.
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using wv::test::CliRun;

CliRun walk(const QStringList &args)
{
    return wv::test::runCli(QStringList{QStringLiteral("walk")} + args, 30000);
}

} // namespace

TEST(CliWalk, OneObjectIsShownItselfAndAMissingOneIsNamed)
{
    wv::test::TestHome home;
    // tcpMaxConn.0 has nothing below it; the walk shows the object, as
    // snmpwalk does.
    const CliRun one = walk({QStringLiteral("1.3.6.1.2.1.6.4.0")});
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out, QStringLiteral(".1.3.6.1.2.1.6.4.0 = INTEGER: -1\n"));

    // Between two served objects, and beyond the last one.
    for (const char *oid : {"1.3.6.1.2.1.6.4.5", "1.3.6.1.2.1.99"}) {
        const CliRun none = walk({QString::fromLatin1(oid)});
        EXPECT_EQ(none.code, 0);
        EXPECT_EQ(none.out, QStringLiteral(".%1 = No Such Object available on this agent at this "
                                           "OID\n")
                                .arg(QString::fromLatin1(oid)));
    }
}

TEST(CliWalk, JsonListsTheSameObjectsAsText)
{
    wv::test::TestHome home;
    const QString udpGroup = QStringLiteral("1.3.6.1.2.1.7.1");
    const CliRun text = walk({udpGroup});
    const CliRun json = walk({udpGroup, QStringLiteral("--json")});
    ASSERT_EQ(text.code, 0);
    ASSERT_EQ(json.code, 0);
    const QJsonArray objects = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(objects.size(), 1);
    const QJsonObject o = objects.first().toObject();
    EXPECT_EQ(o[QStringLiteral("oid")].toString(), QStringLiteral(".1.3.6.1.2.1.7.1.0"));
    EXPECT_EQ(o[QStringLiteral("type")].toString(), QStringLiteral("Counter32"));
    EXPECT_TRUE(o[QStringLiteral("value")].isDouble());
    EXPECT_TRUE(text.out.startsWith(QStringLiteral(".1.3.6.1.2.1.7.1.0 = Counter32: ")));

    const CliRun max = walk({QStringLiteral("1.3.6.1.2.1.6.4"), QStringLiteral("--json")});
    const QJsonArray maxConn = QJsonDocument::fromJson(max.out.toUtf8()).array();
    ASSERT_EQ(maxConn.size(), 1);
    EXPECT_EQ(maxConn.first()[QStringLiteral("value")].toInt(), -1);
    EXPECT_EQ(maxConn.first()[QStringLiteral("type")].toString(), QStringLiteral("INTEGER"));
}
