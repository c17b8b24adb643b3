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
              (QStringList{QStringLiteral("The rules file was corrupt and has been moved to ") +
                               path() + QStringLiteral(".corrupt"),
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
    EXPECT_EQ(notices.texts,
              QStringList{RulesFile::corruptNotice(path() + QStringLiteral(".corrupt.1"))});
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

TEST_F(RulesFileTest, CorruptFileThatCannotBeMovedIsStillReported)
{
    // Every name a copy could take is a folder with something in it, so the
    // move fails, whoever runs the test.
    for (int n = 0; n < 100; ++n) {
        const QString dir =
            path() + QStringLiteral(".corrupt") + (n ? QStringLiteral(".%1").arg(n) : QString());
        writeFile(dir + QStringLiteral("/keep"), "x");
    }
    writeFile(path(), "garbage");
    TRuleList list;
    CollectedNotices notices;
    RulesFile file;
    EXPECT_FALSE(file.loadAtStartUp(list, notices));
    ASSERT_EQ(notices.texts.size(), 2);
    EXPECT_TRUE(notices.texts[0].startsWith(QStringLiteral("The rules file ") + path() +
                                            QStringLiteral(" was corrupt and could not be moved")))
        << notices.texts[0].toStdString();
    EXPECT_EQ(notices.texts[1], RulesFile::LoadFailNotice);
    EXPECT_TRUE(file.corruptCopyPath().isEmpty());
    EXPECT_EQ(readFile(path()), QByteArray("garbage"));
}

TEST_F(RulesFileTest, UnreadableFileIsNotDeleted)
{
    const QByteArray golden = hexFixture(QStringLiteral("three_rules.hex"));
    // A rules.qrs that is a folder cannot be read, by root either.
    {
        writeFile(path() + QStringLiteral("/inside"), golden);
        TRuleList list;
        CollectedNotices notices;
        RulesFile file;
        EXPECT_FALSE(file.loadAtStartUp(list, notices));
        EXPECT_EQ(notices.texts, QStringList{RulesFile::LoadFailNotice});
        EXPECT_EQ(readFile(path() + QStringLiteral("/inside")), golden);
        EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".corrupt")));
        QDir(path()).removeRecursively();
    }
    if (geteuid() == 0)
        return; // permissions do not stop root
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
