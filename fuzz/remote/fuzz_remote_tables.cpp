// Feeds arbitrary row indexes, as an agent could send them, to the decoder of
// the remote connection tables: nothing may read past an index, and every row
// kept must be a well-formed IPv4 or IPv6 row with the owner it was given.
#include "remote/RemoteTables.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    wv::RemoteTableDecoder decoder;
    size_t at = 0;
    // Each record: table (1 byte), length (1 byte), then length components
    // of one byte each (small numbers are where the structure is), a value.
    while (at + 2 <= size) {
        const uint8_t table = data[at];
        const size_t length = data[at + 1];
        at += 2;
        std::vector<quint32> index;
        for (size_t i = 0; i < length && at < size; ++i, ++at)
            index.push_back(data[at] == 0xff ? 0xffffffffu : data[at]);
        const qint64 state = index.empty() ? 0 : index.back() % 14;
        const qint64 pid = table >> 3;
        switch (table % 5) {
        case 0:
            decoder.addTcpConnection(index.data(), index.size(), state, pid);
            break;
        case 1:
            decoder.addTcpListener(index.data(), index.size(), pid);
            break;
        case 2:
            decoder.addUdpEndpoint(index.data(), index.size(), pid);
            break;
        case 3:
            decoder.addTcpConnEntry(index.data(), index.size(), state);
            break;
        default:
            decoder.addUdpEntry(index.data(), index.size());
            break;
        }
    }
    for (const wv::SnapshotRow &r : decoder.takeRows()) {
        const bool v4 = r.family == 4 && r.localAddress.count(QLatin1Char('.')) == 3 &&
                        r.remoteAddress.count(QLatin1Char('.')) == 3;
        const bool v6 = r.family == 6 && r.localAddress.contains(QLatin1Char(':')) &&
                        r.remoteAddress.contains(QLatin1Char(':'));
        if (r.localPort < 0 || r.localPort > 65535 || r.remotePort < 0 || r.remotePort > 65535 ||
            (!v4 && !v6) || r.pid < 0 || r.pid > 31)
            __builtin_trap();
    }
    return 0;
}
