// Look-ups in well-formed and damaged port database files.

#include "monitor/portdb/PortDatabase.h"
#include "monitor/portdb/PortDatabaseWriter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::writeFile;

namespace {

// Builds a database image byte by byte so that any field can be damaged.
class Image
{
public:
    // Magic plus an index for ports 0..indexPorts-1, all entries 0.
    explicit Image(int indexPorts = 8)
    {
        bytes.append(PortDatabase::kMagic, PortDatabase::kMagicSize);
        bytes.append(QByteArray(4 * indexPorts, '\0'));
    }
    void putU32(qsizetype at, quint32 value)
    {
        if (bytes.size() < at + 4)
            bytes.resize(at + 4, '\0');
        qToLittleEndian(value, bytes.data() + at);
    }
    void setIndex(int port, quint32 offset) { putU32(15 + 4 * port, offset); }
    // Appends a record and points the index of indexPort at it.
    qsizetype addRecord(int indexPort, qint32 recordPort, const QByteArray &block,
                        qint64 length = -1)
    {
        const qsizetype at = bytes.size();
        putU32(at, static_cast<quint32>(recordPort));
        putU32(at + 4, static_cast<quint32>(length < 0 ? block.size() : length));
        bytes += block;
        setIndex(indexPort, static_cast<quint32>(at));
        return at;
    }
    static QByteArray block(std::initializer_list<const char *> texts)
    {
        QByteArray b;
        for (const char *t : texts) {
            b += t;
            b += '\0';
        }
        return b;
    }
    QByteArray bytes;
};

class LoadPortTest : public wv::test::HomeTest
{
protected:
    // Writes the image and looks port up; returns the failure text ("" when found).
    QString lookUp(const QByteArray &bytes, qint32 port)
    {
        const QString path = home.file(QStringLiteral("portdb.qpd"));
        writeFile(path, bytes);
        QString failure = QStringLiteral("unset");
        info = TPortInfo{};
        LoadPort(path, port, info, &failure);
        EXPECT_EQ(info.Found, failure.isEmpty()) << failure.toStdString();
        return failure;
    }
    TPortInfo info;
};

} // namespace

TEST_F(LoadPortTest, ReadsRecordsAnywhereBehindTheIndex)
{
    Image img(4);
    // Port 3's record comes first in the file, port 0's second.
    img.addRecord(3, 3, Image::block({"three", "tcp", "Third", "Details\nof three"}));
    img.addRecord(0, 0, Image::block({"zero", "udp", "Port zero", ""}));
    EXPECT_EQ(lookUp(img.bytes, 0), QString());
    EXPECT_EQ(info.Port, 0);
    EXPECT_EQ(info.Name, QStringLiteral("zero"));
    EXPECT_EQ(info.Text2, QStringLiteral("udp"));
    EXPECT_EQ(info.Text3, QStringLiteral("Port zero"));
    EXPECT_EQ(info.Text4, QString());
    EXPECT_EQ(lookUp(img.bytes, 3), QString());
    EXPECT_EQ(info.Name, QStringLiteral("three"));
    EXPECT_EQ(info.Text4, QStringLiteral("Details\nof three"));
    EXPECT_EQ(info.displayLines(), QStringList({"[three]", "Third", "", "Details\nof three"}));
}

TEST_F(LoadPortTest, FourEmptyStringsAreARecord)
{
    Image img;
    img.addRecord(5, 5, QByteArray(4, '\0'));
    EXPECT_EQ(lookUp(img.bytes, 5), QString());
    EXPECT_EQ(info.displayLines(), QStringList({"[]", "", "", ""}));
}

TEST_F(LoadPortTest, BytesAfterTheFourthStringAreIgnored)
{
    Image img;
    img.addRecord(1, 1, Image::block({"a", "b", "c", "d"}) + "trailing");
    EXPECT_EQ(lookUp(img.bytes, 1), QString());
    EXPECT_EQ(info.Text4, QStringLiteral("d"));
}

