#include "rules/RuleLog.h"
#include "settings/DebugTrace.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace wv {
namespace {

using test::HomeTest;
using test::readFile;

TEST_F(HomeTest, LogStartsWithHeaderThenTimeStampedLines)
{
    const QDateTime t1(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QDateTime t2(QDate(2026, 3, 4), QTime(5, 6, 9));
    const QString path = RuleLog::defaultPath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/wvnlog.txt")));
    EXPECT_TRUE(path.startsWith(home.path()));
    ASSERT_TRUE(RuleLog::WriteLog(QStringLiteral("first"), path, t1));
    ASSERT_TRUE(RuleLog::WriteLog(QStringLiteral("second\r\nline"), path, t2));
    const QString expected = QStringLiteral("-- WVN Pro log file -- created ") +
                             RuleLog::stamp(t1) + QStringLiteral("\r\n\r\n") + RuleLog::stamp(t1) +
                             QStringLiteral(": first\r\n") + RuleLog::stamp(t2) +
                             QStringLiteral(": second line\r\n");
    EXPECT_EQ(QString::fromUtf8(readFile(path)), expected);
}

TEST_F(HomeTest, LogCreatesItsFolderAndSwallowsFailures)
{
    const QString nested = home.file(QStringLiteral("sub/wvnlog.txt"));
    EXPECT_TRUE(RuleLog::WriteLog(QStringLiteral("x"), nested));
    EXPECT_TRUE(QFile::exists(nested));

    // A folder where the file should be: the line is lost, the caller goes on.
    QDir(home.path()).mkpath(QStringLiteral("blocked/wvnlog.txt"));
    debugTrace().setEnabled(true);
    debugTrace().clear();
    EXPECT_FALSE(
        RuleLog::WriteLog(QStringLiteral("x"), home.file(QStringLiteral("blocked/wvnlog.txt"))));
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("WriteLog error")));
    debugTrace().setEnabled(false);
}

TEST_F(HomeTest, SoundIsSilentWithoutAFile)
{
    EXPECT_FALSE(PlaySoundFile(QString()));
    EXPECT_FALSE(PlaySoundFile(home.file(QStringLiteral("missing.wav"))));
}

} // namespace
} // namespace wv
