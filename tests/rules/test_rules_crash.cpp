#include "rules/RuleList.h"
#include "rules/RulesFile.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <gtest/gtest.h>

// A program killed at any moment of a save leaves either the previous or the
// next complete rules file, never a torn one, so the next start keeps every
// rule.
TEST(RulesCrash, KilledSaveNeverLeavesATornFile)
{
    wv::test::TestHome home;
    const QString path = home.file(QStringLiteral("rules.qrs"));
    const QString writer = wv::test::binDir() + QStringLiteral("/rules_writer");
    ASSERT_TRUE(QFile::exists(writer)) << writer.toStdString();

    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        QProcess p;
        p.start(writer, {path});
        ASSERT_TRUE(p.waitForStarted(5000));
        ASSERT_TRUE(p.waitForReadyRead(10000));
        QThread::msleep(5 + QRandomGenerator::global()->bounded(60));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(5000));

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
    }
    // At most one unfinished temporary file per killed writer is left over.
    EXPECT_LE(QDir(home.path()).entryList(QDir::Files).size(), 13);
}
