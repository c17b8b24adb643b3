// Arbitrary bytes as a profile: decoding either fails with a message or gives
// six members that encode back to the bytes it consumed.
#include "settings/Profile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QList<QByteArray> members;
    QString error;
    if (!wv::Profile::decode(input, &members, &error)) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (members.size() != wv::Profile::MemberCount)
        __builtin_trap();
    const QByteArray again = wv::Profile::encode(members);
    if (!input.startsWith(again))
        __builtin_trap();
    return 0;
}
