#include "settings/IniFile.h"
#include "tests/support/TestHome.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using wv::IniFile;
using wv::test::readFile;
using wv::test::writeFile;

class IniFileTest : public wv::test::HomeTest
{
protected:
    QString path = home.file(QStringLiteral("t.ini"));
};

TEST_F(IniFileTest, MissingFileReadsAsEmptyAndFirstWriteCreatesIt)
{
    IniFile ini(path);
    EXPECT_EQ(
        ini.readString(QStringLiteral("Main"), QStringLiteral("created"), QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_TRUE(ini.readSection(QStringLiteral("Main")).isEmpty());
    ASSERT_TRUE(
        ini.writeString(QStringLiteral("Main"), QStringLiteral("created"), QStringLiteral("x")));
    EXPECT_EQ(readFile(path), QByteArray("[Main]\ncreated=x\n"));
}

TEST_F(IniFileTest, LookupIgnoresCaseAndFirstOccurrenceWins)
{
    writeFile(path, "[Cache]\nA=1\na=2\n[cache]\nb=3\n[Other]\n a = spaced value \n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("CACHE"), QStringLiteral("a")), QStringLiteral("1"));
    // A repeated section header is not read.
    EXPECT_EQ(ini.readString(QStringLiteral("Cache"), QStringLiteral("b"), QStringLiteral("-")),
              QStringLiteral("-"));
    EXPECT_EQ(ini.readString(QStringLiteral("other"), QStringLiteral("A")),
              QStringLiteral("spaced value"));
    EXPECT_EQ(ini.readSection(QStringLiteral("Cache")), QStringList{QStringLiteral("A")});
    EXPECT_EQ(ini.readSections(), (QStringList{QStringLiteral("Cache"), QStringLiteral("Other")}));
}

TEST_F(IniFileTest, WritesReplaceInPlaceAndAppendAtEndOfSection)
{
    writeFile(path, "; comment\n[One]\nk1=a\nk2=b\n\n[Two]\nz=1\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString(QStringLiteral("one"), QStringLiteral("K2"), QStringLiteral("B2")));
    ASSERT_TRUE(ini.writeString(QStringLiteral("One"), QStringLiteral("k3"), QStringLiteral("c")));
    ASSERT_TRUE(ini.writeString(QStringLiteral("Three"), QStringLiteral("n"), QStringLiteral("v")));
    EXPECT_EQ(readFile(path),
              QByteArray("; comment\n[One]\nk1=a\nk2=B2\nk3=c\n\n[Two]\nz=1\n[Three]\nn=v\n"));
    EXPECT_EQ(ini.readSection(QStringLiteral("One")),
              (QStringList{QStringLiteral("k1"), QStringLiteral("k2"), QStringLiteral("k3")}));
}

TEST_F(IniFileTest, DeleteKeyAndEraseSectionKeepTheRest)
{
    writeFile(path, "[A]\nx=1\ny=2\nx=3\n[B]\nq=1\n[A]\nx=4\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.deleteKey(QStringLiteral("a"), QStringLiteral("X")));
    // Every copy of the key in the first block goes, so no older value surfaces.
    EXPECT_FALSE(ini.valueExists(QStringLiteral("A"), QStringLiteral("x")));
    EXPECT_EQ(readFile(path), QByteArray("[A]\ny=2\n[B]\nq=1\n[A]\nx=4\n"));
    ASSERT_TRUE(ini.eraseSection(QStringLiteral("A")));
    EXPECT_EQ(readFile(path), QByteArray("[B]\nq=1\n"));
    EXPECT_TRUE(ini.deleteKey(QStringLiteral("missing"), QStringLiteral("k")));
}

TEST_F(IniFileTest, OddContentIsReadAndKeptWhenRewritten)
{
    QByteArray odd = "orphan=before any section\r\n"
                     "[S]\r\n"
                     "=empty key\r\n"
                     "no equals sign here\r\n"
                     "latin1=\xe9t\xe9\r\n"
                     "[broken section\r\n"
                     "k=v";
    odd += "\r\n[Big]\r\nline=" + QByteArray(10 * 1024 * 1024, 'x'); // a 10 MB line, no final end
    writeFile(path, odd);
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QString()), QStringLiteral("empty key"));
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("v"));
    EXPECT_EQ(ini.readString(QStringLiteral("Big"), QStringLiteral("line")).size(),
              10 * 1024 * 1024);
    EXPECT_FALSE(ini.valueExists(QStringLiteral("S"), QStringLiteral("orphan")));

    ASSERT_TRUE(ini.writeString(QStringLiteral("S"), QStringLiteral("new"), QStringLiteral("1")));
    ASSERT_TRUE(
        ini.writeString(QStringLiteral("Big"), QStringLiteral("after"), QStringLiteral("2")));
    const QByteArray written = readFile(path);
    // Nothing that was there is lost, the file keeps CR LF, non-UTF-8 bytes survive.
    QByteArray expected = odd;
    expected.replace("k=v\r\n", "k=v\r\nnew=1\r\n");
    expected += "\r\nafter=2\r\n";
    EXPECT_EQ(written, expected);
}

TEST_F(IniFileTest, LoneCarriageReturnAtTheEndIsNotALineEnd)
{
    // Found by fuzzing: a new entry used to be glued to a last line ending in CR alone.
    writeFile(path, "[S]\nk=v\r");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString(QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("1")));
    IniFile again(path);
    EXPECT_EQ(again.readString(QStringLiteral("S"), QStringLiteral("n")), QStringLiteral("1"));
    EXPECT_EQ(again.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("v"));
}

TEST_F(IniFileTest, ValuesAndNamesThatWouldBreakTheFileAreContained)
{
    IniFile ini(path);
    // A line break in a value must not create a section on the next read.
    ASSERT_TRUE(ini.writeString(QStringLiteral("Cache"), QStringLiteral("10.0.0.1"),
                                QStringLiteral("evil\n[Main]\ncreated=never")));
    IniFile again(path);
    EXPECT_FALSE(again.sectionExists(QStringLiteral("Main")));
    EXPECT_EQ(again.readString(QStringLiteral("Cache"), QStringLiteral("10.0.0.1")),
              QStringLiteral("evil [Main] created=never"));
    EXPECT_FALSE(
        ini.writeString(QStringLiteral("Cache"), QStringLiteral("a=b"), QStringLiteral("x")));
    EXPECT_FALSE(
        ini.writeString(QStringLiteral("Ca]che"), QStringLiteral("a"), QStringLiteral("x")));
    EXPECT_FALSE(
        ini.writeString(QStringLiteral("Cache"), QStringLiteral("[x"), QStringLiteral("x")));
}

TEST_F(IniFileTest, SeesChangesMadeByAnotherWriter)
{
    IniFile a(path), b(path);
    ASSERT_TRUE(a.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1")));
    EXPECT_EQ(b.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));
    ASSERT_TRUE(b.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(a.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("2"));
    ASSERT_TRUE(a.writeString(QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("3")));
    EXPECT_EQ(readFile(path), QByteArray("[S]\nk=2\nj=3\n"));
}

TEST_F(IniFileTest, ReadIntegerAcceptsDecimalAndHex)
{
    writeFile(path, "[S]\na=42\nb=0x10\nc=abc\nd=-7\ne=0x\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("a"), 0), 42);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("b"), 0), 16);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("c"), 5), 5);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("d"), 0), -7);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("e"), 9), 9);
}

TEST_F(IniFileTest, UnwritableFolderReportsFailureAndKeepsReading)
{
    IniFile ini(QStringLiteral("/proc/wirevane-cannot-exist/x.ini"));
    EXPECT_FALSE(ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(ini.lastError().isEmpty());
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
}

// A file that is there but cannot be read is not the same as no file: it
// reads as empty, says why, and is never written over.
TEST_F(IniFileTest, UnreadableFileIsToldFromMissingAndNeverOverwritten)
{
    IniFile missing(path);
    EXPECT_EQ(missing.state(), IniFile::State::Missing);
    EXPECT_TRUE(missing.readError().isEmpty());

    // A socket node cannot be opened as a file, by root either.
    const QString node = home.file(QStringLiteral("registry.ini"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(node);
    ASSERT_LT(size_t(native.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    {
        IniFile ini(node);
        EXPECT_EQ(ini.state(), IniFile::State::Unreadable);
        EXPECT_FALSE(ini.readError().isEmpty());
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
                  QStringLiteral("d"));
        EXPECT_FALSE(
            ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        EXPECT_TRUE(ini.lastError().contains(QStringLiteral("not written over")))
            << ini.lastError().toStdString();
        struct stat st;
        ASSERT_EQ(::stat(native.constData(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
    }
    ::close(fd);

    if (geteuid() == 0)
        return; // permissions do not stop root
    writeFile(path, "[S]\nk=kept\n");
    QFile::setPermissions(path, QFile::WriteOwner);
    IniFile ini(path);
    EXPECT_EQ(ini.state(), IniFile::State::Unreadable);
    EXPECT_FALSE(
        ini.writeString(QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("v")));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readFile(path), QByteArray("[S]\nk=kept\n"));
    // Readable again, it is read and written as usual.
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("kept"));
    EXPECT_TRUE(ini.writeString(QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("v")));
}
