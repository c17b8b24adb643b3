#include "settings/Paths.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using wv::test::CliOptions;
using wv::test::CliRun;

CliRun cli(const QStringList &args)
{
    return wv::test::runCli(args);
}

} // namespace

TEST(CliSettings, ShowsStoredValuesAndDefaults)
{
    wv::test::TestHome home;
    wv::test::writeFile(wv::Paths::userFile(QStringLiteral("registry.ini")),
                        "[WVN3PRO\\Settings]\nRefreshDelay=0x20\nautoRefresh=1\n");
    const CliRun r = cli({QStringLiteral("settings"), QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonArray list = QJsonDocument::fromJson(r.out.toUtf8()).array();
    // The 36 settings, then the e-mail relay's keys with their own section.
    QJsonObject byKey;
    int settings = 0;
    for (const QJsonValue &v : list) {
        byKey[v[QStringLiteral("key")].toString()] = v;
        settings += v[QStringLiteral("section")].isUndefined() ? 1 : 0;
    }
    ASSERT_EQ(settings, 36);
    EXPECT_EQ(byKey[QStringLiteral("MailServer")][QStringLiteral("section")].toString(),
              QStringLiteral("WVN3PRO\\Mail"));
    EXPECT_EQ(byKey[QStringLiteral("RefreshDelay")][QStringLiteral("value")].toInt(), 32);
    EXPECT_EQ(byKey[QStringLiteral("RefreshDelay")][QStringLiteral("default")].toInt(), 15);
    EXPECT_TRUE(byKey[QStringLiteral("autoRefresh")][QStringLiteral("value")].toBool());
    EXPECT_EQ(byKey[QStringLiteral("xWallpaperFile")][QStringLiteral("type")].toString(),
              QStringLiteral("S"));

    const CliRun text = cli({QStringLiteral("settings")});
    EXPECT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.contains(QStringLiteral("RefreshDelay    I     32     15")));
}

TEST(CliSettings, BadUsageExitsNonZeroWithAMessage)
{
    wv::test::TestHome home;
    EXPECT_EQ(cli({QStringLiteral("settings"), QStringLiteral("--bogus")}).code, 2);
    EXPECT_EQ(cli({QStringLiteral("settings"), QStringLiteral("extra")}).code, 2);
    const CliRun r = cli({QStringLiteral("no-such-command")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("unknown command")));
}

TEST(CliSettings, OutputThatCannotBeWrittenIsAFailure)
{
    // A full disk: every kind of output (plain, JSON, the fast connection
    // list, a watch cycle) ends with exit status 1 and says why; the same
    // commands succeed when their output can be written.
    wv::test::TestHome home;
    CliOptions full;
    full.outputFile = QStringLiteral("/dev/full");
    CliOptions discard;
    discard.outputFile = QStringLiteral("/dev/null");
    const QList<QStringList> commands = {
        {QStringLiteral("port"), QStringLiteral("22")},
        {QStringLiteral("settings"), QStringLiteral("--json")},
        {QStringLiteral("connections"), QStringLiteral("--tcp")},
        {QStringLiteral("connections"), QStringLiteral("--json")},
        {QStringLiteral("watch"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--no-resolve")},
    };
    for (const QStringList &args : commands) {
        const std::string name = args.join(QLatin1Char(' ')).toStdString();
        const CliRun failed = wv::test::runCli(args, full);
        EXPECT_EQ(failed.code, 1) << name;
        EXPECT_TRUE(failed.err.contains(QStringLiteral("cannot write the output: No space left")))
            << name << ": " << failed.errText();
        EXPECT_EQ(wv::test::runCli(args, discard).code, 0) << name;
    }
}

TEST(CliSettings, HelpNamesTheCommandAsTyped)
{
    // The program is started by its full path here, as a user's shell may.
    wv::test::TestHome home;
    for (const char *command : {"settings", "port", "walk"}) {
        const CliRun r = cli({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(r.code, 0);
        EXPECT_TRUE(r.out.startsWith(
            QStringLiteral("Usage: wirevane-cli %1 [options]").arg(QLatin1String(command))))
            << r.out.toStdString();
    }
}
