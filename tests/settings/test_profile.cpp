#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"
#include "settings/Paths.h"
#include "settings/Profile.h"
#include "settings/programs/ProgramsList.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using wv::Profile;
using wv::test::readFile;
using wv::test::writeFile;

namespace {

QByteArray le32(qint32 n)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((quint32(n) >> (8 * i)) & 0xff);
    return b;
}

QString member(int i)
{
    return wv::Paths::userFile(Profile::MemberNames.at(i));
}

const QList<QByteArray> kContents = {
    "[Cache]\n10.0.0.1=host.example\n",
    "[Hostname]\nexample=Ex\n[IP]\n10.=Ex\n",
    "[Programs]\nEditor=/usr/bin/vi\n",
    QByteArray("Quillmark\xa9\x30\0\0\0\0\0\0End", 20),
    "[pos]\nleft=10\n",
    "[Settings]\nautoResolve=1\n",
};

class ProfileTest : public wv::test::HomeTest
{
protected:
    void writeMembers()
    {
        for (int i = 0; i < Profile::MemberCount; ++i)
            writeFile(member(i), kContents.at(i));
    }
    QString profilePath = home.file(QStringLiteral("out/backup.wcf"));
};

} // namespace

TEST(ProfileCodec, SixLengthPrefixedMembersAndNothingElse)
{
    const QByteArray data = Profile::encode({"ab", "", "c", "", "", "xyz"});
    EXPECT_EQ(data, le32(2) + "ab" + le32(0) + le32(1) + "c" + le32(0) + le32(0) + le32(3) + "xyz");
    QList<QByteArray> members;
    QString error;
    ASSERT_TRUE(Profile::decode(data + "trailing", &members, &error));
    EXPECT_EQ(members, (QList<QByteArray>{"ab", "", "c", "", "", "xyz"}));
}

