#include "settings/IniFile.h"
#include "tests/support/KillDuringWrite.h"
#include "tests/support/TestHome.h"

#include <QDir>

#include <gtest/gtest.h>

// A writer killed at any moment leaves either the previous or the next
// complete version of the file, never a torn one.
TEST(IniCrash, KilledWriterNeverLeavesATornFile)
{
    wv::test::TestHome home;
    const QString path = home.file(QStringLiteral("crash.ini"));
    const QString writer = wv::test::binDir() + QStringLiteral("/ini_writer");

    int lastSeen = 0;
    wv::test::killDuringWrites(writer, {path}, 12, [&](int round) {
        wv::IniFile ini(path);
        const QString counter = ini.readString(QStringLiteral("S"), QStringLiteral("counter"));
        const int n = counter.toInt();
        ASSERT_GT(n, 0) << "round " << round;
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("pad")),
                  counter.repeated(20000));
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("check")), counter);
        lastSeen = n;
    });
    EXPECT_GT(lastSeen, 0);
    // No temporary files are left to pile up in the folder... except at most
    // the one a killed writer was filling.
    const QStringList left = QDir(home.path()).entryList(QDir::Files);
    EXPECT_LE(left.size(), 13);
}
