// The pieces of a message: line splitting, recipients, the header encoder,
// quoted-printable, dot-stuffing, the receive buffer and EHLO keywords.
#include "rules/mail/MailText.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace wv::mail;

TEST(MailText, SplitsAtEveryKindOfLineEnd)
{
    EXPECT_EQ(splitLines(QStringLiteral("a\rb\nc\r\nd")), QStringList({"a", "b", "c", "d"}));
    // Two carriage returns in a row give an empty line; a final line end
    // gives no empty last line.
    EXPECT_EQ(splitLines(QStringLiteral("date\r\rtext\r")), QStringList({"date", "", "text"}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());

    const Recipient plain = splitRecipient(QStringLiteral("a@example.org"));
    EXPECT_EQ(plain.address, QStringLiteral("a@example.org"));
    EXPECT_TRUE(plain.name.isEmpty());
    // The name is everything after the first bar.
    const Recipient named = splitRecipient(QStringLiteral("b@example.org|Night | Desk"));
    EXPECT_EQ(named.address, QStringLiteral("b@example.org"));
    EXPECT_EQ(named.name, QStringLiteral("Night | Desk"));
}

TEST(MailText, HeaderEncoderLeavesAsciiAndEncodesTheRest)
{
    EXPECT_EQ(encodeHeader(QStringLiteral("[WVN] WVN Alert")), QStringLiteral("[WVN] WVN Alert"));
    EXPECT_EQ(encodeHeader(QStringLiteral("Caf\u00e9 au lait")),
              QStringLiteral("=?ISO-8859-1?Q?Caf=E9_au_lait?="));
    // Beyond Latin-1 the word is UTF-8.
    EXPECT_EQ(encodeHeader(QStringLiteral("\u20ac=?")),
              QStringLiteral("=?UTF-8?Q?=E2=82=AC=3D=3F?="));
    // A line break cannot end the header line early.
    const QString injected = encodeHeader(QStringLiteral("hi\r\nBcc: x@y"));
    EXPECT_FALSE(injected.contains(QLatin1Char('\r')));
    EXPECT_FALSE(injected.contains(QLatin1Char('\n')));
    EXPECT_TRUE(injected.startsWith(QStringLiteral("=?ISO-8859-1?Q?hi=0D=0A")));
}

TEST(MailText, QuotedPrintableOnlyWhenTheBodyNeedsIt)
{
    EXPECT_FALSE(needsQuotedPrintable("plain text\r\nwith lines\r\n"));
    EXPECT_TRUE(needsQuotedPrintable("tab\there"));
    EXPECT_TRUE(needsQuotedPrintable("bell\x07"));
    EXPECT_TRUE(needsQuotedPrintable("caf\xc3\xa9"));

    EXPECT_EQ(encodeQuotedPrintable("caf\xc3\xa9 = 1\r\nend \r\n"),
              QByteArray("caf=C3=A9 =3D 1\r\nend=20\r\n"));
    // Long lines get soft breaks and no encoded line passes 76 characters;
    // decoding gives the original back.
    QByteArray lon;
    for (int i = 0; i < 300; ++i)
        lon += char('a' + i % 26) + QByteArray(i % 7 == 0 ? "\xe9" : "");
    lon += "\r\nnext\r\n";
    const QByteArray enc = encodeQuotedPrintable(lon);
    QByteArray decoded;
    for (const QByteArray &line : enc.split('\n')) {
        QByteArray l = line;
        if (l.endsWith('\r'))
            l.chop(1);
        EXPECT_LE(l.size(), 76);
        const bool soft = l.endsWith('=');
        if (soft)
            l.chop(1);
        for (qsizetype i = 0; i < l.size(); ++i) {
            if (l[i] == '=') {
                decoded += char(l.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                decoded += l[i];
            }
        }
        if (!soft)
            decoded += "\r\n";
    }
    decoded.chop(2); // the split's last empty piece
    EXPECT_EQ(decoded, lon);
}

TEST(MailText, DotStuffingDoublesALeadingDot)
{
    EXPECT_EQ(dotStuff(".hidden\r\nmid.dle\r\n.\r\n..\r\n"),
              QByteArray("..hidden\r\nmid.dle\r\n..\r\n...\r\n"));
    EXPECT_EQ(dotStuff("no dots\r\n"), QByteArray("no dots\r\n"));
}

TEST(MailText, DateAndMessageId)
{
    const QDateTime when(QDate(2026, 12, 9), QTime(8, 5, 3), QTimeZone(-5 * 3600));
    EXPECT_EQ(rfc5322Date(when), QStringLiteral("Wed, 09 Dec 2026 08:05:03 -0500"));
    const QString id = newMessageId(QStringLiteral("alerts@example.org"), QStringLiteral("box"));
    EXPECT_TRUE(id.startsWith(QLatin1Char('<')) && id.endsWith(QStringLiteral("@example.org>")));
    EXPECT_NE(id, newMessageId(QStringLiteral("alerts@example.org"), QStringLiteral("box")));
    EXPECT_TRUE(newMessageId(QString(), QStringLiteral("box")).endsWith(QStringLiteral("@box>")));
}

TEST(MailText, LineBufferKeepsPartialLinesAndBoundsLongOnes)
{
    LineBuffer b;
    QByteArray line;
    b.append("220 hel");
    EXPECT_FALSE(b.takeLine(line));
    b.append("lo\r\n250-a\r\n250 b");
    ASSERT_TRUE(b.takeLine(line));
    EXPECT_EQ(line, QByteArray("220 hello"));
    ASSERT_TRUE(b.takeLine(line));
    EXPECT_EQ(line, QByteArray("250-a"));
    EXPECT_FALSE(b.takeLine(line));
    EXPECT_EQ(b.pending(), 5);
    b.clear();
    b.append(QByteArray(LineBuffer::MaxLine + 10, 'x'));
    ASSERT_TRUE(b.takeLine(line));
    EXPECT_EQ(line.size(), LineBuffer::MaxLine);
    EXPECT_FALSE(b.takeLine(line));
}

TEST(MailText, EhloKeywords)
{
    EhloExtensions e;
    e.addLine(QStringLiteral("250-SIZE 1000"));
    e.addLine(QStringLiteral("250-starttls"));
    e.addLine(QStringLiteral("250-AUTH=LOGIN"));
    e.addLine(QStringLiteral("250 AUTH plain LOGIN CRAM-MD5"));
    EXPECT_TRUE(e.startTls);
    EXPECT_EQ(e.auth, QStringList({"LOGIN", "PLAIN", "CRAM-MD5"}));
}
