#include "rules/RuleList.h"
#include "rules/RulesFile.h"
#include "tests/support/KillDuringWrite.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// A program killed at any moment of a save leaves either the previous or the
// next complete rules file, never a torn one, so the next start keeps every
// rule.
TEST(RulesCrash, KilledSaveNeverLeavesATornFile)
{
    wv::test::TestHome home;
    const QString path = home.file(QStringLiteral("rules.qrs"));
    const QString writer = wv::test::binDir() + QStringLiteral("/rules_writer");

    wv::test::killDuringWrites(writer, {path}, 12, [&](int) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        wv::TRuleList list;
        ASSERT_NO_THROW(list.LoadFromStream(&f));
        ASSERT_EQ(list.Count(), 5);
        const QString c = list.Rule(0)->EmailTo;
        ASSERT_GT(c.toInt(), 0);
        for (const auto &r : list.Items()) {
            EXPECT_EQ(r->Number, c.toInt());
            EXPECT_EQ(r->EmailTo, c);
            EXPECT_EQ(r->Message, c.repeated(3000));
        }
    });
    // At most one unfinished temporary file per killed writer is left over.
    EXPECT_LE(QDir(home.path()).entryList(QDir::Files).size(), 13);
}
