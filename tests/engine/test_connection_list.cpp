// The connection list's column walks, life cycle and failures, against an
// agent that answers from a script.
#include "engine/EngineErrors.h"
#include "engine/PloverIpConnectionList.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace wv;
using namespace wv::test;

namespace {

const Oid TcpInErrs = {1, 3, 6, 1, 2, 1, 6, 14, 0};

class ConnectionListTest : public ::testing::Test
{
protected:
    std::shared_ptr<ScriptedAgent> agent = std::make_shared<ScriptedAgent>();
    std::unique_ptr<TPloverIpConnectionList> list;

    void SetUp() override
    {
        list = std::make_unique<TPloverIpConnectionList>(nullptr, loaderFor(agent));
    }

    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < list->Count(); ++i) {
            const TIpConnInfo *r = list->Items(i);
            out << QStringLiteral("%1 %2:%3 %4:%5 %6")
                       .arg(r->Protocol(), r->LocalAddress())
                       .arg(r->LocalPort())
                       .arg(r->RemoteAddress())
                       .arg(r->RemotePort())
                       .arg(r->StateName());
        }
        return out;
    }

    template <typename E> QString refreshError()
    {
        try {
            list->Refresh();
        } catch (const E &e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    }
};

TEST_F(ConnectionListTest, WalksBothTablesInAgentOrder)
{
    agent->addTcpRow(2, {0, 0, 0, 0}, 22, {0, 0, 0, 0}, 0);
    agent->addTcpRow(5, {127, 0, 0, 1}, 5001, {127, 0, 0, 1}, 40000);
    // A listener whose table entry carries a remote port still reads 0.
    agent->addTcpRow(2, {127, 0, 0, 1}, 6000, {0, 0, 0, 0}, 99);
    agent->add(TcpInErrs, counter(7));
    agent->addUdpRow({0, 0, 0, 0}, 53);
    agent->addUdpRow({127, 0, 0, 1}, 5353);

    list->Refresh();
    EXPECT_EQ(rows(), QStringList({
                          "TCP 0.0.0.0:22 0.0.0.0:0 LISTEN",
                          "TCP 127.0.0.1:5001 127.0.0.1:40000 ESTABLISHED",
                          "TCP 127.0.0.1:6000 0.0.0.0:0 LISTEN",
                          "UDP 0.0.0.0:53 0.0.0.0:0 LISTEN",
                          "UDP 127.0.0.1:5353 0.0.0.0:0 LISTEN",
                      }));
    EXPECT_EQ(list->Items(4)->State(), 2);

    // A second refresh replaces the rows rather than adding to them.
    list->Refresh();
    EXPECT_EQ(list->Count(), 5);
}

TEST_F(ConnectionListTest, EmptyTablesAndProtocolSelection)
{
    // Nothing at all: the first request returns NULL.
    list->Refresh();
    EXPECT_EQ(list->Count(), 0);

    // No TCP rows: the TCP walk meets the scalar after the table and stops.
    agent->add(TcpInErrs, counter(0));
    agent->addUdpRow({0, 0, 0, 0}, 68);
    list->Refresh();
    EXPECT_EQ(rows(), QStringList({"UDP 0.0.0.0:68 0.0.0.0:0 LISTEN"}));

    agent->addTcpRow(5, {10, 0, 0, 1}, 1000, {10, 0, 0, 2}, 80);
    list->setProtocols(tcp_ip);
    list->Refresh();
    EXPECT_EQ(rows(), QStringList({"TCP 10.0.0.1:1000 10.0.0.2:80 ESTABLISHED"}));

    list->setProtocols({});
    list->Refresh();
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(ConnectionListTest, StateNames)
{
    const std::pair<qint32, const char *> cases[] = {
        {0, "UNKNOWN"},    {1, "CLOSED"},     {3, "SYN_SENT"},     {4, "SYN_RECEIVED"},
        {6, "FIN_WAIT_1"}, {7, "FIN_WAIT_2"}, {8, "CLOSE_WAIT"},   {9, "LAST_ACK"},
        {10, "CLOSING"},   {11, "TIME_WAIT"}, {12, "TCB_DISCARD"}, {13, "UNKNOWN"},
        {-1, "UNKNOWN"},
    };
    for (const auto &[code, name] : cases)
        EXPECT_EQ(TcpStateName(code), QLatin1String(name)) << code;
    for (const auto &[address, text] : {std::pair{0u, "0.0.0.0"},
                                        {0xFFFFFFFFu, "255.255.255.255"},
                                        {0x0A010203u, "10.1.2.3"},
                                        {0x7F000001u, "127.0.0.1"},
                                        {0xC0A86414u, "192.168.100.20"}})
        EXPECT_EQ(ipv4Text(address), QLatin1String(text));

    agent->addTcpRow(0, {1, 1, 1, 1}, 1, {2, 2, 2, 2}, 2);
    agent->addTcpRow(13, {1, 1, 1, 1}, 3, {2, 2, 2, 2}, 4);
    agent->add(TcpInErrs, counter(0));
    list->Refresh();
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items(0)->StateName(), "UNKNOWN");
    EXPECT_EQ(list->Items(1)->StateName(), "UNKNOWN");
    EXPECT_EQ(list->Items(1)->RemotePort(), 4);
}

