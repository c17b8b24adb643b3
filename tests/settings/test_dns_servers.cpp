#include "settings/DnsArrangeList.h"
#include "settings/DnsServerList.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using wv::DnsArrangeList;
using wv::DnsServerFields;
using wv::DnsServerList;
using wv::test::readFile;
using wv::test::writeFile;

namespace {

DnsServerFields fields(const char *a, const char *b, const char *c, const char *d)
{
    return {QString::fromLatin1(a), QString::fromLatin1(b), QString::fromLatin1(c),
            QString::fromLatin1(d)};
}

class ResolverFile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("resolv.conf"));
};

} // namespace

TEST(DnsServerText, AcceptanceRuleRefusesLettersOnly)
{
    for (const char *ok :
         {"10.0.0.1", "1.2.3", "1..2", "", "::1", "2001:db8::53", "fe80::1", "1.2.3.4:53", "#$%"})
        EXPECT_TRUE(DnsServerList::acceptServerText(QString::fromLatin1(ok))) << ok;
    // Host names, and text that would split or add lines of the file.
    for (const char *bad : {"dns.example", "ns1", "A", "10.0.0.1 x", "1.2.3.4\nnameserver 6.6.6.6",
                            " 1.2.3.4", "1.2.3.4\t", "fe80::1%eth0", "g::1"})
        EXPECT_FALSE(DnsServerList::acceptServerText(QString::fromLatin1(bad))) << bad;
}

TEST(DnsServerText, CommaFormKeepsInnerGapsAndDropsTrailingOnes)
{
    EXPECT_EQ(DnsServerList::joinFields(fields("10.0.0.1", "10.0.0.2", "", "")),
              QStringLiteral("10.0.0.1,10.0.0.2"));
    EXPECT_EQ(DnsServerList::joinFields(fields("a", "", "c", "")), QStringLiteral("a,,c"));
    EXPECT_EQ(DnsServerList::joinFields(fields("", "", "", "")), QString());
    EXPECT_EQ(DnsServerList::joinFields(fields("", "", "", "d")), QStringLiteral(",,,d"));
    EXPECT_EQ(DnsServerList::splitFields(QStringLiteral("10.0.0.1,10.0.0.2")),
              fields("10.0.0.1", "10.0.0.2", "", ""));
    EXPECT_EQ(DnsServerList::splitFields(QStringLiteral("1,2,3,4,5,6")),
              fields("1", "2", "3", "4"));
    EXPECT_EQ(DnsServerList::splitFields(QString()), fields("", "", "", ""));
}

TEST(DnsServerText, ParsesOnlyRealNameserverLines)
{
    const QByteArray conf = "# nameserver 9.9.9.9\n"
                            "nameserver 10.0.0.1\n"
                            "nameserver\t10.0.0.2  # office\n"
                            "  nameserver 7.7.7.7\n"
                            "nameserverx 8.8.8.8\n"
                            "search example.org\r\n"
                            "nameserver ::1";
    EXPECT_EQ(DnsServerList::parseServers(conf),
              (QStringList{QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"),
                           QStringLiteral("::1")}));
}

TEST(DnsServerText, ReplacingKeepsEveryOtherLineByteForByte)
{
    const QByteArray conf = "# written by hand\n"
                            "search example.org lab.example\n"
                            "nameserver 10.0.0.1\n"
                            "options edns0 trust-ad\n"
                            "nameserver 10.0.0.2\n"
                            "; tail comment";
    EXPECT_EQ(
        DnsServerList::replaceServers(conf, {QStringLiteral("1.1.1.1"), QStringLiteral("2.2.2.2"),
                                             QStringLiteral("3.3.3.3")}),
        QByteArray("# written by hand\n"
                   "search example.org lab.example\n"
                   "nameserver 1.1.1.1\n"
                   "nameserver 2.2.2.2\n"
                   "nameserver 3.3.3.3\n"
                   "options edns0 trust-ad\n"
                   "; tail comment"));
    // No nameserver line yet: appended, after a line end for the last line.
    EXPECT_EQ(DnsServerList::replaceServers("search a\r\noptions b", {QStringLiteral("1.1.1.1")}),
              QByteArray("search a\r\noptions b\r\nnameserver 1.1.1.1\r\n"));
    EXPECT_EQ(DnsServerList::replaceServers(QByteArray(), {QStringLiteral("1.1.1.1")}),
              QByteArray("nameserver 1.1.1.1\n"));
    EXPECT_EQ(DnsServerList::replaceServers("nameserver 1.1.1.1\nsearch a\n", {}),
              QByteArray("search a\n"));
}

