// The companion's commands that change settings, DNS servers, profiles and
// rules, run as a user would run them.

#include "rules/RuleList.h"
#include "settings/Paths.h"
#include "settings/Profile.h"
#include "settings/RegistryStore.h"
#include "settings/SettingRanges.h"
#include "settings/SettingsStore.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using wv::test::readFile;
using wv::test::writeFile;

namespace {

using wv::test::CliRun;

CliRun cli(const QStringList &args, const QString &resolvConf = QString())
{
    wv::test::CliOptions options;
    if (!resolvConf.isEmpty()) {
        options.environment = QProcessEnvironment::systemEnvironment();
        options.environment.insert(QStringLiteral("WIREVANE_RESOLV_CONF"), resolvConf);
    }
    return wv::test::runCli(args, options);
}

wv::Settings storedSettings()
{
    wv::RegistryStore registry;
    wv::SettingsStore store(registry);
    store.ReadRegistry();
    return store.values();
}

class Cli : public wv::test::HomeTest
{
};

} // namespace

TEST(SettingAssignment, ChecksKeysTypesAndTheDialogsRanges)
{
    wv::Settings s;
    QString error;
    struct Case
    {
        const char *text;
        bool ok;
    };
    const Case cases[] = {
        {"RefreshDelay=2", true},
        {"RefreshDelay=999", true},
        {"RefreshDelay=1", false},
        {"RefreshDelay=1000", false},
        {"refreshdelay=30", true},
        {"RefreshDelay=0x20", false},
        {"dnsTimeoutWait=50", true},
        {"dnsTimeoutWait=120001", false},
        {"ExpireDelay=4320", true},
        {"ExpireDelay=0", false},
        {"connShowSec=999", true},
        {"connShowSec=", false},
        {"showMenu=1", true},
        {"showMenu=yes", true},
        {"showMenu=2", false},
        {"xWallpaperFile=/tmp/a b.png", true},
        {"noSuchKey=1", false},
        {"showMenu", false},
        {"=1", false},
    };
    for (const Case &c : cases) {
        wv::Settings before = s;
        EXPECT_EQ(wv::applySettingAssignment(s, QString::fromLatin1(c.text), &error), c.ok)
            << c.text;
        if (!c.ok) {
            EXPECT_TRUE(s == before) << c.text;
            EXPECT_FALSE(error.isEmpty());
        }
    }
    EXPECT_EQ(s.RefreshDelay, 30);
    EXPECT_TRUE(s.showMenu);
    EXPECT_EQ(s.xWallpaperFile, QStringLiteral("/tmp/a b.png"));
}

TEST_F(Cli, SettingsSetWritesTheStoreOrNothing)
{
    CliRun r = cli({QStringLiteral("settings"), QStringLiteral("--set"),
                    QStringLiteral("RefreshDelay=30"), QStringLiteral("showMenu=1"),
                    QStringLiteral("--set"), QStringLiteral("autoRefresh=1")});
    ASSERT_EQ(r.code, 0) << r.errText();
    EXPECT_TRUE(r.out.contains("RefreshDelay    I     30"));
    wv::Settings s = storedSettings();
    EXPECT_EQ(s.RefreshDelay, 30);
    EXPECT_TRUE(s.showMenu);
    EXPECT_TRUE(s.autoRefresh);

    // One bad value: exit 2, a message, and nothing written.
    r = cli({QStringLiteral("settings"), QStringLiteral("--set"), QStringLiteral("RefreshDelay=40"),
             QStringLiteral("connShowSec=0")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("connShowSec must be a whole number from 1 to 999")) << r.errText();
    EXPECT_EQ(storedSettings().RefreshDelay, 30);
    r = cli({QStringLiteral("settings"), QStringLiteral("--set"), QStringLiteral("bogus=1")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("unknown setting 'bogus'"));

    // Run on startup takes effect at once.
    r = cli(
        {QStringLiteral("settings"), QStringLiteral("--set"), QStringLiteral("xRunOnStartup=1")});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(QFile::exists(home.path() + QStringLiteral("/xdg/autostart/wirevane.desktop")));
}

TEST_F(Cli, DnsSetKeepsOtherLinesAndRefusesHostNames)
{
    const QString conf = home.file(QStringLiteral("resolv.conf"));
    writeFile(conf, "# local\nsearch example.org\nnameserver 10.0.0.1\noptions edns0\n");
    CliRun r = cli({QStringLiteral("dns"), QStringLiteral("--set"),
                    QStringLiteral("1.1.1.1,9.9.9.9,2001:db8::53")},
                   conf);
    ASSERT_EQ(r.code, 0) << r.errText();
    EXPECT_EQ(readFile(conf), QByteArray("# local\nsearch example.org\nnameserver 1.1.1.1\n"
                                         "nameserver 9.9.9.9\nnameserver 2001:db8::53\n"
                                         "options edns0\n"));
    EXPECT_TRUE(r.out.contains("Secondary DNS server:  9.9.9.9")) << r.out.toStdString();

    const QByteArray before = readFile(conf);
    r = cli({QStringLiteral("dns"), QStringLiteral("--set"), QStringLiteral("1.1.1.1,dns.example")},
            conf);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("A DNS Server must be in numerical IP form! (###.###.###.###)"))
        << r.errText();
    r = cli({QStringLiteral("dns"), QStringLiteral("--set"), QStringLiteral("1,2,3,4,5")}, conf);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(readFile(conf), before);

    r = cli({QStringLiteral("dns"), QStringLiteral("--json")}, conf);
    ASSERT_EQ(r.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.outBytes()).object();
    EXPECT_EQ(o[QStringLiteral("nameServer")].toString(),
              QStringLiteral("1.1.1.1,9.9.9.9,2001:db8::53"));

    // A file another program keeps: written, with a warning.
    writeFile(conf, "# Generated by NetworkManager\nnameserver 10.0.0.1\n");
    r = cli({QStringLiteral("dns"), QStringLiteral("--set"), QStringLiteral("10.0.0.2")}, conf);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.contains("managed by NetworkManager"));
    EXPECT_TRUE(readFile(conf).contains("nameserver 10.0.0.2\n"));
}

