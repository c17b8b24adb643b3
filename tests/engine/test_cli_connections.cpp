// The companion's `connections` output, written straight into a buffer,
// against the plain way of building it: the aligned table of formatTable and
// the indented JSON of QJsonDocument.
#include "app/cli/CliSupport.h"
#include "app/cli/ConnectionRows.h"
#include "engine/PloverIpConnectionList.h"
#include "tests/engine/EngineTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

#include <gtest/gtest.h>

using namespace wv;
using namespace wv::test;

namespace {

QByteArray plainText(const TPloverIpConnectionList &list)
{
    QList<QStringList> rows;
    for (int i = 0; i < list.Count(); ++i) {
        const TIpConnInfo *r = list.Items(i);
        rows.append({r->Protocol(), r->LocalAddress(), QString::number(r->LocalPort()),
                     r->RemoteAddress(), QString::number(r->RemotePort()), r->StateName()});
    }
    return cli::formatTable({QStringLiteral("PROTO"), QStringLiteral("LOCAL ADDRESS"),
                             QStringLiteral("LOCAL PORT"), QStringLiteral("REMOTE ADDRESS"),
                             QStringLiteral("REMOTE PORT"), QStringLiteral("STATE")},
                            rows)
        .toUtf8();
}

QByteArray plainJson(const TPloverIpConnectionList &list)
{
    QJsonArray rows;
    for (int i = 0; i < list.Count(); ++i) {
        const TIpConnInfo *r = list.Items(i);
        rows.append(QJsonObject{{QStringLiteral("protocol"), r->Protocol()},
                                {QStringLiteral("localAddress"), r->LocalAddress()},
                                {QStringLiteral("localPort"), r->LocalPort()},
                                {QStringLiteral("remoteAddress"), r->RemoteAddress()},
                                {QStringLiteral("remotePort"), r->RemotePort()},
                                {QStringLiteral("state"), r->StateName()}});
    }
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

struct Tables
{
    const char *name;
    std::function<void(ScriptedAgent &)> fill;
};

class ConnectionsOutput : public ::testing::TestWithParam<Tables>
{
};

TEST_P(ConnectionsOutput, SameBytesAsTheTableAndTheJsonDocument)
{
    auto agent = std::make_shared<ScriptedAgent>();
    GetParam().fill(*agent);
    TPloverIpConnectionList list(nullptr, loaderFor(agent));
    list.Refresh();
    EXPECT_EQ(cli::connectionsText(list), plainText(list));
    EXPECT_EQ(cli::connectionsJson(list), plainJson(list));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ConnectionsOutput,
    ::testing::Values(Tables{"Empty", [](ScriptedAgent &) {}},
                      Tables{
                          "Mixed",
                          [](ScriptedAgent &a) {
                              a.addTcpRow(2, {0, 0, 0, 0}, 22, {0, 0, 0, 0}, 0);
                              a.addTcpRow(5, {127, 0, 0, 1}, 5001, {127, 0, 0, 1}, 40000);
                              a.addTcpRow(11, {192, 168, 100, 200}, 65535, {255, 255, 255, 255}, 1);
                              a.addTcpRow(12, {10, 0, 0, 1}, 1, {10, 0, 0, 2}, 80);
                              a.addUdpRow({0, 0, 0, 0}, 53);
                              a.addUdpRow({127, 0, 0, 1}, 5353);
                          }},
                      Tables{"Listeners",
                             [](ScriptedAgent &a) {
                                 a.addTcpRow(2, {1, 2, 3, 4}, 7, {0, 0, 0, 0}, 0);
                                 a.addUdpRow({1, 2, 3, 4}, 7);
                             }},
                      Tables{"Ipv6",
                             [](ScriptedAgent &a) {
                                 a.addTcpRow(5, {127, 0, 0, 1}, 5001, {127, 0, 0, 1}, 40000);
                                 // tcpInErrs lies between the two TCP tables.
                                 a.add({1, 3, 6, 1, 2, 1, 6, 14, 0}, counter(0));
                                 a.addConnection(5, "::1", 443, "2001:db8::17", 50123);
                                 a.addConnection(8, "fe80::1:2", 22, "fe80::99", 1);
                                 a.addListener("::", 8080);
                                 a.addEndpoint("::1", 53, "::", 0, 9);
                             }},
                      Tables{"Many",
                             [](ScriptedAgent &a) {
                                 for (int i = 0; i < 300; ++i)
                                     a.addTcpRow(1 + i % 12,
                                                 {10, 0, quint8(i / 256), quint8(i % 256)},
                                                 1024 + i, {172, 16, 0, quint8(i % 7)}, 443);
                             }}),
    [](const ::testing::TestParamInfo<Tables> &info) { return std::string(info.param.name); });

// Owners and bytes where asked; a family alone where asked.
TEST(ConnectionsOptions, FamilyProcessAndBytes)
{
    auto agent = std::make_shared<ScriptedAgent>();
    // A listener, two IPv4 connections and the IPv4 view of a mapped one in
    // the IPv4 table; the owners come from the IPv6-capable tables.
    agent->addTcpRow(2, {0, 0, 0, 0}, 22, {0, 0, 0, 0}, 0);
    agent->addTcpRow(5, {127, 0, 0, 1}, 5001, {127, 0, 0, 1}, 40000);
    agent->addTcpRow(5, {127, 0, 0, 1}, 5002, {127, 0, 0, 1}, 40001);
    agent->addTcpRow(5, {127, 0, 0, 1}, 6000, {127, 0, 0, 1}, 40002);
    agent->add({1, 3, 6, 1, 2, 1, 6, 14, 0}, counter(0));
    agent->addConnection(5, "127.0.0.1", 5001, "127.0.0.1", 40000, 321);
    agent->addConnection(5, "127.0.0.1", 5002, "127.0.0.1", 40001, 322);
    agent->addConnection(5, "::1", 443, "::1", 50123, 123);
    agent->addConnection(5, "::ffff:127.0.0.1", 6000, "::ffff:127.0.0.1", 40002, 324);
    agent->addListener("0.0.0.0", 22, 1);
    TPloverIpConnectionList list(nullptr, loaderFor(agent));
    list.setDetails(true, true);
    list.Refresh();
    ASSERT_EQ(list.Count(), 5);
    const quint32 pids[] = {1, 321, 322, 324, 123};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.Items(i)->Pid(), pids[i]) << i;

    cli::RowOptions six;
    six.family = 6;
    six.process = true;
    six.bytes = true;
    const QJsonArray rows = QJsonDocument::fromJson(cli::connectionsJson(list, six)).array();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject row = rows[0].toObject();
    EXPECT_EQ(row["localAddress"].toString(), "::1");
    EXPECT_EQ(row["pid"].toInt(), 123);
    // This agent knows no program names or byte counts.
    EXPECT_TRUE(row["program"].isNull());
    EXPECT_TRUE(row["bytesSent"].isNull());
    EXPECT_TRUE(row.contains("bytesReceived"));

    cli::RowOptions four;
    four.family = 4;
    four.process = true;
    const QByteArray text = cli::connectionsText(list, four);
    EXPECT_TRUE(text.startsWith("PROTO  LOCAL ADDRESS  LOCAL PORT  REMOTE ADDRESS  REMOTE PORT  "
                                "STATE        PID  PROGRAM\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("ESTABLISHED  321  -\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("LISTEN       1    -\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("::1"));
    // Without the options the fields stay out.
    EXPECT_FALSE(cli::connectionsJson(list).contains("pid"));
}

} // namespace
