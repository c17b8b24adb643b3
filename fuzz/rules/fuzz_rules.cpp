// Feeds arbitrary bytes to the rules file reader. Whatever it keeps (all of
// the file, or the rules read before a fault) must save, and what was saved
// must read back and save to the very same bytes.
#include "rules/RuleError.h"
#include "rules/RuleList.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

QByteArray saved(const wv::TRuleList &list)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    list.SaveToStream(&b);
    return b.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer in;
    in.setData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    in.open(QIODevice::ReadOnly);
    wv::TRuleList list;
    try {
        list.LoadFromStream(&in);
    } catch (const std::exception &) {
    }
    for (const auto &r : list.Items()) {
        (void)r->Summary();
        (void)r->ActionsText();
        (void)r->Sentence();
    }

    QByteArray first;
    try {
        first = saved(list);
    } catch (const wv::ERuleError &e) {
        // Latin-1 texts from old single-byte files grow when stored as UTF-8;
        // one near the limit is refused on saving, which is reported, not lost.
        if (e.message() != QLatin1String("String too long"))
            __builtin_trap();
        return 0;
    }
    QBuffer again;
    again.setData(first);
    again.open(QIODevice::ReadOnly);
    wv::TRuleList reread;
    reread.LoadFromStream(&again); // must not throw
    if (reread.Count() != list.Count() || saved(reread) != first)
        __builtin_trap();
    return 0;
}
