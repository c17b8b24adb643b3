#include "settings/DebugTrace.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "settings/SettingRanges.h"
#include "settings/SettingsStore.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::readFile;
using wv::test::writeFile;

namespace {

const QString kKey = QStringLiteral("WVN3PRO\\Settings");

// Records the order in which ProcessOptions applies its steps.
class RecordingSink : public OptionsSink
{
public:
    QStringList steps;
    void applyDnsTimeout(int ms) override { steps << QStringLiteral("dns %1").arg(ms); }
    void applyListeningPanel(bool on) override { steps << QStringLiteral("panel %1").arg(on); }
    void applyQuickPanel(bool r, bool l) override
    {
        steps << QStringLiteral("quick %1 %2").arg(r).arg(l);
    }
    void applyViewBar(bool on) override { steps << QStringLiteral("viewbar %1").arg(on); }
    void applyGridLines(bool on) override { steps << QStringLiteral("grid %1").arg(on); }
    void applyRefreshTimer(int ms, bool on) override
    {
        steps << QStringLiteral("refresh %1 %2").arg(ms).arg(on);
    }
    void applyColumnWidths(bool more) override { steps << QStringLiteral("columns %1").arg(more); }
    void applyMenuBar(bool on) override { steps << QStringLiteral("menu %1").arg(on); }
    void applyExtras(const Settings &) override { steps << QStringLiteral("extras"); }
};

class SettingsTest : public wv::test::HomeTest
{
protected:
    void SetUp() override { debugTrace().clear(); }
    void TearDown() override { debugTrace().setEnabled(false); }
};

} // namespace

TEST_F(SettingsTest, FreshFolderGivesDefaults)
{
    RegistryStore reg;
    SettingsStore store(reg);
    store.values().RefreshDelay = 99;
    store.ReadRegistry();
    EXPECT_EQ(store.values(), Settings{});
    EXPECT_EQ(store.values().RefreshDelay, 15);
    EXPECT_FALSE(store.values().autoRefresh);
    EXPECT_EQ(store.values().dnsTimeoutWait, 3000);
    EXPECT_EQ(store.values().ExpireDelay, 300);
    EXPECT_TRUE(store.values().autoResolve);
    EXPECT_EQ(settingDescriptors().size(), 36u);
    EXPECT_STREQ(settingDescriptors()[22].key, "connShowSec");
    EXPECT_STREQ(settingDescriptors()[23].key, "xNoSummary");
    EXPECT_STREQ(settingDescriptors()[35].key, "xWallpaperFile");
}

TEST_F(SettingsTest, StoredTextsReadAsTheProgramExpects)
{
    writeFile(Paths::userFile(QStringLiteral("registry.ini")),
              "[WVN3PRO\\Settings]\n"
              "autoRefresh=2\n"   // any non-zero number is true
              "autoResolve=abc\n" // malformed: default (true)
              "showListens=0x1\n"
              "dnsTimeoutWait=0x10\n" // hex
              "RefreshDelay=abc\n"    // default 15
              "ExpireDelay=0x\n"      // too short for hex: default
              "connShowSec=-3\n"
              "xWallpaperFile=/tmp/a b.png\n");
    RegistryStore reg;
    SettingsStore store(reg);
    store.ReadRegistry();
    const Settings &s = store.values();
    EXPECT_TRUE(s.autoRefresh);
    EXPECT_TRUE(s.autoResolve);
    EXPECT_TRUE(s.showListens);
    EXPECT_EQ(s.dnsTimeoutWait, 16);
    EXPECT_EQ(s.RefreshDelay, 15);
    EXPECT_EQ(s.ExpireDelay, 300);
    EXPECT_EQ(s.connShowSec, -3);
    EXPECT_EQ(s.xWallpaperFile, QStringLiteral("/tmp/a b.png"));
}

