// Feeds arbitrary text to the kernel socket-table parser: it must never read
// out of bounds, and every row it accepts must be a sane IPv4 endpoint pair.
#include "monitor/refresh/ProcNetSource.h"

#include <cstddef>
#include <cstdint>

namespace {

bool dotted(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &p : parts) {
        bool ok = false;
        const int v = p.toInt(&ok);
        if (!ok || v < 0 || v > 255)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (int mode = 0; mode < 4; ++mode) {
        const bool ipv6 = mode & 1, udp = mode & 2;
        for (const wv::SnapshotRow &r : wv::ProcNetSource::parseTable(input, ipv6, udp)) {
            if (!dotted(r.localAddress) || !dotted(r.remoteAddress) || r.localPort < 0 ||
                r.localPort > 65535 || r.remotePort < 0 || r.remotePort > 65535 ||
                r.stateName.isEmpty() || (udp && r.stateName != QLatin1String("LISTEN")))
                __builtin_trap();
        }
    }
    return 0;
}
