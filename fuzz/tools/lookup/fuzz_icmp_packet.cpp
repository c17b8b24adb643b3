// One datagram from a raw ICMP socket, matched against an echo request.
#include "tools/icmp/IcmpEcho.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first bytes choose the request it is matched against.
    if (size < 8)
        return 0;
    const quint32 target =
        quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24;
    const quint16 id = quint16(data[4] << 8 | data[5]);
    const quint16 sequence = quint16(data[6] << 8 | data[7]);
    (void)wv::matchRawIcmp(data + 8, size - 8, target, target, id, sequence);
    return 0;
}