// A table that changed between two column passes: the state column fixes the
// row count and later columns are matched by position.
TEST_F(ConnectionListTest, ColumnsOfUnequalLength)
{
    const Oid local = {1, 3, 6, 1, 2, 1, 6, 13, 1, 2, 9, 9, 9, 9, 9, 0, 0, 0, 0, 0};
    agent->addTcpRow(5, {10, 0, 0, 1}, 1000, {10, 0, 0, 2}, 80);
    agent->add(local, ipAddress({9, 9, 9, 9})); // one address more than states
    agent->add(TcpInErrs, counter(0));
    EXPECT_TRUE(refreshError<EListError>().startsWith("List index out of bounds"));
    // The rows built so far stay; the list is usable again.
    EXPECT_EQ(list->Count(), 1);
    EXPECT_FALSE(list->Refreshing());

    // A column with fewer values leaves the remaining rows' fields zero.
    agent->objects.clear();
    agent->addTcpRow(5, {10, 0, 0, 1}, 1000, {10, 0, 0, 2}, 80);
    agent->add({1, 3, 6, 1, 2, 1, 6, 13, 1, 1, 10, 0, 0, 1, 2000, 10, 0, 0, 2, 80}, integer(5));
    agent->add(TcpInErrs, counter(0));
    list->Refresh();
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items(1)->LocalPort(), 0);
    EXPECT_EQ(list->Items(1)->RemoteAddress(), "0.0.0.0");
    EXPECT_EQ(list->Items(1)->RemotePort(), 0);
}

TEST_F(ConnectionListTest, QueryFailuresAndEarlyEnd)
{
    agent->addTcpRow(5, {10, 0, 0, 1}, 1000, {10, 0, 0, 2}, 80);
    agent->add(TcpInErrs, counter(0));

    agent->failAt = 0;
    EXPECT_EQ(refreshError<EConnListRefreshError>(), "SNMP query failed.");
    agent->failAt = 3; // inside the local address column
    agent->queries = 0;
    EXPECT_EQ(refreshError<EConnListRefreshError>(), "SNMP query failed.");
    EXPECT_EQ(list->Count(), 1);
    agent->failAt = -1;

    // The agent's error status alone is no failure.
    agent->reportedErrorStatus = 5;
    list->Refresh();
    EXPECT_EQ(list->Count(), 1);

    // The view ends after the state column.
    agent->objects.clear();
    agent->add({1, 3, 6, 1, 2, 1, 6, 13, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, integer(5));
    EXPECT_EQ(refreshError<EConnListRefreshError>(),
              "Unexpected end of query results encountered.");
    EXPECT_EQ(list->Items(0)->State(), 5);
}

TEST_F(ConnectionListTest, ItemsOutOfRange)
{
    EXPECT_THROW(list->Items(0), EListError);
    EXPECT_THROW(list->Items(-1), EListError);
}

TEST_F(ConnectionListTest, StatusChangesAndNestedRefresh)
{
    agent->add(TcpInErrs, counter(0));
    agent->addUdpRow({0, 0, 0, 0}, 53);
    QList<bool> seen;
    QString nested;
    list->setOnStatusChange([&](QObject *sender) {
        EXPECT_EQ(sender, list.get());
        seen << list->Refreshing();
        if (list->Refreshing() && nested.isEmpty()) {
            try {
                list->Refresh();
                nested = "passed";
            } catch (const EConnListError &e) {
                nested = e.Message();
            }
            // The refused call leaves the running refresh marked as running.
            EXPECT_TRUE(list->Refreshing());
        }
    });
    list->Refresh();
    EXPECT_EQ(nested, "Requested operation is not supported in the current state.");
    EXPECT_EQ(seen, QList<bool>({true, false}));
    EXPECT_EQ(list->Count(), 1);

    // Also a failing refresh reports its start and end.
    seen.clear();
    agent->failAt = 0;
    agent->queries = 0;
    EXPECT_THROW(list->Refresh(), EConnListRefreshError);
    EXPECT_EQ(seen, QList<bool>({true, false}));
}

TEST_F(ConnectionListTest, RefreshFromAnotherThreadWaitsAtMostForTheLock)
{
    agent->add(TcpInErrs, counter(0));
    agent->addUdpRow({0, 0, 0, 0}, 53);
    QString other;
    agent->onQuery = [&] {
        if (!other.isEmpty())
            return;
        other = "running";
        std::thread t([&] {
            try {
                list->Refresh();
                other = "passed";
            } catch (const EConnListLockError &e) {
                other = e.Message();
            }
        });
        t.join();
    };
    list->Refresh();
    EXPECT_EQ(other, "Connection list lock failure");
    EXPECT_EQ(list->Count(), 1);
}

TEST(ConnectionListOpen, FailuresNameTheCause)
{
    auto message = [](const AgentLoader &loader) {
        try {
            TPloverIpConnectionList l(nullptr, loader);
        } catch (const EConnListError &e) {
            return e.Message();
        }
        return QStringLiteral("opened");
    };
    EXPECT_EQ(message([] { return std::unique_ptr<MibAgent>(); }),
              "SNMP extension agent library is not available.");
    auto agent = std::make_shared<ScriptedAgent>();
    agent->initResult = false;
    EXPECT_EQ(message(loaderFor(agent)), "Error initializing SNMP extension agent.");
}

TEST(ConnectionListOpen, EachListHasItsOwnLink)
{
    auto agent = std::make_shared<ScriptedAgent>();
    agent->add(TcpInErrs, counter(0));
    agent->addUdpRow({0, 0, 0, 0}, 53);
    int loads = 0;
    auto first = std::make_unique<TPloverIpConnectionList>(nullptr, loaderFor(agent, &loads));
    TPloverIpConnectionList second(nullptr, loaderFor(agent, &loads));
    EXPECT_EQ(loads, 2);
    first.reset();
    second.Refresh();
    EXPECT_EQ(second.Count(), 1);
}

} // namespace
