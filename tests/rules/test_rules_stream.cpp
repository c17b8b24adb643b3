#include "rules/RuleError.h"
#include "rules/RuleList.h"
#include "tests/rules/RuleFixtures.h"

#include <QBuffer>
#include <QtEndian>

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

using namespace wv;
using wv::test::hexFixture;

namespace {

QByteArray save(const TRuleList &list)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    EXPECT_TRUE(list.SaveToStream(&b));
    return b.data();
}

// Loads bytes into list; returns the message of the failure, empty on success.
QString load(TRuleList &list, const QByteArray &bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    try {
        EXPECT_TRUE(list.LoadFromStream(&b));
        return {};
    } catch (const ERuleError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromStdString(e.what());
    }
}

// A pipe-like device: no size, no seeking.
class SequentialBuffer : public QIODevice
{
public:
    explicit SequentialBuffer(QByteArray data) : m_data(std::move(data)) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *to, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, m_data.size() - m_pos);
        if (n > 0)
            std::memcpy(to, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

QByteArray le32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

// Header, count, and one record with every text empty but Message.
QByteArray oneRuleFile(const QByteArray &messageLength, const QByteArray &message,
                       const QByteArray &count = le32(1))
{
    QByteArray f = hexFixture(QStringLiteral("empty.hex")).left(13) + count;
    f += QByteArray::fromHex("00000000 0001 00000000");
    f += le32(0) + le32(0) + le32(0) + messageLength + message + le32(0) + le32(0) + le32(0);
    return f + "End";
}

const QString LoadError = QStringLiteral("Error loading from stream");
const QString VersionError = QStringLiteral(
    "The stream does not contain valid rule data or the data is of a previous version");

} // namespace

TEST(RulesStream, EmptyListIsTheTwentyByteFile)
{
    const QByteArray golden = hexFixture(QStringLiteral("empty.hex"));
    ASSERT_EQ(golden.size(), 20);
    TRuleList list;
    list.Add();
    EXPECT_EQ(load(list, golden), QString());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(save(list), golden);
}

TEST(RulesStream, GoldenFileLoadsAndSavesByteForByte)
{
    const QByteArray golden = hexFixture(QStringLiteral("three_rules.hex"));
    ASSERT_EQ(golden.size(), wv::test::ThreeRulesTrailer + 3);
    TRuleList list;
    EXPECT_EQ(load(list, golden), QString());
    wv::test::expectThreeRulesPrefix(list, 3);
    EXPECT_EQ(save(list), golden);

    // The same from a pipe, which cannot tell how much is left.
    SequentialBuffer pipe(golden);
    pipe.open(QIODevice::ReadOnly);
    TRuleList again;
    EXPECT_TRUE(again.LoadFromStream(&pipe));
    wv::test::expectThreeRulesPrefix(again, 3);
}

TEST(RulesStream, LoadReplacesTheListAndResetsSessionState)
{
    TRuleList list;
    TRule *old = list.Add();
    old->IgnoredThisSession = 1;
    TRule outside;
    outside.Assign(old);
    EXPECT_EQ(load(list, hexFixture(QStringLiteral("three_rules.hex"))), QString());
    wv::test::expectThreeRulesPrefix(list, 3);
    // The old rule is gone, and nothing points at it any more.
    EXPECT_EQ(outside.Partner, nullptr);
}

TEST(RulesStream, EveryTruncationFailsCleanlyAndKeepsCompleteRules)
{
    const QByteArray golden = hexFixture(QStringLiteral("three_rules.hex"));
    const qsizetype r1 = 17 + 40, r2 = wv::test::ThreeRulesRecord2,
                    trailer = wv::test::ThreeRulesTrailer;
    for (qsizetype cut = 0; cut < golden.size(); ++cut) {
        SCOPED_TRACE(cut);
        TRuleList list;
        const QString msg = load(list, golden.left(cut));
        const int complete = cut >= trailer ? 3 : cut >= r2 ? 2 : cut >= r1 ? 1 : 0;
        wv::test::expectThreeRulesPrefix(list, cut < 13 ? 0 : complete);
        if (cut < 13 || cut >= trailer)
            EXPECT_EQ(msg, QStringLiteral("Stream read error"));
        else
            EXPECT_EQ(msg, LoadError);
    }
}

TEST(RulesStream, HeaderAndTrailerFaults)
{
    QByteArray bytes = hexFixture(QStringLiteral("three_rules.hex"));
    TRuleList list;

    QByteArray oldVersion = bytes;
    oldVersion[9] = char(0xa8); // 12456
    EXPECT_EQ(load(list, oldVersion), VersionError);
    EXPECT_EQ(list.Count(), 0);

    QByteArray badMarker = bytes;
    badMarker[0] = 'q';
    EXPECT_EQ(load(list, badMarker), VersionError);
    EXPECT_EQ(list.Count(), 0);

    QByteArray badTrailer = bytes;
    badTrailer[badTrailer.size() - 1] = 'D';
    EXPECT_EQ(load(list, badTrailer), QStringLiteral("Unexpected end of stream"));
    wv::test::expectThreeRulesPrefix(list, 3);

    // Bytes after the trailer are not read.
    EXPECT_EQ(load(list, bytes + "junk"), QString());
    wv::test::expectThreeRulesPrefix(list, 3);
}

