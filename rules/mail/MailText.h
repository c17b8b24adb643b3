#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace wv::mail {

// Splits a text into lines at carriage return, line feed or both; every
// carriage return ends a line, so two in a row give an empty line. A text
// that ends with a line end gives no empty last line.
QStringList splitLines(const QString &text);

// A recipient line is "address" or "address|display name"; the part after the
// first "|" is the name.
struct Recipient
{
    QString address;
    QString name;
};
Recipient splitRecipient(const QString &line);

// A header text as it may stand in a header line: unchanged when every
// character is printable ASCII, else one RFC 2047 "Q" encoded word
// (ISO-8859-1 when the text fits it, UTF-8 otherwise).
QString encodeHeader(const QString &text);

// Whether a body needs quoted-printable: any byte below 10, 11 or 12, 14 to
// 31, or above 127.
bool needsQuotedPrintable(const QByteArray &body);

// RFC 2045 quoted-printable of a body whose lines end with CR LF: hard line
// breaks stay, lines are kept to 76 characters with soft breaks, "=" and
// bytes outside printable ASCII are written as "=XX", as is a blank or tab
// before a line end.
QByteArray encodeQuotedPrintable(const QByteArray &body);

// Doubles the "." that starts a line (lines end with CR LF), so that no body
// line can end the DATA phase early.
QByteArray dotStuff(const QByteArray &body);

// RFC 5322 date: "Wed, 09 Dec 2026 08:40:00 +0100".
QString rfc5322Date(const QDateTime &when);
// "<unique@domain>"; the domain is the sender address's, else the host name.
QString newMessageId(const QString &fromAddress, const QString &hostName);

// Cuts the complete CR LF lines out of a receive buffer; a partial line stays
// in the buffer for the next bytes. Lines come without their line end.
class LineBuffer
{
public:
    // Lines longer than this are cut into pieces, so that a peer that never
    // sends a line end cannot grow the buffer without bound.
    static constexpr qsizetype MaxLine = 4096;

    void append(const QByteArray &bytes) { m_buffer += bytes; }
    bool takeLine(QByteArray &line);
    void clear() { m_buffer.clear(); }
    qsizetype pending() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
};

// The extensions an EHLO reply advertises: the keyword of every line after
// the first, upper-cased, with its parameters ("AUTH" -> "PLAIN LOGIN").
struct EhloExtensions
{
    bool startTls = false;
    QStringList auth; // mechanisms, upper-case
    void addLine(const QString &replyLine);
};

} // namespace wv::mail
