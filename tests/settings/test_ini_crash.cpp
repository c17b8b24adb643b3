#include "settings/IniFile.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <gtest/gtest.h>

// A writer killed at any moment leaves either the previous or the next
// complete version of the file, never a torn one.
TEST(IniCrash, KilledWriterNeverLeavesATornFile)
{
    wv::test::TestHome home;
    const QString path = home.file(QStringLiteral("crash.ini"));
    const QString writer = wv::test::binDir() + QStringLiteral("/ini_writer");
    ASSERT_TRUE(QFile::exists(writer)) << writer.toStdString();

    int lastSeen = 0;
    for (int round = 0; round < 12; ++round) {
        QProcess p;
        p.start(writer, {path});
        ASSERT_TRUE(p.waitForStarted(5000));
        ASSERT_TRUE(p.waitForReadyRead(10000));
        QThread::msleep(5 + QRandomGenerator::global()->bounded(60));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(5000));

        wv::IniFile ini(path);
        const QString counter = ini.readString(QStringLiteral("S"), QStringLiteral("counter"));
        const int n = counter.toInt();
        ASSERT_GT(n, 0) << "round " << round;
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("pad")),
                  counter.repeated(20000));
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("check")), counter);
        lastSeen = n;
    }
    EXPECT_GT(lastSeen, 0);
    // No temporary files are left to pile up in the folder... except at most
    // the one a killed writer was filling.
    const QStringList left = QDir(home.path()).entryList(QDir::Files);
    EXPECT_LE(left.size(), 13);
}