TEST_F(SettingsTest, WriteRegistryRoundTripsAcrossARestart)
{
    Settings changed;
    changed.autoRefresh = true;
    changed.RefreshDelay = 2;
    changed.showMenu = true;
    changed.hasRAS = false;
    changed.xFilterBar = true;
    changed.xWallpaperFile = QStringLiteral("wall paper.bmp");
    {
        RegistryStore reg;
        SettingsStore store(reg);
        store.values() = changed;
        store.WriteRegistry();
    }
    const QByteArray file = readFile(Paths::userFile(QStringLiteral("registry.ini")));
    EXPECT_TRUE(file.startsWith("[WVN3PRO\\Settings]\nautoResolve=1\nautoRefresh=1\n"));
    EXPECT_TRUE(file.contains("\nRefreshDelay=2\n"));
    EXPECT_TRUE(file.contains("\nhasRAS=0\n"));

    RegistryStore reg;
    SettingsStore store(reg);
    store.ReadRegistry();
    EXPECT_EQ(store.values(), changed);
}

TEST_F(SettingsTest, TransferFileCarriesExactlyTheFirst23)
{
    RegistryStore reg;
    SettingsStore store(reg);
    store.values().connShowSec = 9;
    store.values().xNoSummary = true;
    store.SettingsToFile();

    IniFile file(SettingsStore::transferFilePath());
    const QStringList keys = file.readSection(QStringLiteral("Settings"));
    ASSERT_EQ(keys.size(), 23);
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(keys[i], QLatin1String(settingDescriptors()[i].key));
    EXPECT_EQ(file.readString(QStringLiteral("Settings"), QStringLiteral("connShowSec")),
              QStringLiteral("9"));

    // Reading it back changes only those 23.
    Settings other;
    other.connShowSec = 1;
    other.autoResolve = false;
    other.xNoSummary = false;
    other.xDockForm = true;
    other.xWallpaperFile = QStringLiteral("kept");
    store.values() = other;
    file.writeString(QStringLiteral("Settings"), QStringLiteral("RefreshDelay"),
                     QStringLiteral("x"));
    store.FileToSettings();
    EXPECT_EQ(store.values().connShowSec, 9);
    EXPECT_TRUE(store.values().autoResolve);
    EXPECT_EQ(store.values().RefreshDelay, 15); // malformed in the file: default
    EXPECT_FALSE(store.values().xNoSummary);
    EXPECT_TRUE(store.values().xDockForm);
    EXPECT_EQ(store.values().xWallpaperFile, QStringLiteral("kept"));
}

TEST_F(SettingsTest, ProcessOptionsAppliesStepsInOrderAndTraces)
{
    RegistryStore reg;
    SettingsStore store(reg);
    RecordingSink sink;
    store.addSink(&sink);
    store.values().xDebugWindow = true;
    store.values().autoRefresh = true;
    store.values().RefreshDelay = 20;
    store.ProcessOptions();
    EXPECT_EQ(sink.steps, (QStringList{QStringLiteral("dns 3000"), QStringLiteral("panel 0"),
                                       QStringLiteral("quick 1 0"), QStringLiteral("viewbar 0"),
                                       QStringLiteral("grid 0"), QStringLiteral("refresh 20000 1"),
                                       QStringLiteral("columns 0"), QStringLiteral("menu 0"),
                                       QStringLiteral("extras")}));
    EXPECT_TRUE(debugTrace().text().startsWith(
        QStringLiteral("ProcessOptions;\ncalling SVB in PO\ndone calling SVB in PO")));

    // With the debug window off nothing is recorded.
    debugTrace().clear();
    store.values().xDebugWindow = false;
    store.ProcessOptions();
    store.WriteRegistry();
    EXPECT_TRUE(debugTrace().text().isEmpty());
}

