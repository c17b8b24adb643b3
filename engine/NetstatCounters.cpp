#include "engine/NetstatCounters.h"

#include "engine/EngineErrors.h"

#include <QtGlobal>

namespace wv {

namespace {

// Objects of MIB-II that are tables, by group: a request lowered onto one of
// them would land on its first row instead of on the scalar after it.
bool isTable(quint32 group, quint32 object)
{
    return (group == 4 && object >= 20 && object <= 22) || (group == 6 && object == 13) ||
           (group == 7 && object == 5);
}

} // namespace

TNetstatCounterObject::TNetstatCounterObject(const QString &name, const QString &description,
                                             const TOidTemplate &identifier,
                                             const AgentLoader &loader)
    : m_name(name), m_request(identifier), m_description(description)
{
    m_link.OpenAgentLink(loader);
    // Lowering the object number gives an identifier just after the whole of
    // the preceding scalar (whose only instance is .0), so the next object is
    // this counter's instance. After a table that identifier would fall among
    // the table's rows; the highest components move it past all of them.
    Q_ASSERT(m_request[7] > 0);
    m_request[7] -= 1;
    if (isTable(m_request[6], m_request[7])) {
        m_request[8] = 0xFFFFFFFFu;
        m_request[9] = 0xFFFFFFFFu;
    }
}

qint32 TNetstatCounterObject::Value()
{
    SnmpVarBindList list(1);
    list[0].name.assign(m_request.begin(), m_request.end());
    if (!m_link.QueryNext(list))
        throw ENetstatError(QString::fromLatin1(msg::QueryFailed));
    switch (list[0].value.asnType) {
    case ASN_INTEGER:
    case ASN_COUNTER32:
    case ASN_GAUGE32:
    case ASN_UNSIGNED32:
        return list[0].value.number;
    default:
        throw ENetstatError(QString::fromLatin1(msg::UnexpectedType));
    }
}

TCounterList::TCounterList(QObject *owner) : QObject(owner) {}

TCounterList::~TCounterList()
{
    while (!m_counters.empty()) {
        m_names.removeLast();
        m_counters.pop_back();
    }
}

void TCounterList::Add(TNetstatCounterObject *counter)
{
    Q_ASSERT(counter);
    m_names.append(counter->Name());
    m_counters.emplace_back(counter);
}

int TCounterList::Count() const
{
    return int(m_counters.size());
}

TNetstatCounterObject *TCounterList::Counters(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
    return m_counters[size_t(index)].get();
}

void TCounterList::addGroup(quint32 group, const CounterDef *defs, std::size_t count,
                            const AgentLoader &loader)
{
    for (std::size_t i = 0; i < count; ++i) {
        const TOidTemplate id = {1, 3, 6, 1, 2, 1, group, defs[i].object, 1, 1};
        Add(new TNetstatCounterObject(QString::fromLatin1(defs[i].name), QString(), id, loader));
    }
}

TIpStats::TIpStats(QObject *owner, const AgentLoader &loader) : TCounterList(owner)
{
    static const CounterDef defs[] = {
        {"ipDefaultTTL", 2},   {"ipInReceives", 3},    {"ipInHdrErrors", 4},
        {"ipInAddrErrors", 5}, {"ipForwDatagrams", 6}, {"ipInUnknownProtos", 7},
        {"ipInDiscards", 8},   {"ipInDelivers", 9},    {"ipOutRequests", 10},
        {"ipOutDiscards", 11}, {"ipOutNoRoutes", 12},  {"ipReasmTimeout", 13},
        {"ipReasmReqds", 14},  {"ipReasmOKs", 15},     {"ipReasmFails", 16},
        {"ipFragOKs", 17},     {"ipFragFails", 18},    {"ipFragCreates", 19},
    };
    addGroup(4, defs, std::size(defs), loader);
}

TIcmpStats::TIcmpStats(QObject *owner, const AgentLoader &loader) : TCounterList(owner)
{
    static const CounterDef defs[] = {
        {"icmpInMsgs", 1},           {"icmpInErrors", 2},         {"icmpInDestUnreachs", 3},
        {"icmpInTimeExcds", 4},      {"icmpInParmProbs", 5},      {"icmpInSrcQuenchs", 6},
        {"icmpInRedirects", 7},      {"icmpInEchos", 8},          {"icmpInEchoReps", 9},
        {"icmpInTimestamps", 10},    {"icmpInTimestampReps", 11}, {"icmpInAddrMasks", 12},
        {"icmpInAddrMaskReps", 13},  {"icmpOutMsgs", 14},         {"icmpOutErrors", 15},
        {"icmpOutDestUnreachs", 16}, {"icmpOutTimeExcds", 17},    {"icmpOutParmProbs", 18},
        {"icmpOutSrcQuenchs", 19},   {"icmpOutRedirects", 20},    {"icmpOutEchos", 21},
        {"icmpOutEchoReps", 22},     {"icmpOutTimestamps", 23},   {"icmpOutTimestampReps", 24},
        {"icmpOutAddrMasks", 25},    {"icmpOutAddrMaskReps", 26},
    };
    addGroup(5, defs, std::size(defs), loader);
}

TTCPStats::TTCPStats(QObject *owner, const AgentLoader &loader) : TCounterList(owner)
{
    static const CounterDef defs[] = {
        {"tcpRtoAlgorithm", 1},  {"tcpRtoMin", 2},      {"tcpRtoMax", 3},
        {"tcpMaxConn", 4},       {"tcpActiveOpens", 5}, {"tcpPassiveOpens", 6},
        {"tcpAttemptsFails", 7}, {"tcpEstabResets", 8}, {"tcpCurrEstab", 9},
        {"tcpInSegs", 10},       {"tcpOutSegs", 11},    {"tcpRetransSegs", 12},
        {"tcpInErrs", 14},       {"tcpOutRsts", 15},
    };
    addGroup(6, defs, std::size(defs), loader);
}

TUdpStats::TUdpStats(QObject *owner, const AgentLoader &loader) : TCounterList(owner)
{
    static const CounterDef defs[] = {
        {"udpInDatagrams", 1},
        {"udpNoPorts", 2},
        {"udpInErrors", 3},
        {"udpOutDatagrams", 4},
    };
    addGroup(7, defs, std::size(defs), loader);
}

} // namespace wv
