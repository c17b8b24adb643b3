#include "rules/RuleError.h"
#include "rules/RuleList.h"
#include "rules/RulesFile.h"
#include "tests/rules/RuleFixtures.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace wv;
using wv::test::hexFixture;
using wv::test::readFile;
using wv::test::writeFile;

namespace {

struct CollectedNotices : RuleNotices
{
    QStringList texts;
    void notice(const QString &text) override { texts.append(text); }
};

class RulesFileTest : public wv::test::HomeTest
{
protected:
    QString path() const { return RulesFile::defaultPath(); }
    QStringList filesInFolder() const
    {
        return QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files, QDir::Name);
    }
};

} // namespace

TEST_F(RulesFileTest, LivesInThePerUserFolder)
{
    EXPECT_EQ(QFileInfo(path()).absolutePath(),
              QFileInfo(home.path() + QStringLiteral("/home")).absoluteFilePath());
    EXPECT_EQ(QFileInfo(path()).fileName(), QStringLiteral("rules.qrs"));
}

TEST_F(RulesFileTest, MissingFileLeavesTheListAlone)
{
    TRuleList list;
    list.Add();
    CollectedNotices notices;
    RulesFile file;
    EXPECT_TRUE(file.loadAtStartUp(list, notices));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(notices.texts.isEmpty());
}

TEST_F(RulesFileTest, SaveThenLoadReproducesTheFile)
{
    const QByteArray golden = hexFixture(QStringLiteral("three_rules.hex"));
    writeFile(path(), golden);
    TRuleList list;
    CollectedNotices notices;
    RulesFile file;
    ASSERT_TRUE(file.loadAtStartUp(list, notices));
    wv::test::expectThreeRulesPrefix(list, 3);

    list.Rule(1)->Enabled = 1;
    file.save(list);
    QByteArray expected = golden;
    expected[17 + 40 + 5] = 1; // rule 1's Enabled byte
    EXPECT_EQ(readFile(path()), expected);
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("rules.qrs")});
    EXPECT_TRUE(notices.texts.isEmpty());
}

TEST_F(RulesFileTest, CorruptFileIsPutAsideAndBothNoticesShown)
{
    const QByteArray cut =
        hexFixture(QStringLiteral("three_rules.hex")).left(wv::test::ThreeRulesRecord2 + 7);
    writeFile(path(), cut);
    TRuleList list;
    CollectedNotices notices;
    RulesFile file;
    EXPECT_FALSE(file.loadAtStartUp(list, notices));
    EXPECT_EQ(notices.texts,
              (QStringList{QStringLiteral("The rules file was corrupt and has been deleted"),
                           QStringLiteral("Alas, there was a problem loading the rules")}));
    wv::test::expectThreeRulesPrefix(list, 2);
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_EQ(file.corruptCopyPath(), path() + QStringLiteral(".corrupt"));
    EXPECT_EQ(readFile(path() + QStringLiteral(".corrupt")), cut);

    // Start-up then saves what it has, and the next start is clean.
    file.save(list);
    TRuleList again;
    notices.texts.clear();
    EXPECT_TRUE(file.loadAtStartUp(again, notices));
    wv::test::expectThreeRulesPrefix(again, 2);

    // load() itself passes the failure on after the first notice.
    writeFile(path(), "garbage");
    notices.texts.clear();
    try {
        file.load(list, notices);
        ADD_FAILURE() << "garbage loaded";
    } catch (const std::exception &) {
    }
    EXPECT_EQ(notices.texts, QStringList{RulesFile::CorruptNotice});
    // An earlier copy is not overwritten.
    EXPECT_EQ(readFile(path() + QStringLiteral(".corrupt")), cut);
    EXPECT_EQ(readFile(path() + QStringLiteral(".corrupt.1")), QByteArray("garbage"));
}

TEST_F(RulesFileTest, FailedSaveKeepsTheOldFile)
{
    const QByteArray golden = hexFixture(QStringLiteral("three_rules.hex"));
    writeFile(path(), golden);
    TRuleList list;
    list.Add()->Message = QString(40000, QLatin1Char('m'));
    RulesFile file;
    try {
        file.save(list);
        ADD_FAILURE() << "saved an over-long text";
    } catch (const ERuleError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("String too long"));
    }
    EXPECT_EQ(readFile(path()), golden);
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("rules.qrs")});

    // A folder that cannot be made: the failure is reported, not swallowed.
    writeFile(home.file(QStringLiteral("plain")), "not a folder");
    list.Clear();
    RulesFile nowhere(home.file(QStringLiteral("plain/rules.qrs")));
    EXPECT_THROW(nowhere.save(list), ERuleError);
    EXPECT_EQ(readFile(path()), golden);
}

TEST_F(RulesFileTest, UnreadableFileIsNotDeleted)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const QByteArray golden = hexFixture(QStringLiteral("three_rules.hex"));
    writeFile(path(), golden);
    QFile::setPermissions(path(), QFile::WriteOwner);
    TRuleList list;
    CollectedNotices notices;
    RulesFile file;
    EXPECT_FALSE(file.loadAtStartUp(list, notices));
    EXPECT_EQ(notices.texts, QStringList{RulesFile::LoadFailNotice});
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readFile(path()), golden);
}
