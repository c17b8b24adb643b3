#include "tools/porttest/PlainText.h"

#include <QStringDecoder>

namespace wv {

namespace {

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

QString plainText(const QByteArray &bytes)
{
    const QString in = decode(bytes);
    QString out;
    out.reserve(in.size());
    const qsizetype n = in.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in.at(i).unicode();
        if (c == 0x1b) {
            if (i + 1 >= n)
                break;
            const char16_t next = in.at(i + 1).unicode();
            if (next == u'[') {
                // CSI: parameters and intermediates up to a final byte 0x40-0x7e.
                i += 2;
                while (i < n && !(in.at(i).unicode() >= 0x40 && in.at(i).unicode() <= 0x7e))
                    ++i;
            } else if (next == u']' || next == u'P' || next == u'_' || next == u'^') {
                // OSC and other strings, ended by BEL or ST (ESC \).
                i += 2;
                while (i < n && in.at(i).unicode() != 0x07 &&
                       !(in.at(i).unicode() == 0x1b && i + 1 < n && in.at(i + 1) == u'\\'))
                    ++i;
                if (i < n && in.at(i).unicode() == 0x1b)
                    ++i;
            } else if (next == u'(' || next == u')' || next == u'#') {
                i += 2; // character set designations take one more byte
            } else {
                i += 1;
            }
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            const char16_t other = c == u'\r' ? u'\n' : u'\r';
            if (i + 1 < n && in.at(i + 1).unicode() == other)
                ++i;
            out += QLatin1Char('\n');
            continue;
        }
        if (c == u'\t' || (c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0)))
            out += QChar(c);
    }
    return out;
}

} // namespace wv