TEST_F(Cli, ProfileRoundTripsSixMembersIntoAnEmptyFolder)
{
    const QList<QByteArray> contents = {
        "[Cache]\n10.0.0.1=a.example\n", "[Hostname]\nh=H\n[IP]\n1.=H\n",
        "[Programs]\nX=/bin/x\n",        QByteArray(),
        "[WVN_formstuff]\nleft=5\n",     QByteArray()};
    for (int i = 0; i < 5; ++i)
        writeFile(wv::Paths::userFile(wv::Profile::MemberNames.at(i)), contents.at(i));
    writeFile(wv::Paths::userFile(QStringLiteral("registry.ini")),
              "[WVN3PRO\\Settings]\nRefreshDelay=44\nxDebugWindow=1\n");
    CliRun r = cli({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("--port"),
                    QStringLiteral("25")});
    ASSERT_EQ(r.code, 0) << r.errText();

    const QString profile = home.file(QStringLiteral("p.wcf"));
    r = cli({QStringLiteral("profile"), QStringLiteral("export"), profile});
    ASSERT_EQ(r.code, 0) << r.errText();
    EXPECT_EQ(r.out, QByteArray("Success.\n"));

    // Six members in order, each a little-endian length and the file's bytes.
    const QByteArray data = readFile(profile);
    QList<QByteArray> original;
    qsizetype pos = 0;
    for (int i = 0; i < 6; ++i) {
        ASSERT_LE(pos + 4, data.size());
        const quint32 n = quint8(data[pos]) | quint32(quint8(data[pos + 1])) << 8 |
                          quint32(quint8(data[pos + 2])) << 16 |
                          quint32(quint8(data[pos + 3])) << 24;
        original.append(data.mid(pos + 4, n));
        pos += 4 + n;
    }
    EXPECT_EQ(pos, data.size());
    EXPECT_EQ(original.at(0), contents.at(0));
    EXPECT_EQ(original.at(3), readFile(wv::Paths::userFile(QStringLiteral("rules.qrs"))));
    EXPECT_TRUE(original.at(5).contains("RefreshDelay=44"));
    EXPECT_FALSE(original.at(5).contains("xDebugWindow"));

    // Into an empty per-user folder.
    wv::test::TestHome other;
    r = cli({QStringLiteral("profile"), QStringLiteral("import"), profile});
    ASSERT_EQ(r.code, 0) << r.errText();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(readFile(wv::Paths::userFile(wv::Profile::MemberNames.at(i))), original.at(i))
            << i;
    EXPECT_EQ(storedSettings().RefreshDelay, 44);
    r = cli({QStringLiteral("rules")});
    EXPECT_TRUE(r.out.contains("Anyone on port 25 / any connection")) << r.out.toStdString();

    // A truncated profile: the failure, and the folder as it was.
    const QString cut = home.file(QStringLiteral("cut.wcf"));
    writeFile(cut, data.left(data.size() - 5));
    const QByteArray cacheBefore = readFile(wv::Paths::userFile(QStringLiteral("wvncache.ini")));
    r = cli({QStringLiteral("profile"), QStringLiteral("import"), cut});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("member 6 (wvnini.ini)")) << r.errText();
    EXPECT_EQ(readFile(wv::Paths::userFile(QStringLiteral("wvncache.ini"))), cacheBefore);
    EXPECT_EQ(cli({QStringLiteral("profile"), QStringLiteral("bogus"), cut}).code, 2);
}

