#include "rules/mail/MailText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

namespace wv::mail {

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString current;
    bool pendingLine = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            pendingLine = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current.append(c);
            pendingLine = true;
        }
    }
    if (pendingLine)
        lines.append(current);
    return lines;
}

Recipient splitRecipient(const QString &line)
{
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {line.trimmed(), QString()};
    return {line.left(bar).trimmed(), line.mid(bar + 1).trimmed()};
}

namespace {

bool plainHeaderText(const QString &text)
{
    for (const QChar c : text) {
        // Control characters would let a text break its header line.
        if (c.unicode() < 32 || c.unicode() > 126)
            return false;
    }
    return true;
}

bool qSafe(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '!' ||
           c == '*' || c == '+' || c == '-' || c == '/';
}

const char kHex[] = "0123456789ABCDEF";

} // namespace

QString encodeHeader(const QString &text)
{
    if (plainHeaderText(text))
        return text;
    bool latin1 = true;
    for (const QChar c : text) {
        if (c.unicode() > 255)
            latin1 = false;
    }
    const QByteArray bytes = latin1 ? text.toLatin1() : text.toUtf8();
    QByteArray out = latin1 ? "=?ISO-8859-1?Q?" : "=?UTF-8?Q?";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == ' ') {
            out += '_';
        } else if (qSafe(c)) {
            out += c;
        } else {
            out += '=';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    out += "?=";
    return QString::fromLatin1(out);
}

bool needsQuotedPrintable(const QByteArray &body)
{
    for (const char c : body) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 10 || u == 11 || u == 12 || (u >= 14 && u <= 31) || u > 127)
            return true;
    }
    return false;
}

QByteArray encodeQuotedPrintable(const QByteArray &body)
{
    constexpr int MaxLen = 76;
    QByteArray out;
    out.reserve(body.size() * 3 / 2);
    qsizetype lineLen = 0;
    auto put = [&](const QByteArray &piece) {
        // Room for a soft break's "=" must stay on the line.
        if (lineLen + piece.size() > MaxLen - 1) {
            out += "=\r\n";
            lineLen = 0;
        }
        out += piece;
        lineLen += piece.size();
    };
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body.at(i);
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r' && i + 1 < body.size() && body.at(i + 1) == '\n') {
            out += "\r\n";
            lineLen = 0;
            ++i;
            continue;
        }
        const bool atLineEnd =
            i + 1 == body.size() ||
            (body.at(i + 1) == '\r' && i + 2 < body.size() && body.at(i + 2) == '\n');
        const bool literal =
            (u >= 33 && u <= 126 && c != '=') || ((c == ' ' || c == '\t') && !atLineEnd);
        if (literal) {
            put(QByteArray(1, c));
        } else {
            const char enc[3] = {'=', kHex[u >> 4], kHex[u & 15]};
            put(QByteArray(enc, 3));
        }
    }
    return out;
}

QByteArray dotStuff(const QByteArray &body)
{
    QByteArray out;
    out.reserve(body.size() + 16);
    bool lineStart = true;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body.at(i);
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n' && i > 0 && body.at(i - 1) == '\r';
    }
    return out;
}

QString rfc5322Date(const QDateTime &when)
{
    const QLocale c = QLocale::c();
    const int offset = when.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return c.toString(when, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1%2")
               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QString newMessageId(const QString &fromAddress, const QString &hostName)
{
    QString domain = fromAddress.mid(fromAddress.lastIndexOf(QLatin1Char('@')) + 1);
    if (!fromAddress.contains(QLatin1Char('@')) || domain.isEmpty())
        domain = hostName.isEmpty() ? QStringLiteral("localhost") : hostName;
    return QLatin1Char('<') + QUuid::createUuid().toString(QUuid::WithoutBraces) +
           QStringLiteral(".wvn@") + domain + QLatin1Char('>');
}

bool LineBuffer::takeLine(QByteArray &line)
{
    const qsizetype end = m_buffer.indexOf("\r\n");
    if (end < 0) {
        if (m_buffer.size() < MaxLine)
            return false;
        line = m_buffer.left(MaxLine);
        m_buffer.remove(0, MaxLine);
        return true;
    }
    line = m_buffer.left(end);
    m_buffer.remove(0, end + 2);
    return true;
}

void EhloExtensions::addLine(const QString &replyLine)
{
    // "250-STARTTLS", "250 AUTH PLAIN LOGIN", "250-AUTH=LOGIN" (old form).
    const QString text = replyLine.mid(4).trimmed();
    QStringList words = text.split(QRegularExpression(QStringLiteral("[ =]")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    const QString keyword = words.takeFirst().toUpper();
    if (keyword == QLatin1String("STARTTLS")) {
        startTls = true;
    } else if (keyword == QLatin1String("AUTH")) {
        for (const QString &w : words) {
            const QString m = w.toUpper();
            if (!auth.contains(m))
                auth.append(m);
        }
    }
}

} // namespace wv::mail