TEST(ProfileCodec, ShortOrNegativeLengthsNameTheMember)
{
    const QByteArray whole = Profile::encode({"a", "b", "c", "rules", "e", "f"});
    QList<QByteArray> members;
    QString error;
    // Cut inside the bytes of member 4.
    EXPECT_FALSE(Profile::decode(whole.left(4 * 3 + 3 + 4 + 2), &members, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("member 4 (rules.qrs)"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("shorter than its lengths claim")));
    // Cut inside the length of member 6.
    EXPECT_FALSE(Profile::decode(whole.left(whole.size() - 4), &members, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("member 6 (wvnini.ini)"))) << error.toStdString();
    EXPECT_FALSE(Profile::decode(le32(-1), &members, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("member 1 (wvncache.ini)")));
    EXPECT_FALSE(Profile::decode(QByteArray(), &members, &error));
    // A length far beyond the data is refused without reserving it.
    EXPECT_FALSE(Profile::decode(le32(0x7fffffff) + "x", &members, &error));
}

TEST_F(ProfileTest, ExportPacksTheSixFilesInOrderAndTwiceGivesTheSameBytes)
{
    writeMembers();
    Profile profile;
    EXPECT_FALSE(profile.wvnEXP(profilePath)); // the folder does not exist yet
    QDir().mkpath(home.file(QStringLiteral("out")));
    ASSERT_TRUE(profile.wvnEXP(profilePath)) << profile.lastError().toStdString();
    EXPECT_EQ(readFile(profilePath), Profile::encode(kContents));
    const QByteArray first = readFile(profilePath);
    ASSERT_TRUE(profile.wvnEXP(profilePath));
    EXPECT_EQ(readFile(profilePath), first);
}

TEST_F(ProfileTest, MissingMembersExportAsEmptyAndImportAsEmptyFiles)
{
    // A new user: no cache, no rules, no placement yet.
    writeFile(member(1), kContents.at(1));
    writeFile(member(5), kContents.at(5));
    QDir().mkpath(home.file(QStringLiteral("out")));
    Profile profile;
    ASSERT_TRUE(profile.wvnEXP(profilePath)) << profile.lastError().toStdString();
    const QByteArray data = readFile(profilePath);
    EXPECT_EQ(data.left(4), le32(0));

    for (int i = 0; i < Profile::MemberCount; ++i)
        QFile::remove(member(i));
    ASSERT_TRUE(profile.wvnIMP(profilePath)) << profile.lastError().toStdString();
    EXPECT_TRUE(QFile::exists(member(0)));
    EXPECT_EQ(readFile(member(0)), QByteArray());
    EXPECT_EQ(readFile(member(1)), kContents.at(1));
}

TEST_F(ProfileTest, ImportReplacesEveryMemberByteForByte)
{
    writeMembers();
    QDir().mkpath(home.file(QStringLiteral("out")));
    Profile profile;
    ASSERT_TRUE(profile.wvnEXP(profilePath));
    for (int i = 0; i < Profile::MemberCount; ++i)
        writeFile(member(i), "changed since");
    ASSERT_TRUE(profile.wvnIMP(profilePath));
    for (int i = 0; i < Profile::MemberCount; ++i)
        EXPECT_EQ(readFile(member(i)), kContents.at(i)) << i;
}

TEST_F(ProfileTest, FailedExportLeavesNoProfileThatLooksWhole)
{
    writeMembers();
    QDir().mkpath(home.file(QStringLiteral("out")));
    writeFile(profilePath, "an older profile");
    // A member that cannot be read stops the export.
    QFile::remove(member(2));
    QDir().mkpath(member(2));
    Profile profile;
    EXPECT_FALSE(profile.wvnEXP(profilePath));
    EXPECT_TRUE(profile.lastError().contains(QStringLiteral("wvnprogs.ini")))
        << profile.lastError().toStdString();
    EXPECT_EQ(readFile(profilePath), QByteArray("an older profile"));
    EXPECT_EQ(QDir(home.file(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(),
              1);
}

TEST_F(ProfileTest, TruncatedImportChangesNothingAndTheStoresStayUsable)
{
    writeMembers();
    wv::DnsCache cache;
    wv::FriendlyNames names;
    wv::ProgramsList programs;
    EXPECT_EQ(cache.lookup(QStringLiteral("10.0.0.1")), QStringLiteral("host.example"));

    const QByteArray whole = Profile::encode(
        {"[Cache]\n10.0.0.2=other.example\n", "", "", "not rules at all", "", "[Settings]\n"});
    writeFile(profilePath, whole.left(whole.size() - 3));
    Profile profile;
    EXPECT_FALSE(profile.wvnIMP(profilePath));
    EXPECT_TRUE(profile.lastError().contains(QStringLiteral("wvnini.ini")))
        << profile.lastError().toStdString();
    for (int i = 0; i < Profile::MemberCount; ++i)
        EXPECT_EQ(readFile(member(i)), kContents.at(i)) << i;

    // The open stores still read and write their files.
    EXPECT_EQ(cache.lookup(QStringLiteral("10.0.0.1")), QStringLiteral("host.example"));
    EXPECT_TRUE(cache.store(QStringLiteral("10.0.0.3"), QStringLiteral("three.example")));
    EXPECT_EQ(names.GetFriendlyName(QStringLiteral("www.example.org"), QString()),
              QStringLiteral("Ex"));
    EXPECT_TRUE(programs.addProgram(QStringLiteral("Shell"), QStringLiteral("/bin/sh")));

    // And they see a complete import at once.
    writeFile(profilePath, whole);
    ASSERT_TRUE(profile.wvnIMP(profilePath)) << profile.lastError().toStdString();
    EXPECT_EQ(cache.lookup(QStringLiteral("10.0.0.2")), QStringLiteral("other.example"));
    EXPECT_EQ(cache.lookup(QStringLiteral("10.0.0.3")), QString());
    EXPECT_TRUE(programs.entries().isEmpty());
    EXPECT_EQ(names.GetFriendlyName(QStringLiteral("www.example.org"), QString()),
              wv::FriendlyNames::Unknown);
}

TEST_F(ProfileTest, SettingsOutsideTheTransferFileNeverTravel)
{
    writeMembers();
    // registry.ini (and whatever else lies in the folder, such as a stored
    // mail password) is not a member.
    writeFile(wv::Paths::userFile(QStringLiteral("registry.ini")),
              "[WVN3PRO\\Mail]\nPassword=s3cret-value\n");
    writeFile(wv::Paths::userFile(QStringLiteral("smtp-password")), "s3cret-value");
    QDir().mkpath(home.file(QStringLiteral("out")));
    Profile profile;
    ASSERT_TRUE(profile.wvnEXP(profilePath));
    EXPECT_FALSE(readFile(profilePath).contains("s3cret-value"));
}
