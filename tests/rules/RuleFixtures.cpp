#include "tests/rules/RuleFixtures.h"

#include "rules/RuleList.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

namespace wv::test {

QByteArray hexFixture(const QString &name)
{
    const QByteArray text = readFile(testDataDir() + QStringLiteral("/rules/") + name);
    EXPECT_FALSE(text.isEmpty()) << name.toStdString();
    QByteArray digits;
    bool comment = false;
    for (char c : text) {
        if (c == '\n')
            comment = false;
        else if (c == '#')
            comment = true;
        else if (!comment && QByteArrayView("0123456789abcdefABCDEF").contains(c))
            digits.append(c);
    }
    EXPECT_EQ(digits.size() % 2, 0) << name.toStdString();
    return QByteArray::fromHex(digits);
}

void expectThreeRulesPrefix(const TRuleList &list, int n)
{
    ASSERT_EQ(list.Count(), n);
    if (n > 0) {
        const TRule &r = *list.Items()[0];
        EXPECT_EQ(r.WhoKind, 0);
        EXPECT_EQ(r.EventKind, 0);
        EXPECT_EQ(r.PortKind, 0);
        EXPECT_EQ(r.Actions, TRuleActions({raLog}));
        EXPECT_EQ(r.Enabled, 1);
        EXPECT_EQ(r.Number, 0);
        EXPECT_EQ(r.Port, QStringLiteral("21"));
        EXPECT_TRUE(r.Address.isEmpty() && r.Message.isEmpty() && r.ReservedText.isEmpty());
    }
    if (n > 1) {
        const TRule &r = *list.Items()[1];
        EXPECT_EQ(r.WhoKind, 1);
        EXPECT_EQ(r.EventKind, 1);
        EXPECT_EQ(r.PortKind, 1);
        EXPECT_EQ(r.Actions.bits(), 0x039d);
        EXPECT_EQ(r.Enabled, 0);
        EXPECT_EQ(r.Number, 1);
        EXPECT_EQ(r.Address, QStringLiteral("10.0.0."));
        EXPECT_EQ(r.LaunchFile, QStringLiteral("/bin/true"));
        EXPECT_EQ(r.Port, QStringLiteral("6667"));
        EXPECT_EQ(r.Message, QStringLiteral("IRC!"));
        EXPECT_EQ(r.EmailTo, QStringLiteral("me@x.org"));
        EXPECT_EQ(r.WavFile, QStringLiteral("ding.wav"));
        EXPECT_EQ(r.ReservedText, QStringLiteral("r"));
    }
    if (n > 2) {
        const TRule &r = *list.Items()[2];
        EXPECT_EQ(r.EventKind, 2);
        EXPECT_EQ(r.Actions, TRuleActions({raPassiveAlert, raAlert, raMark}));
        EXPECT_EQ(r.Number, -2);
        EXPECT_EQ(r.Address, QStringLiteral("10"));
        EXPECT_EQ(r.Port, QStringLiteral("31337"));
        EXPECT_EQ(r.Message, QStringLiteral("hello"));
    }
    for (const auto &r : list.Items())
        EXPECT_EQ(r->IgnoredThisSession, 0);
}

} // namespace wv::test
