#include "refresh/ConnectionTableModel.h"
#include "refresh/TableRules.h"
#include "rules/RuleList.h"
#include "settings/DebugTrace.h"

#include <gtest/gtest.h>

namespace wv {
namespace {

class FitControls : public RefreshControls
{
public:
    int fits = 0;
    void fitColumn(int column) override
    {
        if (column == 0)
            ++fits;
    }
    int columnWidth(int) const override { return 42; }
};

ConnectionRecord record(const QString &address, const QString &host, const QString &local,
                        const QString &remote, const QString &state)
{
    ConnectionRecord r;
    r.RemoteAddressText = address;
    r.HostName = host;
    r.LocalPortText = local;
    r.RemotePortText = remote;
    r.stateName = state;
    r.key = address + "*" + local + "*" + remote + "*" + state;
    return r;
}

// A rule naming part of an IPv6 address matches the rows whose address text
// contains it.
TEST(TableRules, Ipv6AddressesMatchBySubstring)
{
    TRuleList rules;
    TRule &doc = *rules.Add();
    doc.Actions = TRuleActions{raMark};
    doc.WhoKind = 1;
    doc.Address = QStringLiteral("2001:db8:");
    ConnectionTableModel table;
    std::vector<ConnectionRecord> rows;
    rows.push_back(record("2001:db8::17", "", "5000", "443", "ESTABLISHED"));
    rows.push_back(record("::1", "", "5001", "22", "ESTABLISHED"));
    rows.push_back(record("10.0.0.3", "", "5002", "443", "ESTABLISHED"));
    table.appendRecords(std::move(rows));
    FitControls controls;
    TableRules tableRules(rules);
    tableRules.setTable(&table, &controls);
    static_cast<RuleEvaluator &>(tableRules).EvaluateRules();
    const auto marked = tableRules.MarkedRows();
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked[0].row, 0);
    EXPECT_EQ(marked[0].displayName, QStringLiteral("2001:db8::17"));
}

TEST(TableRules, MarksMatchedRowsOfTheTableAndListsThem)
{
    TRuleList rules;
    TRule &web = *rules.Add();
    web.Actions = TRuleActions{raMark};
    web.PortKind = 1;
    web.Port = QStringLiteral("443");
    ConnectionTableModel table;
    std::vector<ConnectionRecord> rows;
    rows.push_back(record("10.0.0.1", "", "5000", "443", "ESTABLISHED"));
    rows.push_back(record("10.0.0.2", "b.example", "5001", "22", "ESTABLISHED"));
    rows.push_back(record("10.0.0.3", "c.example", "5002", "443", "SYN_SENT"));
    table.appendRecords(std::move(rows));
    FitControls controls;
    TableRules tableRules(rules);
    tableRules.EvaluateRules(); // no table yet: nothing happens

    tableRules.setTable(&table, &controls);
    debugTrace().setEnabled(true);
    debugTrace().clear();
    RuleEvaluator &evaluator = tableRules;
    evaluator.EvaluateRules();
    EXPECT_EQ(table.data(table.index(0, 0), ConnectionTableModel::MarkRole).toInt(),
              TableRules::MarkImage);
    EXPECT_EQ(table.data(table.index(1, 0), ConnectionTableModel::MarkRole).toInt(), -1);
    EXPECT_EQ(controls.fits, 2);
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("col1 width 42")));
    debugTrace().setEnabled(false);

    const auto marked = tableRules.MarkedRows();
    ASSERT_EQ(marked.size(), 2);
    // An unresolved row shows its address.
    EXPECT_EQ(marked[0].displayName, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(marked[1].displayName, QStringLiteral("c.example"));
    EXPECT_EQ(marked[1].row, 2);
    EXPECT_EQ(marked[1].rule, 0);

    tableRules.MarkRow(0, false, 0);
    tableRules.MarkRow(99, true, 0); // out of range: ignored
    EXPECT_EQ(tableRules.MarkedRows().size(), 1);
    EXPECT_EQ(table.record(0).markRule, -1);
}

} // namespace
} // namespace wv
