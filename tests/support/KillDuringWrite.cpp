#include "tests/support/KillDuringWrite.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace wv::test {

void killDuringWrites(const QString &writer, const QStringList &args, int rounds,
                      const std::function<void(int round)> &check)
{
    ASSERT_TRUE(QFile::exists(writer)) << writer.toStdString();
    bool ok = false;
    quint32 seed = qEnvironmentVariable("WV_TEST_SEED").toUInt(&ok);
    if (!ok)
        seed = QRandomGenerator::global()->generate();
    std::printf("kill-during-write seed: %u (set WV_TEST_SEED=%u to repeat)\n", seed, seed);
    testing::Test::RecordProperty("seed", std::to_string(seed));
    QRandomGenerator random(seed);

    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round << ", seed " << seed);
        QProcess p;
        p.start(writer, args);
        ASSERT_TRUE(p.waitForStarted(5000));
        ASSERT_TRUE(p.waitForReadyRead(10000));
        QThread::msleep(5 + random.bounded(60));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(5000));
        check(round);
        if (testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace wv::test
