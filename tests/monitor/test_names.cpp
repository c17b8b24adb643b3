#include "monitor/CacheEditorModel.h"
#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"
#include "monitor/RecognizedNamesModel.h"
#include "monitor/ResolverSwitches.h"
#include "monitor/UserPrompt.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "tests/support/TestHome.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::readFile;
using wv::test::writeFile;

namespace {

class FixedPrompt : public UserPrompt
{
public:
    explicit FixedPrompt(bool answer) : m_answer(answer) {}
    bool askWarningYesNo(const QString &, const QString &) override { return m_answer; }
    bool askOkCancel(const QString &caption, const QString &text) override
    {
        lastCaption = caption;
        lastText = text;
        return m_answer;
    }
    QString lastCaption, lastText;

private:
    bool m_answer;
};

class NamesTest : public wv::test::HomeTest
{
protected:
    QString namesPath() const { return home.path() + QStringLiteral("/home/wvnfnames.ini"); }
    QString cachePath() const { return home.path() + QStringLiteral("/home/wvncache.ini"); }
};

TEST_F(NamesTest, FriendlyNameMatchingOrder)
{
    writeFile(namesPath(), "[Hostname]\n"
                           "=empty key\n"
                           "mail.example=Mail server\n"
                           "example=Any example host\n"
                           "[IP]\n"
                           "=empty key\n"
                           "10.0.0.1=Office\n"
                           "10.0.0=Office net\n");
    const FriendlyNames names;
    // A host-name entry wins over an address entry of another entry.
    EXPECT_EQ(names.GetFriendlyName(QStringLiteral("mail.example.org"), QStringLiteral("10.0.0.1")),
              QStringLiteral("Mail server"));
    // First in file order, not the longest match.
    EXPECT_EQ(names.GetFriendlyName(QStringLiteral("www.example.org"), QString()),
              QStringLiteral("Any example host"));
    // Sub-text: 10.0.0.1 also matches 10.0.0.15; an empty host name only
    // matches through the address.
    EXPECT_EQ(names.GetFriendlyName(QString(), QStringLiteral("10.0.0.15")),
              QStringLiteral("Office"));
    EXPECT_EQ(names.GetFriendlyName(QString(), QStringLiteral("10.0.0.2")),
              QStringLiteral("Office net"));
    // Case matters; an empty key matches nothing.
    EXPECT_EQ(names.GetFriendlyName(QStringLiteral("MAIL.EXAMPLE"), QStringLiteral("192.168.1.1")),
              QStringLiteral("???"));
    EXPECT_EQ(names.GetFriendlyName(QString(), QString()), QStringLiteral("???"));
}

TEST_F(NamesTest, EntriesNeedAllThreeTextsAndEditsKeepOldMasks)
{
    using F = FriendlyNames::Field;
    EXPECT_EQ(FriendlyNames::missingField(QString(), QString(), QString()), F::FriendlyName);
    EXPECT_EQ(FriendlyNames::missingField(QString(), QStringLiteral("1"), QStringLiteral("n")),
              F::HostName);
    EXPECT_EQ(
        FriendlyNames::missingField(QStringLiteral("h"), QStringLiteral("  "), QStringLiteral("n")),
        F::Address);

    FriendlyNames names;
    QSignalSpy changed(&names, &FriendlyNames::changed);
    EXPECT_FALSE(names.writeEntry(QStringLiteral("host"), QString(), QStringLiteral("n")));
    EXPECT_FALSE(QFile::exists(namesPath()));
    EXPECT_TRUE(names.writeEntry(QStringLiteral(" isp.net "), QStringLiteral("10.1."),
                                 QStringLiteral("My ISP")));
    EXPECT_TRUE(names.writeEntry(QStringLiteral("isp.com"), QStringLiteral("10.1."),
                                 QStringLiteral("My ISP 2")));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(readFile(namesPath()),
              QByteArray("[Hostname]\nisp.net=My ISP\nisp.com=My ISP 2\n[IP]\n10.1.=My ISP 2\n"));
    // A mask that cannot be a key is reported, not silently lost.
    EXPECT_FALSE(names.writeEntry(QStringLiteral("a=b"), QStringLiteral("1"), QStringLiteral("n")));
}

TEST_F(NamesTest, RecognizedListPairsSectionsByPositionAndDeletes)
{
    // Two host masks share one address mask: the list still shows both rows.
    writeFile(namesPath(), "[Hostname]\nisp.net=My ISP\nisp.com=My ISP 2\nlan=Home\n"
                           "[IP]\n10.1.=My ISP 2\n");
    FriendlyNames names;
    RecognizedNamesModel model(names);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.RefreshRecognized();
    ASSERT_EQ(model.rowCount(), 3);
    auto cell = [&](int r, int c) { return model.index(r, c).data().toString(); };
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("IP mask"));
    EXPECT_EQ(QStringList({cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3)}),
              QStringList({"0", "isp.net", "10.1.", "My ISP"}));
    EXPECT_EQ(cell(2, 1), QStringLiteral("lan"));
    EXPECT_EQ(cell(2, 2), QString());

    EXPECT_TRUE(model.Delete(2));
    EXPECT_TRUE(model.Delete(0));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(readFile(namesPath()), QByteArray("[Hostname]\nisp.com=My ISP 2\n[IP]\n"));

    FixedPrompt no(false);
    EXPECT_FALSE(model.ClearAll(no));
    EXPECT_EQ(no.lastCaption, QStringLiteral("Confirm"));
    EXPECT_EQ(no.lastText,
              QStringLiteral("Are you sure you want to clear all recognized addresses?"));
    EXPECT_EQ(model.rowCount(), 1);
    FixedPrompt yes(true);
    EXPECT_TRUE(model.ClearAll(yes));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(names.entries().isEmpty());
}

