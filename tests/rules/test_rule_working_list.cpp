#include "rules/RuleList.h"
#include "rules/RuleListModel.h"
#include "rules/RuleWorkingList.h"
#include "rules/RulesFile.h"
#include "tests/support/TestHome.h"

#include <QAbstractItemModelTester>
#include <QFile>

#include <gtest/gtest.h>

using namespace wv;

namespace {

TRule *addRule(TRuleList &list, const QString &address, quint8 enabled = 1)
{
    TRule *r = list.Add();
    r->WhoKind = 1;
    r->Address = address;
    r->Enabled = enabled;
    r->Actions = TRuleActions{raLog};
    return r;
}

QStringList addresses(const TRuleList &list)
{
    QStringList out;
    for (const auto &r : list.Items())
        out.append(r->Address);
    return out;
}

class WorkingListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *a : {"a", "b", "c"})
            addRule(live, QString::fromLatin1(a));
    }
    TRuleList live;
    RuleWorkingList work{live};
};

} // namespace

TEST_F(WorkingListTest, CopiesAreLinkedBothWays)
{
    EXPECT_TRUE(work.open());
    ASSERT_EQ(work.working().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(work.working().Rule(i)->Partner, live.Rule(i));
        EXPECT_EQ(live.Rule(i)->Partner, work.working().Rule(i));
        EXPECT_NE(work.working().Rule(i), live.Rule(i));
    }
    // A copy left over from an earlier opening is reported and replaced.
    EXPECT_FALSE(work.open());
    EXPECT_EQ(work.working().Count(), 3);
    EXPECT_EQ(live.Rule(0)->Partner, work.working().Rule(0));
    work.close();
    EXPECT_FALSE(work.isOpen());
    EXPECT_EQ(live.Rule(0)->Partner, nullptr);
}

TEST_F(WorkingListTest, CancelAfterAddEditDeleteLeavesTheLiveList)
{
    work.open();
    work.working().Rule(1)->Address = QStringLiteral("edited");
    work.remove(0);
    auto added = std::make_unique<TRule>();
    added->Address = QStringLiteral("new");
    work.add(std::move(added));
    work.close();
    EXPECT_EQ(addresses(live), (QStringList{"a", "b", "c"}));
    for (const auto &r : live.Items())
        EXPECT_EQ(r->Partner, nullptr);
}

TEST_F(WorkingListTest, OkKeepsSurvivorsInOrderThenAddedRules)
{
    work.open();
    auto first = std::make_unique<TRule>();
    first->Address = QStringLiteral("x");
    work.add(std::move(first));
    work.remove(0);
    work.working().Rule(1)->Address = QStringLiteral("c2");
    auto second = std::make_unique<TRule>();
    second->Address = QStringLiteral("y");
    work.add(std::move(second));
    TRule *survivor = live.Rule(1);
    work.commit();
    work.close();
    EXPECT_EQ(addresses(live), (QStringList{"b", "c2", "x", "y"}));
    // Updated in place, not replaced.
    EXPECT_EQ(live.Rule(0), survivor);
    for (const auto &r : live.Items())
        EXPECT_EQ(r->Partner, nullptr);
}

TEST_F(WorkingListTest, ClearAllThenOkRemovesEveryRule)
{
    work.open();
    work.clearAll();
    EXPECT_EQ(work.working().Count(), 0);
    for (const auto &r : live.Items())
        EXPECT_EQ(r->Partner, nullptr);
    auto kept = std::make_unique<TRule>();
    kept->Address = QStringLiteral("after clear");
    work.add(std::move(kept));
    work.commit();
    work.close();
    EXPECT_EQ(addresses(live), (QStringList{"after clear"}));
}

TEST_F(WorkingListTest, RuleListRowsShowTheWorkingRules)
{
    work.open();
    work.working().Rule(1)->WhoKind = 0;
    work.working().Rule(1)->EventKind = 1;
    work.working().Rule(2)->EventKind = 2;
    work.working().Rule(2)->Enabled = 0;
    RuleListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRules(&work.working());
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Mask"));
    EXPECT_EQ(model.index(0, RuleListModel::MaskColumn).data().toString(), QStringLiteral("a"));
    EXPECT_EQ(model.index(1, RuleListModel::MaskColumn).data().toString(),
              QStringLiteral("(anyone)"));
    EXPECT_EQ(model.index(0, RuleListModel::TriggerColumn).data().toString(),
              QStringLiteral("Connects"));
    EXPECT_EQ(model.index(1, RuleListModel::TriggerColumn).data().toString(),
              QStringLiteral("SYN event"));
    EXPECT_EQ(model.index(2, RuleListModel::TriggerColumn).data().toString(),
              QStringLiteral("Over 2"));
    EXPECT_EQ(model.index(0, RuleListModel::ActionsColumn).data().toString(),
              QStringLiteral("Write to log file, "));
    EXPECT_EQ(model.index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    // Check boxes reach the rules only with applyChecks (the dialog's OK).
    EXPECT_TRUE(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(work.working().Rule(0)->Enabled, 1);
    model.applyChecks();
    EXPECT_EQ(work.working().Rule(0)->Enabled, 0);
    EXPECT_EQ(work.working().Rule(2)->Enabled, 1);

    model.beginRemoveRule(0);
    work.remove(0);
    model.endRemoveRule();
    EXPECT_EQ(model.index(1, RuleListModel::MaskColumn).data().toString(), QStringLiteral("c"));
    work.add(std::make_unique<TRule>());
    model.ruleAppended();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(2, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(model.index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    work.commit();
    work.close();
    model.setRules(nullptr);
    EXPECT_EQ(addresses(live), (QStringList{"b", "c", ""}));
}

TEST(RulesFileEmpty, AZeroByteFileHoldsNoRules)
{
    test::TestHome home;
    test::writeFile(RulesFile::defaultPath(), QByteArray());
    TRuleList list;
    addRule(list, QStringLiteral("stale"));
    struct Collect : RuleNotices
    {
        QStringList texts;
        void notice(const QString &t) override { texts.append(t); }
    } notices;
    EXPECT_TRUE(RulesFile().loadAtStartUp(list, notices));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(notices.texts.isEmpty());
    EXPECT_TRUE(QFile::exists(RulesFile::defaultPath()));
}
