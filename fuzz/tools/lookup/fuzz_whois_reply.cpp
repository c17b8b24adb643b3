// A WHOIS reply as the server sends it: decoded, notice stripped, contact
// handles and referrals looked for.
#include "tools/lookup/WhoisText.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    (void)wv::StripNotice(text);
    (void)wv::FindReferral(text);
    for (const char *label : {"Administrative Contact", "Technical Contact", "Billing Contact"})
        (void)wv::ContactHandle(text, QString::fromLatin1(label));
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    (void)wv::ParseWhoisServer(firstLine);
    (void)wv::DomainOf(firstLine);
    (void)wv::TraceWhoisItems(true, false, firstLine, firstLine);
    return 0;
}
