// Server replies through the receive buffer and the EHLO keyword reader, and
// arbitrary text through the encoders: nothing may crash, lines stay bounded,
// and the encoders' output keeps to the characters their standards allow.
#include "rules/mail/MailText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    wv::mail::LineBuffer buffer;
    wv::mail::EhloExtensions ext;
    // Fed in uneven pieces, as a socket hands them over.
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype n = 1 + (static_cast<unsigned char>(bytes.at(at)) % 97);
        buffer.append(bytes.mid(at, n));
        at += n;
        QByteArray line;
        while (buffer.takeLine(line)) {
            if (line.size() > wv::mail::LineBuffer::MaxLine || line.contains("\r\n"))
                std::abort();
            ext.addLine(QString::fromLatin1(line));
        }
    }
    const QString text = QString::fromUtf8(bytes);
    for (const QChar c : wv::mail::encodeHeader(text)) {
        if (c.unicode() < 32 || c.unicode() > 126)
            std::abort();
    }
    const QByteArray qp = wv::mail::encodeQuotedPrintable(bytes);
    for (const char c : qp) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 126 || (u < 32 && c != '\r' && c != '\n'))
            std::abort();
    }
    wv::mail::dotStuff(bytes);
    wv::mail::splitLines(text);
    wv::mail::splitRecipient(text);
    return 0;
}