TEST_F(ResolverFile, TwoServersLoadAsTwoFieldsAndSaveUnchanged)
{
    const QByteArray conf = "search example.org\nnameserver 10.0.0.1\nnameserver 10.0.0.2\n";
    writeFile(path, conf);
    DnsServerList list(path);
    const DnsServerFields f = list.LoadDNSServers();
    EXPECT_EQ(f, fields("10.0.0.1", "10.0.0.2", "", ""));
    ASSERT_TRUE(list.SaveDNSServers(f)) << list.lastError().toStdString();
    EXPECT_EQ(readFile(path), conf);
}

TEST_F(ResolverFile, SixServersShowAsFourAndSavingWritesOnlyThose)
{
    QByteArray conf;
    for (int i = 1; i <= 6; ++i)
        conf += "nameserver 10.0.0." + QByteArray::number(i) + "\n";
    writeFile(path, conf);
    DnsServerList list(path);
    const DnsServerFields f = list.LoadDNSServers();
    EXPECT_EQ(f, fields("10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"));
    ASSERT_TRUE(list.SaveDNSServers(f));
    EXPECT_EQ(list.servers().size(), 4);
}

TEST_F(ResolverFile, EmptyPlaceBetweenServersIsSkippedInTheFile)
{
    writeFile(path, "options rotate\n");
    DnsServerList list(path);
    ASSERT_TRUE(list.SaveDNSServers(fields("1.1.1.1", "", "3.3.3.3", "")));
    EXPECT_EQ(readFile(path),
              QByteArray("options rotate\nnameserver 1.1.1.1\nnameserver 3.3.3.3\n"));
    // A host name never reaches the file.
    EXPECT_FALSE(list.SaveDNSServers(fields("dns.example", "", "", "")));
    EXPECT_EQ(list.lastError(), DnsServerList::RejectMessage);
    EXPECT_EQ(list.servers(), (QStringList{QStringLiteral("1.1.1.1"), QStringLiteral("3.3.3.3")}));
}

TEST_F(ResolverFile, MissingFileReadsEmptyAndIsCreatedOnSave)
{
    DnsServerList list(path);
    EXPECT_EQ(list.LoadDNSServers(), fields("", "", "", ""));
    ASSERT_TRUE(list.SaveDNSServers(fields("9.9.9.9", "", "", "")));
    EXPECT_EQ(readFile(path), QByteArray("nameserver 9.9.9.9\n"));
}

TEST_F(ResolverFile, WriteReplacesTheLinkTargetAndKeepsItsMode)
{
    const QString target = dir.filePath(QStringLiteral("real.conf"));
    writeFile(target, "nameserver 10.0.0.1\n");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    ASSERT_TRUE(QFile::link(target, path));
    DnsServerList list(path);
    EXPECT_TRUE(list.managedBy().isEmpty());
    ASSERT_TRUE(list.SaveDNSServers(fields("10.0.0.9", "", "", "")));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(readFile(target), QByteArray("nameserver 10.0.0.9\n"));
    EXPECT_EQ(QFileInfo(target).permissions() & 0x0fff,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 2);
}

TEST_F(ResolverFile, ManagedFilesAreRecognised)
{
    writeFile(path, "# Generated by NetworkManager\nnameserver 10.0.0.1\n");
    EXPECT_EQ(DnsServerList(path).managedBy(), QStringLiteral("NetworkManager"));
    writeFile(path, "# This is /run/systemd/resolve/stub-resolv.conf managed by man:systemd-"
                    "resolved(8).\n# Do not edit.\nnameserver 127.0.0.53\n");
    EXPECT_EQ(DnsServerList(path).managedBy(), QStringLiteral("systemd-resolved"));
    EXPECT_FALSE(DnsServerList(path).managedWarning().isEmpty());
    // A comment further down, after the first setting, is the user's own.
    writeFile(path, "nameserver 10.0.0.1\n# NetworkManager was removed\n");
    EXPECT_TRUE(DnsServerList(path).managedBy().isEmpty());
    EXPECT_TRUE(DnsServerList(path).managedWarning().isEmpty());

    QFile::remove(path);
    ASSERT_TRUE(QFile::link(QStringLiteral("/run/systemd/resolve/stub-resolv.conf"), path));
    EXPECT_EQ(DnsServerList(path).managedBy(), QStringLiteral("systemd-resolved"));
}

