// The NetworkManager source over real D-Bus calls: a stand-in service owns
// NetworkManager's name on a private session bus (dbus-run-session) and
// answers from a recording. Skipped when there is no session bus or the
// stand-in cannot start (python3-dbus, python3-gi missing).

#include "stats/advstat/NetworkManagerSource.h"
#include "tests/stats/advstat/StatsFixtures.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

#include <gtest/gtest.h>

using namespace wv;

namespace {

class StandIn
{
public:
    bool start(const QString &recording, QString *why)
    {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments({QStringLiteral(WV_NM_STANDIN), recording});
        m_process.start();
        if (!m_process.waitForStarted(5000)) {
            *why = QStringLiteral("python3 did not start");
            return false;
        }
        // Bounded wait for its "ready" line.
        for (int i = 0; i < 50 && !m_process.canReadLine(); ++i)
            m_process.waitForReadyRead(200);
        if (m_process.readLine().trimmed() != "ready") {
            *why = QString::fromLocal8Bit(m_process.readAllStandardError());
            return false;
        }
        return true;
    }
    ~StandIn()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

private:
    QProcess m_process;
};

} // namespace

TEST(NetworkManagerSource, ActiveDialUpConnectionsOverDBus)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    const QString recording =
        qEnvironmentVariable("WV_TEST_DATA") + QStringLiteral("/nm/answers.json");
    // Before NetworkManager is there the list is empty, without a wait.
    NetworkManagerSource source(bus, 2000);
    EXPECT_TRUE(source.activeConnections().isEmpty());

    StandIn standIn;
    QString why;
    if (!standIn.start(recording, &why))
        GTEST_SKIP() << "stand-in did not start: " << why.toStdString();
    ASSERT_TRUE(bus.interface()->isServiceRegistered(QLatin1String(NetworkManagerSource::Service)));

    const QList<NmActiveAnswer> answers = source.answers();
    const QList<NmActiveAnswer> recorded =
        test::nmAnswersFromJson(test::readRecording(QStringLiteral("answers.json")));
    ASSERT_EQ(answers.size(), recorded.size());
    for (qsizetype i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].id, recorded[i].id);
        EXPECT_EQ(answers[i].type, recorded[i].type);
        EXPECT_EQ(answers[i].state, recorded[i].state);
        ASSERT_EQ(answers[i].devices.size(), recorded[i].devices.size());
        const NmDeviceAnswer &d = answers[i].devices.first();
        const NmDeviceAnswer &r = recorded[i].devices.first();
        EXPECT_EQ(d.interface, r.interface);
        EXPECT_EQ(d.ipInterface, r.ipInterface);
        EXPECT_EQ(d.driver, r.driver);
        EXPECT_EQ(d.state, r.state);
        EXPECT_EQ(d.stateReason, r.stateReason);
    }
    const QList<DialUpConnection> shown = source.activeConnections();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown.last().stateText, QStringLiteral("No dial tone"));
}
