#include "tests/rules/RuleFixtures.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using wv::test::CliRun;

CliRun cli(const QStringList &args)
{
    return wv::test::runCli(QStringList{QStringLiteral("rules")} + args);
}

class RulesCli : public wv::test::HomeTest
{
};

} // namespace

TEST_F(RulesCli, ListsTheRulesOfAFile)
{
    const QString file = home.file(QStringLiteral("three.qrs"));
    wv::test::writeFile(file, wv::test::hexFixture(QStringLiteral("three_rules.hex")));

    const CliRun text = cli({file});
    EXPECT_EQ(text.code, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("10.0.0. on port 6667 / SYN event")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("Write to log file, ")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("**When anyone makes any kind of connection on "
                                                 "any local port then log to the log file .")));
    EXPECT_EQ(text.out.count(QLatin1Char('\n')), 4); // header and three rules

    const CliRun json = cli({file, QStringLiteral("--json")});
    EXPECT_EQ(json.code, 0);
    const QJsonObject doc = QJsonDocument::fromJson(json.out.toUtf8()).object();
    const QJsonArray rules = doc[QStringLiteral("rules")].toArray();
    ASSERT_EQ(rules.size(), 3);
    const QJsonObject r1 = rules[1].toObject();
    EXPECT_FALSE(r1[QStringLiteral("enabled")].toBool());
    EXPECT_EQ(r1[QStringLiteral("actionBits")].toInt(), 0x039d);
    EXPECT_EQ(r1[QStringLiteral("summary")].toString(),
              QStringLiteral("10.0.0. on port 6667 / SYN event"));
    EXPECT_EQ(rules[2].toObject()[QStringLiteral("actionsText")].toString(),
              QStringLiteral("Mark the connection, Show passive alert"));
    EXPECT_FALSE(doc.contains(QStringLiteral("error")));

    // Without FILE the user's own rules are read; none yet is not an error.
    const CliRun none = cli({});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, QStringLiteral("No rules.\n"));
}

TEST_F(RulesCli, BadFilesGiveTheMessageAndFail)
{
    const QByteArray golden = wv::test::hexFixture(QStringLiteral("three_rules.hex"));
    const QString file = home.file(QStringLiteral("bad.qrs"));

    QByteArray oldVersion = golden;
    oldVersion[9] = char(0xa8);
    wv::test::writeFile(file, oldVersion);
    CliRun r = cli({file});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("of a previous version"))) << r.err.toStdString();

    wv::test::writeFile(file, golden.left(wv::test::ThreeRulesRecord2 + 3));
    r = cli({file, QStringLiteral("--json")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Error loading from stream")));
    const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(doc[QStringLiteral("error")].toString(), QStringLiteral("Error loading from stream"));
    EXPECT_EQ(doc[QStringLiteral("rules")].toArray().size(), 2);
    // Inspecting a file never deletes it.
    EXPECT_TRUE(QFileInfo::exists(file));

    r = cli({home.file(QStringLiteral("missing.qrs"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot open")));
}