TEST(RulesStream, TextLengthLimits)
{
    TRuleList list;
    TRule *r = list.Add();
    r->Message = QString(32768, QLatin1Char('x'));
    const QByteArray atLimit = save(list);
    EXPECT_EQ(atLimit, oneRuleFile(le32(32768), QByteArray(32768, 'x')));
    TRuleList back;
    EXPECT_EQ(load(back, atLimit), QString());
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Rule(0)->Message.size(), 32768);

    // One byte over: refused on writing, with nothing written...
    r->Message += QLatin1Char('x');
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    try {
        list.SaveToStream(&out);
        ADD_FAILURE() << "saved an over-long text";
    } catch (const ERuleError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("String too long"));
    }
    EXPECT_TRUE(out.data().isEmpty());
    // ...and the limit counts bytes, not characters.
    r->Message = QString(16385, QChar(0xe9));
    EXPECT_THROW(list.SaveToStream(&out), ERuleError);

    // ...and refused on reading, like negative lengths, keeping earlier rules.
    const QByteArray good = hexFixture(QStringLiteral("three_rules.hex"));
    const qsizetype messageLength = wv::test::ThreeRulesRecord2 + 10 + 4 + 2 + 4 + 4 + 5;
    ASSERT_EQ(good.mid(messageLength, 4), le32(5));
    for (qint32 bad : {32769, -1, -32768, INT32_MIN}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(load(back, oneRuleFile(le32(bad), QByteArray(32769, 'x'))), LoadError);
        EXPECT_EQ(back.Count(), 0);
        QByteArray patched = good;
        patched.replace(messageLength, 4, le32(bad));
        EXPECT_EQ(load(back, patched), LoadError);
        wv::test::expectThreeRulesPrefix(back, 2);
    }
}

TEST(RulesStream, HugeCountWithShortFileStopsAtTheData)
{
    // Two billion records announced, one present: no attempt to make room for
    // the rest, and the one present is kept.
    const QByteArray bytes = oneRuleFile(le32(32), QByteArray(32, 'm'), le32(INT32_MAX));
    TRuleList list;
    EXPECT_EQ(load(list, bytes.left(bytes.size() - 3)), LoadError);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Rule(0)->Message, QString(32, QLatin1Char('m')));

    // A count of zero or below reads no records.
    for (qint32 count : {0, -1, INT32_MIN}) {
        EXPECT_EQ(
            load(list, hexFixture(QStringLiteral("empty.hex")).left(13) + le32(count) + "End"),
            QString());
        EXPECT_EQ(list.Count(), 0);
    }
}

TEST(RulesStream, TextsStopAtZeroByteAndKeepNonAsciiCharacters)
{
    TRuleList list;
    EXPECT_EQ(load(list, oneRuleFile(le32(5), QByteArray("ab\0cd", 5))), QString());
    EXPECT_EQ(list.Rule(0)->Message, QStringLiteral("ab"));

    // UTF-8 is read as such; bytes that are not UTF-8 come from older
    // single-byte files and are read as Latin-1.
    EXPECT_EQ(load(list, oneRuleFile(le32(2), QByteArray("\xc3\xa9", 2))), QString());
    EXPECT_EQ(list.Rule(0)->Message, QString(QChar(0xe9)));
    EXPECT_EQ(load(list, oneRuleFile(le32(2), QByteArray("\xe9!", 2))), QString());
    EXPECT_EQ(list.Rule(0)->Message, QString(QChar(0xe9)) + QLatin1Char('!'));

    list.Rule(0)->Message = QStringLiteral("caf\u00e9 \u2192 \U0001F600");
    TRuleList back;
    EXPECT_EQ(load(back, save(list)), QString());
    EXPECT_EQ(back.Rule(0)->Message, list.Rule(0)->Message);
}

TEST(RulesStream, WriteFailuresAreReported)
{
    TRuleList list;
    list.Add();
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    try {
        list.SaveToStream(&readOnly);
        ADD_FAILURE() << "wrote to a read-only stream";
    } catch (const ERuleError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Error saving to stream"));
    }
    EXPECT_THROW(list.SaveToStream(nullptr), ERuleError);

    list.Items().push_back(nullptr);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_THROW(list.SaveToStream(&out), ERuleError);
    EXPECT_TRUE(out.data().isEmpty());
    list.Items().pop_back();
}