TEST_F(SettingsTest, AppliedNumbersStayInsideTheOptionsDialogRanges)
{
    // A hand-edited registry.ini: 0 would fire the refresh timer without
    // pause, 3000000 s would overflow the interval in milliseconds.
    struct Case
    {
        const char *stored;
        int refreshMs, dnsMs, expire, showSec;
    };
    const Case cases[] = {
        {"RefreshDelay=0\ndnsTimeoutWait=0\nExpireDelay=0\nconnShowSec=0\n", 2000, 50, 1, 1},
        {"RefreshDelay=-5\ndnsTimeoutWait=-1\nExpireDelay=-1\nconnShowSec=-3\n", 2000, 50, 1, 1},
        {"RefreshDelay=3000000\ndnsTimeoutWait=0x7fffffff\nExpireDelay=99999\n"
         "connShowSec=1000\n",
         999000, 120000, 4320, 999},
        {"RefreshDelay=2\ndnsTimeoutWait=50\nExpireDelay=4320\nconnShowSec=999\n", 2000, 50, 4320,
         999},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        writeFile(Paths::userFile(QStringLiteral("registry.ini")),
                  QByteArray("[WVN3PRO\\Settings]\nautoRefresh=1\n") + c.stored);
        RegistryStore reg;
        SettingsStore store(reg);
        RecordingSink sink;
        store.addSink(&sink);
        store.ReadRegistry();
        store.ProcessOptions();
        EXPECT_TRUE(sink.steps.contains(QStringLiteral("refresh %1 1").arg(c.refreshMs)));
        EXPECT_TRUE(sink.steps.contains(QStringLiteral("dns %1").arg(c.dnsMs)));
        EXPECT_EQ(store.values().ExpireDelay, c.expire);
        EXPECT_EQ(store.values().connShowSec, c.showSec);
        // What is written back is the value in force.
        store.WriteRegistry();
        RegistryStore again;
        EXPECT_EQ(again.readString(kKey, QStringLiteral("RefreshDelay")),
                  QString::number(c.refreshMs / 1000));
    }

    // The same for a transfer file brought in with a profile.
    IniFile transfer(SettingsStore::transferFilePath());
    transfer.writeString(QStringLiteral("Settings"), QStringLiteral("RefreshDelay"),
                         QStringLiteral("0"));
    RegistryStore reg;
    SettingsStore store(reg);
    RecordingSink sink;
    store.addSink(&sink);
    store.FileToSettings();
    store.ProcessOptions();
    EXPECT_EQ(store.values().RefreshDelay, 2);
}

TEST_F(SettingsTest, RunOnStartupWritesAndRemovesTheAutostartEntry)
{
    RegistryStore reg;
    SettingsStore store(reg);
    const QString entry = autostartEntryPath();
    EXPECT_FALSE(QFile::exists(entry));
    store.ProcessOptions(); // off and absent: nothing happens
    EXPECT_FALSE(QFile::exists(entry));

    store.values().xRunOnStartup = true;
    store.ProcessOptions();
    ASSERT_TRUE(QFile::exists(entry));
    const QByteArray text = readFile(entry);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=" + Paths::executablePath().toUtf8()));

    store.values().xRunOnStartup = false;
    store.ProcessOptions();
    EXPECT_FALSE(QFile::exists(entry));
}

TEST(AutostartEntry, ProgramPathIsQuotedForTheExecLine)
{
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/usr/bin/wirevane")),
              QStringLiteral("/usr/bin/wirevane"));
    // A bare % would be read as a field code such as %f.
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/opt/100%f/wirevane")),
              QStringLiteral("/opt/100%%f/wirevane"));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/opt/my apps/wirevane")),
              QStringLiteral("\"/opt/my apps/wirevane\""));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/opt/a$b 50%/w")),
              QStringLiteral("\"/opt/a\\\\$b 50%%/w\""));
    // A line break in the path must not start a line of its own in the entry.
    for (const char *path : {"/tmp/x\nExec=/bin/false", "/tmp/x\rExec=/bin/false"}) {
        const QString arg = desktopExecArgument(QString::fromLatin1(path));
        EXPECT_FALSE(arg.contains(QLatin1Char('\n')) || arg.contains(QLatin1Char('\r'))) << path;
    }
}

TEST_F(SettingsTest, TraceIsEmptiedOnceItPassesItsLimit)
{
    DebugTrace trace;
    trace.setEnabled(true);
    QSignalSpy cleared(&trace, &DebugTrace::cleared);
    const QString line(999, QLatin1Char('x'));
    for (int i = 0; i < 30; ++i)
        trace.log(line); // 30 * 1000 - 1 characters
    EXPECT_EQ(trace.text().size(), 29999);
    trace.log(QStringLiteral("a"));
    EXPECT_EQ(trace.text().size(), 30001);
    EXPECT_EQ(cleared.count(), 0);
    trace.log(QStringLiteral("next"));
    EXPECT_EQ(trace.text(), QStringLiteral("next"));
    EXPECT_EQ(cleared.count(), 1);

    trace.setEnabled(false);
    trace.log(QStringLiteral("ignored"));
    EXPECT_EQ(trace.text(), QStringLiteral("next"));
}
