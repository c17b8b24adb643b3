// Feeds arbitrary bytes to the kernel-table parsers (/proc/net tables,
// /proc/net/snmp, socket-diagnostics netlink replies), then walks the agent's
// whole view over what was parsed: identifiers must strictly ascend and the
// walk must end.
#include "engine/InetDiagSource.h"
#include "engine/MibIIAgent.h"
#include "engine/ProcNetSource.h"

#include <cstddef>
#include <cstdint>

#include <netinet/in.h>
#include <sys/socket.h>

namespace {

class ParsedCounters : public wv::CounterSource
{
public:
    std::vector<wv::KernelCounter> counters;
    bool worksHere() override { return true; }
    void read(std::vector<wv::KernelCounter> &out) override { out = counters; }
};

// Serves parsed /proc tables as the socket source.
class ParsedTables : public wv::SocketSource
{
public:
    std::vector<wv::SocketEntry> tcp, udp;
    QString name() const override { return QStringLiteral("fuzz"); }
    bool worksHere() override { return true; }
    void readTcp(std::vector<wv::SocketEntry> &out) override { out = tcp; }
    void readUdp(std::vector<wv::SocketEntry> &out) override { out = udp; }
};

void walkEverything(std::unique_ptr<wv::SocketSource> sockets, std::vector<wv::KernelCounter> c)
{
    auto counters = std::make_unique<ParsedCounters>();
    counters->counters = std::move(c);
    wv::MibIIAgent agent(std::move(sockets), std::move(counters));
    // The owners of made-up inodes would only be looked for in /proc, input
    // after input; the process columns are walked with 0 all the same.
    agent.setDetails(false, true);
    wv::SnmpVarBindList list(1);
    list[0].name = {1, 3, 6, 1, 2, 1, 4};
    wv::Oid previous;
    for (int steps = 0; steps < 1000000; ++steps) {
        qint32 status, index;
        if (!agent.query(wv::SNMP_PDU_GETNEXT, list, status, index))
            return;
        if (list[0].value.asnType == wv::ASN_NULL)
            return;
        if (!previous.empty() && wv::compareOid(previous, list[0].name) >= 0)
            __builtin_trap();
        previous = list[0].name;
    }
    __builtin_trap(); // the view is finite
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0] % 4;
    const QByteArrayView input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    std::vector<wv::SocketEntry> entries;
    std::vector<wv::KernelCounter> counters;
    switch (mode) {
    case 0:
    case 1: {
        parseProcNetTable(input, mode == 1, data[0] & 4, entries);
        auto tables = std::make_unique<ParsedTables>();
        tables->tcp = entries;
        tables->udp = entries;
        walkEverything(std::move(tables), {});
        break;
    }
    case 2:
        parseProcSnmp(input, counters);
        walkEverything(std::make_unique<ParsedTables>(), counters);
        break;
    default: {
        try {
            parseInetDiagReply(input, entries);
        } catch (const wv::SourceError &) {
        }
        const QByteArray bytes(input.data(), input.size());
        walkEverything(std::make_unique<wv::InetDiagSource>(wv::InetDiagSource::Recording{
                           {{AF_INET, IPPROTO_TCP}, bytes}, {{AF_INET6, IPPROTO_UDP}, bytes}}),
                       {});
    }
    }
    return 0;
}