TEST_F(NamesTest, CacheEditorShowsFiveEmptyRowsForAnEmptyCache)
{
    DnsCache cache;
    CacheEditorModel model(cache);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.load();
    ASSERT_EQ(model.rowCount(), 5);
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(model.index(r, 0).data().toString(), QString::number(r + 1));
        EXPECT_TRUE(model.index(r, 1).data().toString().isEmpty());
    }
    EXPECT_EQ(model.entryCount(), 0);
    EXPECT_EQ(model.created(), QStringLiteral("???"));
    EXPECT_EQ(model.addFiveEntries(), 5);
    EXPECT_EQ(model.index(9, 0).data().toString(), QStringLiteral("10"));
}

TEST_F(NamesTest, CacheEditorRoundTrip)
{
    writeFile(cachePath(), "[Main]\ncreated=01/02/03 04:05:06\n[Cache]\n"
                           "10.0.0.1=one.example\n192.0.2.7=192.0.2.7\n10.0.0.3=\n");
    DnsCache cache;
    CacheEditorModel model(cache);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<int> progress;
    model.load([&](int p) { progress.push_back(p); });
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(model.entryCount(), 3);
    EXPECT_EQ(model.created(), QStringLiteral("01/02/03 04:05:06"));
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(model.flags(model.index(0, 2)).testFlag(Qt::ItemIsEditable));

    // The timed-out address gets a name by hand, one row is blanked, one added.
    EXPECT_TRUE(model.setData(model.index(1, 2), QStringLiteral("printer.lan"), Qt::EditRole));
    model.deleteEntry(0);
    const int first = model.addFiveEntries();
    EXPECT_EQ(model.index(first, 0).data().toString(), QStringLiteral("4"));
    model.setData(model.index(first, 1), QStringLiteral(" 10.0.0.9 "), Qt::EditRole);
    model.setData(model.index(first, 2), QStringLiteral("nine.example"), Qt::EditRole);
    // Only an address: dropped.
    model.setData(model.index(first + 1, 1), QStringLiteral("10.0.0.10"), Qt::EditRole);
    // Not a usable key: dropped instead of corrupting the file.
    model.setData(model.index(first + 2, 1), QStringLiteral("x=y"), Qt::EditRole);
    model.setData(model.index(first + 2, 2), QStringLiteral("z"), Qt::EditRole);
    ASSERT_TRUE(model.save());

    EXPECT_EQ(readFile(cachePath()), QByteArray("[Main]\ncreated=01/02/03 04:05:06\n[Cache]\n"
                                                "192.0.2.7=printer.lan\n10.0.0.9=nine.example\n"));
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(cache.lookup(QStringLiteral("192.0.2.7")), QStringLiteral("printer.lan"));

    // Blanking every row leaves an empty cache and the stamp unchanged.
    model.deleteEntry(0);
    model.deleteEntry(1);
    ASSERT_TRUE(model.save());
    EXPECT_EQ(cache.count(), 0);
    EXPECT_EQ(cache.created(), QStringLiteral("01/02/03 04:05:06"));
    EXPECT_EQ(model.rowCount(), 5);
}