TEST_F(ResolverFile, WriteWithoutPermissionFailsAndLeavesTheFile)
{
    const QByteArray conf = "search example.org\nnameserver 10.0.0.1\n";
    writeFile(path, conf);
    if (::geteuid() == 0) {
        // Root may write anything: try as nobody through the companion.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WIREVANE_RESOLV_CONF"), path);
        env.insert(QStringLiteral("WIREVANE_HOME"), dir.filePath(QStringLiteral("home")));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"),
                 wv::test::binDir() + QStringLiteral("/wirevane-cli"), QStringLiteral("dns"),
                 QStringLiteral("--set"), QStringLiteral("1.1.1.1")});
        ASSERT_TRUE(p.waitForFinished(20000));
        const QByteArray err = p.readAllStandardError();
        if (err.contains("Permission denied") && err.contains("wirevane-cli: error while loading"))
            GTEST_SKIP() << "the companion cannot run as nobody here";
        EXPECT_EQ(p.exitCode(), 1) << err.constData();
        EXPECT_TRUE(err.contains("Permission denied")) << err.constData();
    } else {
        QFile::setPermissions(path, QFile::ReadOwner);
        DnsServerList list(path);
        EXPECT_FALSE(list.SaveDNSServers(fields("1.1.1.1", "", "", "")));
        EXPECT_TRUE(list.lastError().contains(QStringLiteral("Permission denied")));
    }
    EXPECT_EQ(readFile(path), conf);
}

TEST(DnsArrange, FilledWithThePrimaryAlwaysAndTheOthersWhenSet)
{
    DnsArrangeList list = DnsArrangeList::fromFields(fields("", "2.2.2.2", "", "4.4.4.4"));
    EXPECT_EQ(list.entries(),
              (QStringList{QString(), QStringLiteral("2.2.2.2"), QStringLiteral("4.4.4.4")}));
    EXPECT_EQ(list.toFields(), fields("", "2.2.2.2", "4.4.4.4", ""));
}

TEST(DnsArrange, EditingTheListAsAListAndAsText)
{
    DnsArrangeList list = DnsArrangeList::fromFields(fields("1.1.1.1", "2.2.2.2", "", ""));
    EXPECT_TRUE(list.add(QString()));
    EXPECT_EQ(list.count(), 2);
    EXPECT_FALSE(list.add(QStringLiteral("dns.example")));
    EXPECT_TRUE(list.add(QStringLiteral("3.3.3.3")));
    EXPECT_EQ(list.moveUp(2), 1);
    EXPECT_EQ(list.moveUp(0), 0);
    EXPECT_EQ(list.moveDown(2), 2);
    EXPECT_EQ(list.entries(), (QStringList{QStringLiteral("1.1.1.1"), QStringLiteral("3.3.3.3"),
                                           QStringLiteral("2.2.2.2")}));
    EXPECT_FALSE(list.edit(1, QStringLiteral("ns1")));
    EXPECT_FALSE(list.edit(7, QStringLiteral("1.2.3.4")));
    list.remove(0);
    EXPECT_EQ(list.toText(), QStringLiteral("3.3.3.3\n2.2.2.2\n"));

    QString bad;
    EXPECT_FALSE(list.setText(QStringLiteral("5.5.5.5\nresolver.example\n"), &bad));
    EXPECT_EQ(bad, QStringLiteral("resolver.example"));
    EXPECT_EQ(list.count(), 2);
    ASSERT_TRUE(list.setText(QStringLiteral("5.5.5.5\r\n6.6.6.6\n7.7.7.7\n8.8.8.8\n9.9.9.9\n")));
    // Entries after the fourth are ignored by OK.
    EXPECT_EQ(list.toFields(), fields("5.5.5.5", "6.6.6.6", "7.7.7.7", "8.8.8.8"));
    list.clear();
    EXPECT_EQ(list.toFields(), fields("", "", "", ""));
}
