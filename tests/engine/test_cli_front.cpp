// The companion the shell starts: the plain connection list is answered by a
// program of its own, every other command line by the whole companion; either
// way a user sees exactly what the whole companion prints.
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/LoopbackSockets.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <vector>

#include <gtest/gtest.h>

using namespace wv::test;

namespace {

class CliFront : public ::testing::Test
{
protected:
    // The tables must not change between the two programs' reads: the test
    // has a network of its own, or it is skipped.
    static void SetUpTestSuite() { s_private = enterPrivateNetwork(); }
    static bool s_private;

    static CliRun run(const QString &program, const QStringList &args)
    {
        CliOptions options;
        options.program = program;
        return runCli(args, options);
    }
};

bool CliFront::s_private = false;

const std::vector<QStringList> answered = {
    {"connections"},
    {"connections", "--tcp"},
    {"connections", "--udp", "--json"},
    {"connections", "--json", "--tcp", "--udp", "--family", "6"},
    {"connections", "--family=4", "--source", "proc"},
    {"connections", "--source=netlink", "--tcp", "--json"},
};

const std::vector<QStringList> handedOver = {
    {},
    {"--version"},
    {"connections", "--help"},
    {"connections", "--family", "5"},
    {"connections", "--family"},
    {"connections", "--tcp=yes"},
    {"connections", "extra"},
    {"connections", "--process", "--tcp"},
    {"counters", "--json"},
    {"walk", "1.3.6.1.2.1.6.4.0"},
};

TEST_F(CliFront, PrintsWhatTheWholeCompanionPrints)
{
    if (!s_private)
        GTEST_SKIP() << "no network namespace of the test's own here";
    TestHome home;
    LoopbackSockets s;
    const quint16 listener = s.listenTcp("127.0.0.1");
    s.connectTcp("127.0.0.1", listener);
    s.bindUdp("127.0.0.1");
    if (const quint16 v6 = s.listenTcp("::1"))
        s.connectTcp("::1", v6);
    const QString front = binDir() + "/wirevane-cli";
    const QString whole = binDir() + "/../libexec/wirevane/wirevane-cli";
    ASSERT_TRUE(QFile::exists(whole));
    for (const auto &list : {answered, handedOver}) {
        for (const QStringList &args : list) {
            const CliRun a = run(front, args), b = run(whole, args);
            EXPECT_EQ(a.code, b.code) << args.join(' ').toStdString();
            EXPECT_EQ(a.out, b.out) << args.join(' ').toStdString();
            EXPECT_EQ(a.err, b.err) << args.join(' ').toStdString();
        }
    }
}

// The connection list's program, alone, without the whole companion beside it,
// still lists the connections and says plainly that it cannot start the rest;
// the program the shell starts, alone, says so for everything.
TEST_F(CliFront, PartsAloneSayWhatTheyCannotStart)
{
    TestHome home;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString parts = binDir() + "/../libexec/wirevane/";
    const QString list = dir.filePath("wirevane-cli-connections");
    const QString front = QDir(dir.filePath("bin")).filePath("wirevane-cli");
    ASSERT_TRUE(QDir(dir.path()).mkdir("bin"));
    ASSERT_TRUE(QFile::copy(parts + "wirevane-cli-connections", list));
    ASSERT_TRUE(QFile::copy(binDir() + "/wirevane-cli", front));
    auto cannotStart = [](const CliRun &r, const QStringList &args) {
        EXPECT_EQ(r.code, 127) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("wirevane-cli: cannot start ")) << r.errText();
        EXPECT_TRUE(r.out.isEmpty());
    };
    for (const QStringList &args : answered) {
        const CliRun r = run(list, args);
        EXPECT_EQ(r.code, 0) << args.join(' ').toStdString() << r.errText();
        EXPECT_TRUE(r.err.isEmpty()) << r.errText();
        cannotStart(run(front, args), args);
    }
    for (const QStringList &args : handedOver) {
        cannotStart(run(list, args), args);
        cannotStart(run(front, args), args);
    }
}

// Without the test's pointers to the data, the whole companion (in the
// folder of the companion's parts) finds the port database and, when asked to
// start with the session, names the monitor, not itself.
TEST_F(CliFront, PartsFindTheDataAndTheMonitor)
{
    TestHome home;
    CliOptions options;
    options.environment = QProcessEnvironment::systemEnvironment();
    options.environment.remove("WIREVANE_DATA");
    const CliRun port = runCli({"port", "22"}, options);
    EXPECT_EQ(port.code, 0) << port.errText();
    EXPECT_TRUE(port.out.contains("ssh", Qt::CaseInsensitive)) << port.out.toStdString();

    const CliRun set = runCli({"settings", "--set", "xRunOnStartup=1"}, options);
    ASSERT_EQ(set.code, 0) << set.errText();
    const QString xdg = options.environment.value("XDG_CONFIG_HOME");
    QFile entry(xdg + "/autostart/wirevane.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << entry.fileName().toStdString();
    const QString monitor = QFileInfo(binDir() + "/wirevane").canonicalFilePath();
    EXPECT_TRUE(QString::fromUtf8(entry.readAll()).contains("\nExec=" + monitor + "\n"))
        << monitor.toStdString();
}

} // namespace
