// Feeds arbitrary bytes to the ini parser, then edits and re-parses the
// result: what was not touched must come back byte for byte.
#include "settings/IniFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    wv::IniFile ini(QString{});
    ini.loadFromBytes(input);
    if (ini.toBytes() != input)
        __builtin_trap();
    const QStringList sections = ini.readSections();
    for (const QString &s : sections) {
        for (const auto &kv : ini.readSectionValues(s))
            (void)ini.readString(s, kv.first);
    }
    ini.writeString(QStringLiteral("Cache"), QStringLiteral("10.0.0.1"), QStringLiteral("host"));
    if (!sections.isEmpty())
        ini.deleteKey(sections.first(), QStringLiteral("created"));
    const QByteArray edited = ini.toBytes();
    wv::IniFile again(QString{});
    again.loadFromBytes(edited);
    if (again.readString(QStringLiteral("Cache"), QStringLiteral("10.0.0.1")) !=
            QLatin1String("host") ||
        again.toBytes() != edited)
        __builtin_trap();
    return 0;
}