// Names learnt while writes are held reach the file in one rewrite, with the
// bytes one write after another gives; nothing held is lost.
TEST_F(NamesTest, HeldCacheWritesMakeOneRewriteWithTheSameBytes)
{
    const QString heldPath = home.path() + QStringLiteral("/held.ini");
    const QString plainPath = home.path() + QStringLiteral("/plain.ini");
    const QByteArray start = "; kept comment\n[Cache]\n10.0.0.1=old.example\n";
    writeFile(heldPath, start);
    writeFile(plainPath, start);
    // Updates, new addresses, an address written twice (the second time in
    // other letters), a timed-out one, a failed one, and the stamp.
    const QList<std::pair<QString, QString>> writes = {
        {"10.0.0.1", "new.example"}, {"fe80::1", ""},       {"10.0.0.2", "10.0.0.2"},
        {"FE80::1", "link.example"}, {"10.0.0.3", "three"}, {"bad=key", "x"}};
    DnsCache plain(plainPath);
    {
        DnsCache held(heldPath);
        held.holdWrites();
        held.holdWrites(); // holds nest
        for (const auto &[address, name] : writes) {
            plain.store(address, name);
            plain.stampCreated();
            held.store(address, name);
            held.stampCreated();
        }
        // Held names are found before they are written.
        EXPECT_EQ(held.lookup(QStringLiteral("fe80::1")), QStringLiteral("link.example"));
        EXPECT_EQ(held.lookup(QStringLiteral("10.0.0.1")), QStringLiteral("new.example"));
        EXPECT_EQ(readFile(heldPath), start);
        EXPECT_TRUE(held.releaseWrites());
        EXPECT_EQ(readFile(heldPath), start);
        EXPECT_TRUE(held.releaseWrites());
        EXPECT_EQ(held.file().saves(), 1);
        EXPECT_GE(plain.file().saves(), 4);
        // The stamp is the time of the first look-up in both files.
        QByteArray want = readFile(plainPath);
        want.replace(plain.created().toUtf8(), held.created().toUtf8());
        EXPECT_EQ(readFile(heldPath), want);

        // Held again, then the object goes away (the program ends).
        held.holdWrites();
        held.store(QStringLiteral("10.0.0.4"), QStringLiteral("four"));
    }
    EXPECT_EQ(DnsCache(heldPath).lookup(QStringLiteral("10.0.0.4")), QStringLiteral("four"));

    // Reading the whole cache (the cache editor) writes what is held first.
    DnsCache held(heldPath);
    held.holdWrites();
    held.store(QStringLiteral("10.0.0.5"), QStringLiteral("five"));
    EXPECT_EQ(held.entries().last(),
              std::make_pair(QStringLiteral("10.0.0.5"), QStringLiteral("five")));
    EXPECT_EQ(DnsCache(heldPath).lookup(QStringLiteral("10.0.0.5")), QStringLiteral("five"));
    held.store(QStringLiteral("10.0.0.6"), QStringLiteral("six"));
    EXPECT_TRUE(held.clear());
    EXPECT_EQ(held.count(), 0);
    EXPECT_TRUE(held.releaseWrites());
    EXPECT_EQ(DnsCache(heldPath).count(), 0);
}

TEST_F(NamesTest, EntriesSavedAfterAFinalCarriageReturnReadBack)
{
    writeFile(cachePath(), "[Main]\r\ncreated=x\r\n[Odd]\r");
    DnsCache cache;
    CacheEditorModel model(cache);
    model.load();
    model.setData(model.index(0, 1), QStringLiteral("10.0.0.1"), Qt::EditRole);
    model.setData(model.index(0, 2), QStringLiteral("one"), Qt::EditRole);
    ASSERT_TRUE(model.save());
    EXPECT_EQ(DnsCache().lookup(QStringLiteral("10.0.0.1")), QStringLiteral("one"));
    EXPECT_EQ(model.entryCount(), 1);
}

TEST_F(NamesTest, SwitchesApplyAndStoreOnlyAfterStartUp)
{
    struct Sink : OptionsSink
    {
        int applied = 0;
        bool autoResolve = true;
        void applyQuickPanel(bool on, bool) override
        {
            ++applied;
            autoResolve = on;
        }
    } sink;
    RegistryStore registry;
    SettingsStore store(registry);
    store.addSink(&sink);
    ResolverSwitches switches(store);
    QSignalSpy rebuild(&switches, &ResolverSwitches::rebuildPending);
    const QString key = QStringLiteral("WVN3PRO\\Settings");

    switches.setAutoResolve(false);
    EXPECT_FALSE(store.values().autoResolve);
    EXPECT_EQ(rebuild.count(), 1);
    EXPECT_EQ(sink.applied, 0);
    EXPECT_FALSE(registry.valueExists(key, QStringLiteral("autoResolve")));

    switches.setStartupFinished(true);
    switches.setCacheDns(false);
    EXPECT_FALSE(switches.cacheDnsChecked());
    EXPECT_EQ(sink.applied, 1);
    EXPECT_FALSE(sink.autoResolve);
    EXPECT_EQ(registry.readString(key, QStringLiteral("cacheDNS")), QStringLiteral("0"));
    EXPECT_EQ(registry.readString(key, QStringLiteral("autoResolve")), QStringLiteral("0"));
    EXPECT_EQ(rebuild.count(), 1);
}

} // namespace