TEST_F(LoadPortTest, WrongMagicIsAnInvalidDatabase)
{
    Image img;
    img.addRecord(1, 1, Image::block({"a", "b", "c", "d"}));
    for (const QByteArray &magic : {QByteArray("Quillmark QPD 2"), QByteArray("quillmark qpd 1"),
                                    QByteArray("Quillmark\0QPD 1", 15), QByteArray(15, '\0')}) {
        QByteArray bytes = img.bytes;
        bytes.replace(0, 15, magic);
        EXPECT_EQ(lookUp(bytes, 1), QLatin1String(PortDatabase::kInvalidDatabase));
    }
    EXPECT_EQ(lookUp("Quillmark", 0), QLatin1String(PortDatabase::kReadError));
    EXPECT_EQ(lookUp(QByteArray(), 0), QLatin1String(PortDatabase::kReadError));
}

TEST_F(LoadPortTest, MissingOrUnreachableRecordsAreNotFound)
{
    Image img(4);
    img.addRecord(2, 2, Image::block({"a", "b", "c", "d"}));
    // An index entry of 0.
    EXPECT_EQ(lookUp(img.bytes, 1), QLatin1String(PortDatabase::kPortNotFound));
    // A file that ends inside the index: beyond it, and in the middle of an entry.
    const QByteArray shortIndex = img.bytes.left(15 + 4 * 3);
    EXPECT_EQ(lookUp(shortIndex, 200), QLatin1String(PortDatabase::kReadError));
    EXPECT_EQ(lookUp(img.bytes.left(15 + 4 * 2 + 3), 2), QLatin1String(PortDatabase::kReadError));
    // An entry that points past the end of the file.
    Image far(4);
    far.setIndex(1, 1000000);
    EXPECT_EQ(lookUp(far.bytes, 1), QLatin1String(PortDatabase::kReadError));
}

TEST_F(LoadPortTest, TruncatedRecordsAreNotFound)
{
    Image img(4);
    const qsizetype at = img.addRecord(1, 1, Image::block({"name", "tcp", "text", "more"}));
    // The file ends inside the record header.
    for (int keep : {0, 3, 4, 7})
        EXPECT_EQ(lookUp(img.bytes.left(at + keep), 1), QLatin1String(PortDatabase::kReadError))
            << keep;
    // The file ends inside the text block.
    EXPECT_EQ(lookUp(img.bytes.left(img.bytes.size() - 1), 1),
              QLatin1String(PortDatabase::kReadError));
    // A length far beyond the file must fail without allocating it.
    Image huge(4);
    huge.addRecord(1, 1, Image::block({"a", "b", "c", "d"}), 0xFFFFFFFFLL);
    EXPECT_EQ(lookUp(huge.bytes, 1), QLatin1String(PortDatabase::kReadError));
}

TEST_F(LoadPortTest, RecordOfAnotherPortIsCorrupt)
{
    Image img(4);
    img.addRecord(1, 2, Image::block({"a", "b", "c", "d"}));
    img.addRecord(3, -3, Image::block({"a", "b", "c", "d"}));
    EXPECT_EQ(lookUp(img.bytes, 1), QLatin1String(PortDatabase::kCorruptDatabase));
    EXPECT_EQ(lookUp(img.bytes, 3), QLatin1String(PortDatabase::kCorruptDatabase));
}

TEST_F(LoadPortTest, TextBlockMustHoldFourTerminatorsWithinItsLength)
{
    Image img(4);
    // No terminator at all, and only three within L although the file goes on
    // with a NUL right behind the block.
    img.addRecord(1, 1, QByteArray("abcdefgh"));
    img.addRecord(2, 2, Image::block({"a", "b", "c"}) + "dd");
    img.bytes += QByteArray(8, '\0');
    EXPECT_EQ(lookUp(img.bytes, 1), QLatin1String(PortDatabase::kCorruptDatabase));
    EXPECT_EQ(lookUp(img.bytes, 2), QLatin1String(PortDatabase::kCorruptDatabase));
    // An empty block.
    Image empty(4);
    empty.addRecord(1, 1, QByteArray());
    EXPECT_EQ(lookUp(empty.bytes, 1), QLatin1String(PortDatabase::kCorruptDatabase));
}