TEST_F(Cli, RulesCanBeKeptAsAScript)
{
    CliRun r = cli({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("--address"),
                    QStringLiteral("10.0.0."), QStringLiteral("--event"), QStringLiteral("syn"),
                    QStringLiteral("--port"), QStringLiteral("21"), QStringLiteral("--actions"),
                    QStringLiteral("log,alert,email"), QStringLiteral("--message"),
                    QStringLiteral("FTP knock"), QStringLiteral("--email"),
                    QStringLiteral("a@example.org"), QStringLiteral("--email"),
                    QStringLiteral("b@example.org")});
    ASSERT_EQ(r.code, 0) << r.errText();
    EXPECT_EQ(r.out, QByteArray("Rule 0 added.\n"));
    r = cli({QStringLiteral("rules"), QStringLiteral("add"), QStringLiteral("--disabled")});
    ASSERT_EQ(r.code, 0) << r.errText();

    r = cli({QStringLiteral("rules"), QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0);
    QJsonArray rules =
        QJsonDocument::fromJson(r.outBytes()).object()[QStringLiteral("rules")].toArray();
    ASSERT_EQ(rules.size(), 2);
    QJsonObject first = rules[0].toObject();
    EXPECT_EQ(first[QStringLiteral("summary")].toString(),
              QStringLiteral("10.0.0. on port 21 / SYN event"));
    EXPECT_EQ(first[QStringLiteral("emailTo")].toString(),
              QStringLiteral("a@example.org\r\nb@example.org"));
    EXPECT_EQ(first[QStringLiteral("actionsText")].toString(),
              QStringLiteral("Write to log file, Show active alertSend email to "
                             "a@example.org\r\nb@example.org"));
    QJsonObject second = rules[1].toObject();
    EXPECT_FALSE(second[QStringLiteral("enabled")].toBool());
    EXPECT_EQ(second[QStringLiteral("port")].toString(), QStringLiteral("21"));
    EXPECT_EQ(second[QStringLiteral("actions")].toArray().first().toString(),
              QStringLiteral("mark"));

    // edit changes only what it names.
    r = cli({QStringLiteral("rules"), QStringLiteral("edit"), QStringLiteral("0"),
             QStringLiteral("--anyone"), QStringLiteral("--event"), QStringLiteral("over2")});
    ASSERT_EQ(r.code, 0) << r.errText();
    EXPECT_EQ(cli({QStringLiteral("rules"), QStringLiteral("enable"), QStringLiteral("1")}).code,
              0);
    EXPECT_EQ(cli({QStringLiteral("rules"), QStringLiteral("disable"), QStringLiteral("0")}).code,
              0);
    r = cli({QStringLiteral("rules"), QStringLiteral("--json")});
    rules = QJsonDocument::fromJson(r.outBytes()).object()[QStringLiteral("rules")].toArray();
    first = rules[0].toObject();
    EXPECT_EQ(first[QStringLiteral("summary")].toString(),
              QStringLiteral("Anyone on port 21 / over 2 connections"));
    EXPECT_EQ(first[QStringLiteral("address")].toString(), QStringLiteral("10.0.0."));
    EXPECT_EQ(first[QStringLiteral("message")].toString(), QStringLiteral("FTP knock"));
    EXPECT_FALSE(first[QStringLiteral("enabled")].toBool());
    EXPECT_TRUE(rules[1].toObject()[QStringLiteral("enabled")].toBool());

    // Bad input changes nothing.
    const QByteArray before = readFile(wv::Paths::userFile(QStringLiteral("rules.qrs")));
    for (const QStringList &bad :
         {QStringList{QStringLiteral("edit"), QStringLiteral("5")},
          QStringList{QStringLiteral("delete"), QStringLiteral("x")},
          QStringList{QStringLiteral("edit"), QStringLiteral("0"), QStringLiteral("--port"),
                      QStringLiteral("2a")},
          QStringList{QStringLiteral("add"), QStringLiteral("--actions"), QStringLiteral("fly")},
          QStringList{QStringLiteral("add"), QStringLiteral("--event"), QStringLiteral("ack")},
          QStringList{QStringLiteral("add"), QStringLiteral("--anyone"),
                      QStringLiteral("--address"), QStringLiteral("x")}}) {
        r = cli(QStringList{QStringLiteral("rules")} + bad);
        EXPECT_EQ(r.code, 2) << bad.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_EQ(readFile(wv::Paths::userFile(QStringLiteral("rules.qrs"))), before);

    r = cli({QStringLiteral("rules"), QStringLiteral("delete"), QStringLiteral("0")});
    ASSERT_EQ(r.code, 0);
    r = cli({QStringLiteral("rules"), QStringLiteral("--json")});
    rules = QJsonDocument::fromJson(r.outBytes()).object()[QStringLiteral("rules")].toArray();
    ASSERT_EQ(rules.size(), 1);
    EXPECT_EQ(rules[0].toObject()[QStringLiteral("number")].toInt(), 0);

    // A damaged file is reported and left alone.
    writeFile(wv::Paths::userFile(QStringLiteral("rules.qrs")), "Quillmark-broken");
    r = cli({QStringLiteral("rules"), QStringLiteral("add")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(readFile(wv::Paths::userFile(QStringLiteral("rules.qrs"))),
              QByteArray("Quillmark-broken"));
}
