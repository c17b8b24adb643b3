// Counter objects and lists: request identifiers, value types and failures.
#include "engine/EngineErrors.h"
#include "engine/MibIIAgent.h"
#include "engine/NetstatCounters.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

TEST(Counters, ListsHoldTheirGroupsInOrder)
{
    auto agent = std::make_shared<ScriptedAgent>();
    int loads = 0;
    TIpStats ip(nullptr, loaderFor(agent, &loads));
    TIcmpStats icmp(nullptr, loaderFor(agent, &loads));
    TTCPStats tcp(nullptr, loaderFor(agent, &loads));
    TUdpStats udp(nullptr, loaderFor(agent, &loads));
    EXPECT_EQ(ip.Count(), 18);
    EXPECT_EQ(icmp.Count(), 26);
    EXPECT_EQ(tcp.Count(), 14);
    EXPECT_EQ(udp.Count(), 4);
    EXPECT_EQ(loads, 18 + 26 + 14 + 4); // one link per counter
    EXPECT_EQ(icmp.Counters(0)->Name(), "icmpInMsgs");
    EXPECT_EQ(icmp.Counters(7)->Name(), "icmpInEchos");
    EXPECT_EQ(icmp.Counters(8)->Name(), "icmpInEchoReps");
    EXPECT_EQ(tcp.Counters(12)->Name(), "tcpInErrs");
    EXPECT_EQ(ip.Names().first(), "ipDefaultTTL");
    EXPECT_THROW(udp.Counters(4), EListError);

    const TOidTemplate ipInReceives = {1, 3, 6, 1, 2, 1, 4, 2, 1, 1};
    EXPECT_EQ(ip.Counters(1)->RequestIdentifier(), ipInReceives);
}

TEST(Counters, ValuesAsDelivered)
{
    auto agent = std::make_shared<ScriptedAgent>();
    agent->add({1, 3, 6, 1, 2, 1, 6, 4, 0}, integer(-1));
    agent->add({1, 3, 6, 1, 2, 1, 6, 5, 0}, counter(0x80000000u));
    agent->add({1, 3, 6, 1, 2, 1, 6, 9, 0}, gauge(3));
    agent->add({1, 3, 6, 1, 2, 1, 6, 10, 0}, ipAddress({1, 2, 3, 4}));
    TTCPStats tcp(nullptr, loaderFor(agent));
    EXPECT_EQ(tcp.Counters(3)->Value(), -1);
    const qint32 big = tcp.Counters(4)->Value();
    EXPECT_EQ(QString::asprintf("%d", big), "-2147483648");
    EXPECT_EQ(tcp.Counters(8)->Value(), 3);

    auto failure = [](TNetstatCounterObject *c) {
        try {
            c->Value();
        } catch (const ENetstatError &e) {
            return e.Message();
        }
        return QStringLiteral("read");
    };
    EXPECT_EQ(failure(tcp.Counters(9)), "Unexpected result type");
    agent->failAt = 0;
    EXPECT_EQ(failure(tcp.Counters(3)), "SNMP query failed.");
    // The counter stays usable.
    agent->failAt = -1;
    EXPECT_EQ(tcp.Counters(3)->Value(), -1);
}

TEST(Counters, OpenFailuresComeFromTheLink)
{
    try {
        TUdpStats udp(nullptr, [] { return std::unique_ptr<MibAgent>(); });
        FAIL() << "opened without an agent";
    } catch (const EConnListError &e) {
        EXPECT_EQ(e.Message(), "SNMP extension agent library is not available.");
    }
}

// Against the real agent, every counter of every list reads its own object,
// tcpInErrs included while the connection table has rows.
TEST(Counters, EveryCounterReadsItsOwnObject)
{
    const char *names[][2] = {
        {"Ip", "DefaultTTL"},    {"Ip", "InReceives"},    {"Ip", "InHdrErrors"},
        {"Ip", "InAddrErrors"},  {"Ip", "ForwDatagrams"}, {"Ip", "InUnknownProtos"},
        {"Ip", "InDiscards"},    {"Ip", "InDelivers"},    {"Ip", "OutRequests"},
        {"Ip", "OutDiscards"},   {"Ip", "OutNoRoutes"},   {"Ip", "ReasmTimeout"},
        {"Ip", "ReasmReqds"},    {"Ip", "ReasmOKs"},      {"Ip", "ReasmFails"},
        {"Ip", "FragOKs"},       {"Ip", "FragFails"},     {"Ip", "FragCreates"},
        {"Tcp", "RtoAlgorithm"}, {"Tcp", "RtoMin"},       {"Tcp", "RtoMax"},
        {"Tcp", "MaxConn"},      {"Tcp", "ActiveOpens"},  {"Tcp", "PassiveOpens"},
        {"Tcp", "AttemptFails"}, {"Tcp", "EstabResets"},  {"Tcp", "CurrEstab"},
        {"Tcp", "InSegs"},       {"Tcp", "OutSegs"},      {"Tcp", "RetransSegs"},
        {"Tcp", "InErrs"},       {"Tcp", "OutRsts"},      {"Udp", "InDatagrams"},
        {"Udp", "NoPorts"},      {"Udp", "InErrors"},     {"Udp", "OutDatagrams"},
    };
    const char *icmp[] = {"InMsgs",         "InErrors",       "InDestUnreachs",  "InTimeExcds",
                          "InParmProbs",    "InSrcQuenchs",   "InRedirects",     "InEchos",
                          "InEchoReps",     "InTimestamps",   "InTimestampReps", "InAddrMasks",
                          "InAddrMaskReps", "OutMsgs",        "OutErrors",       "OutDestUnreachs",
                          "OutTimeExcds",   "OutParmProbs",   "OutSrcQuenchs",   "OutRedirects",
                          "OutEchos",       "OutEchoReps",    "OutTimestamps",   "OutTimestampReps",
                          "OutAddrMasks",   "OutAddrMaskReps"};
    std::vector<KernelCounter> kernel = {{"Ip", "Forwarding", 1}};
    qint64 next = 100;
    for (auto &n : names)
        kernel.push_back({n[0], n[1], next++});
    for (const char *n : icmp)
        kernel.push_back({"Icmp", n, next++});

    AgentLoader loader = [kernel]() -> std::unique_ptr<MibAgent> {
        auto sockets = std::make_unique<FakeSockets>();
        SocketEntry e;
        e.localAddress = ipv4(127, 0, 0, 1);
        e.localPort = 80;
        e.state = KernelListen;
        sockets->tcp = {e};
        sockets->udp = {SocketEntry{0, 0, 53, 0, KernelClose}};
        auto counters = std::make_unique<FakeCounters>();
        counters->counters = kernel;
        return std::make_unique<MibIIAgent>(std::move(sockets), std::move(counters));
    };
    TIpStats ipStats(nullptr, loader);
    TTCPStats tcpStats(nullptr, loader);
    TUdpStats udpStats(nullptr, loader);
    TIcmpStats icmpStats(nullptr, loader);
    QList<qint32> got;
    for (TCounterList *l :
         {static_cast<TCounterList *>(&ipStats), static_cast<TCounterList *>(&tcpStats),
          static_cast<TCounterList *>(&udpStats), static_cast<TCounterList *>(&icmpStats)}) {
        for (int i = 0; i < l->Count(); ++i)
            got << l->Counters(i)->Value();
    }
    QList<qint32> expected;
    for (qint32 v = 100; v < next; ++v)
        expected << v;
    EXPECT_EQ(got, expected);
}

} // namespace