TEST_F(LoadPortTest, PortsOutsideTheSixteenBitRangeAreNotFound)
{
    // A full index followed by a record that names port 65536 and whose
    // bytes sit exactly where an unchecked index entry 65536 would be read.
    Image img(PortDatabase::kPortCount);
    const qsizetype at = img.bytes.size();
    img.putU32(at, static_cast<quint32>(at + 8));
    img.putU32(at + 4, 0);
    img.putU32(at + 8, 65536);
    img.putU32(at + 12, 4);
    img.bytes += QByteArray(4, '\0');
    for (qint32 port :
         {65536, -1, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()})
        EXPECT_EQ(lookUp(img.bytes, port), QLatin1String(PortDatabase::kPortNotFound)) << port;
}

TEST_F(LoadPortTest, OnlyAFileThatCannotBeOpenedThrows)
{
    TPortInfo result;
    const QString missing = home.file(QStringLiteral("nowhere/portdb.qpd"));
    EXPECT_THROW(LoadPort(missing, 22, result), EPortDatabaseOpenError);
    try {
        LoadPort(missing, 22, result);
    } catch (const EPortDatabaseOpenError &e) {
        EXPECT_TRUE(e.message().contains(missing));
    }
}

TEST_F(LoadPortTest, TextIsUtf8WithWindows1252Fallback)
{
    Image img;
    img.addRecord(1, 1,
                  Image::block({"caf\xc3\xa9", "",
                                "Gr\xfc\xdf"
                                "e",
                                // Curly quotes, euro sign, dash and trade mark of
                                // an 8-bit Windows text; 0x81 has no character.
                                "\x93quoted\x94 \x80 5 \x96 Brand\x99 \x81"}));
    EXPECT_EQ(lookUp(img.bytes, 1), QString());
    EXPECT_EQ(info.Name, QStringLiteral("caf\u00e9"));
    EXPECT_EQ(info.Text3, QStringLiteral("Gr\u00fc\u00dfe"));
    EXPECT_EQ(info.Text4, QStringLiteral("\u201cquoted\u201d \u20ac 5 \u2013 Brand\u2122 \u0081"));
}

TEST_F(LoadPortTest, WriterImagesReadBack)
{
    PortDatabaseWriter writer;
    EXPECT_FALSE(writer.add(-1, {}));
    EXPECT_FALSE(writer.add(65536, {}));
    EXPECT_FALSE(writer.add(7, {QString::fromLatin1("a\0b", 3), {}, {}, {}}));
    ASSERT_TRUE(writer.add(65535, {"last", "udp", "Last port", "Text\nwith lines"}));
    ASSERT_TRUE(writer.add(0, {"first", "tcp", "First port", QStringLiteral("\u00e9t\u00e9")}));
    ASSERT_TRUE(writer.add(80, {"old", "", "", ""}));
    ASSERT_TRUE(writer.add(80, {"http", "tcp", "Web", ""}));
    EXPECT_EQ(writer.count(), 3);

    const QByteArray bytes = writer.toBytes();
    EXPECT_EQ(bytes, writer.toBytes());
    // The first record lies right behind the full index.
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 15), 262159u);

    const QString path = home.file(QStringLiteral("out/portdb.qpd"));
    QString error;
    ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("out"))));
    ASSERT_TRUE(writer.writeFile(path, &error)) << error.toStdString();
    EXPECT_EQ(wv::test::readFile(path), bytes);

    struct Expect
    {
        int port;
        const char *name;
        QString text4;
    };
    for (const Expect &e :
         {Expect{0, "first", QStringLiteral("\u00e9t\u00e9")}, Expect{80, "http", QString()},
          Expect{65535, "last", QStringLiteral("Text\nwith lines")}}) {
        TPortInfo result;
        LoadPort(path, e.port, result);
        EXPECT_TRUE(result.Found) << e.port;
        EXPECT_EQ(result.Name, QLatin1String(e.name));
        EXPECT_EQ(result.Text4, e.text4);
    }
    TPortInfo none;
    LoadPort(path, 81, none);
    EXPECT_FALSE(none.Found);
    EXPECT_EQ(none.displayLines(), QStringList{QStringLiteral("Port not found.")});
}
