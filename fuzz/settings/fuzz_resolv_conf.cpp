// Arbitrary bytes as a resolver file: replacing its servers keeps every
// other line, and the servers written are the servers read back.
#include "settings/DnsServerList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList servers = wv::DnsServerList::parseServers(input);
    // Putting the same servers back changes nothing but the nameserver lines'
    // own spelling; doing it twice changes nothing at all.
    const QByteArray once = wv::DnsServerList::replaceServers(input, servers);
    if (wv::DnsServerList::replaceServers(once, servers) != once)
        __builtin_trap();
    const QStringList mine = {QStringLiteral("10.0.0.1"), QStringLiteral("::1")};
    const QByteArray replaced = wv::DnsServerList::replaceServers(input, mine);
    if (wv::DnsServerList::parseServers(replaced) != mine)
        __builtin_trap();
    return 0;
}
