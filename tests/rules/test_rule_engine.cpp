#include "rules/RuleEngine.h"
#include "rules/RuleList.h"
#include "settings/DebugTrace.h"
#include "settings/Paths.h"
#include "tests/support/TestHome.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QStringList>
#include <QThread>

#include <vector>

namespace wv {
namespace {

struct Row
{
    QString address, name, local, remote, state;
    QString key() const
    {
        return address + QLatin1Char('*') + local + QLatin1Char('*') + remote + QLatin1Char('*') +
               state;
    }
};

class FakeRows : public RuleRows
{
public:
    std::vector<Row> rows;
    std::vector<std::pair<int, int>> marks; // row, rule

    int RowCount() const override { return int(rows.size()); }
    QString RemoteAddress(int r) const override { return rows[size_t(r)].address; }
    QString DisplayName(int r) const override { return rows[size_t(r)].name; }
    QString LocalPortText(int r) const override { return rows[size_t(r)].local; }
    QString RemotePortText(int r) const override { return rows[size_t(r)].remote; }
    QString KeyLine(int r) const override { return rows[size_t(r)].key(); }
    void MarkRow(int row, bool on, int rule) override
    {
        if (on)
            marks.emplace_back(row, rule);
    }
};

class RecordingHost : public RuleActionHost, public DialUpHangUp, public RuleMailer
{
public:
    QStringList calls;
    QStringList logLines;
    int alertWaiting = 0;
    QString mailTo, mailSubject, mailBody;
    int mails = 0;

    void OpenLookup(int row, const QString &name) override
    {
        calls << QStringLiteral("lookup %1 %2").arg(row).arg(name);
    }
    void WriteLog(const QString &text) override
    {
        calls << QStringLiteral("log");
        logLines << text;
    }
    void PlaySound(const QString &file) override { calls << QStringLiteral("play ") + file; }
    void Launch(const QString &command) override { calls << QStringLiteral("launch ") + command; }
    void OpenAlert(const QString &message, int rule, int row) override
    {
        calls << QStringLiteral("alert %1 %2 %3").arg(message).arg(rule).arg(row);
    }
    void SetAlertWaiting() override { ++alertWaiting; }
    void NetDisconnect(bool askFirst) override
    {
        calls << QStringLiteral("hangup %1").arg(askFirst ? "ask" : "now");
    }
    void SendAlertMail(const QString &to, const QString &subject, const QString &body) override
    {
        ++mails;
        mailTo = to;
        mailSubject = subject;
        mailBody = body;
    }
};

class RuleEngineTest : public ::testing::Test
{
protected:
    RuleEngineTest()
    {
        engine.setHost(&host);
        engine.setHangUp(&host);
        engine.setMailer(&host);
        debugTrace().setEnabled(true);
        debugTrace().clear();
    }
    ~RuleEngineTest() override { debugTrace().setEnabled(false); }

    TRule &addRule(TRuleActions actions, quint8 who = 0, const QString &address = {},
                   quint8 event = 0, quint8 portKind = 0, const QString &port = {})
    {
        TRule &r = *rules.Add();
        r.Actions = actions;
        r.WhoKind = who;
        r.Address = address;
        r.EventKind = event;
        r.PortKind = portKind;
        r.Port = port;
        return r;
    }
    void addRow(const QString &address, const QString &local, const QString &remote,
                const QString &state = QStringLiteral("ESTABLISHED"), QString name = {})
    {
        if (name.isEmpty())
            name = address;
        table.rows.push_back({address, name, local, remote, state});
    }

    TRuleList rules;
    FakeRows table;
    RecordingHost host;
    RuleEngine engine{rules, table};
};

TEST_F(RuleEngineTest, EveryRowAndRuleIsTriedAndEachMatchLogsItsOwnLine)
{
    addRule({raLog}, 0, {}, 0, 1, QStringLiteral("80"));
    addRule({raLog});
    addRow(QStringLiteral("10.0.0.5"), QStringLiteral("4000"), QStringLiteral("80"),
           QStringLiteral("ESTABLISHED"), QStringLiteral("www.example.org"));
    addRow(QStringLiteral("10.0.0.6"), QStringLiteral("80"), QStringLiteral("0"),
           QStringLiteral("LISTEN"));
    engine.EvaluateRules();
    EXPECT_EQ(
        host.logLines,
        QStringList({"www.example.org met rule #0 by connecting to your computer "
                     "involving port 80.",
                     "www.example.org met rule #1 by connecting to your computer "
                     "involving port .",
                     "10.0.0.6 met rule #0 by connecting to your computer involving port 80.",
                     "10.0.0.6 met rule #1 by connecting to your computer involving port ."}));
    EXPECT_EQ(debugTrace().text().count(QStringLiteral("Doing a rule action")), 4);
}

TEST_F(RuleEngineTest, WhoEventAndPortConditions)
{
    // Who: address or display name, case-sensitive; an empty address occurs nowhere.
    TRule &who = addRule({raMark}, 1, QStringLiteral("Example"));
    TRule &empty = addRule({raMark}, 1, {});
    // SYN: any state name containing "syn", case-insensitively.
    TRule &syn = addRule({raMark}, 0, {}, 1);
    // Port as text: "080" is not "80".
    TRule &port80 = addRule({raMark}, 0, {}, 0, 1, QStringLiteral("80"));
    TRule &port080 = addRule({raMark}, 0, {}, 0, 1, QStringLiteral("080"));
    addRow(QStringLiteral("1.1.1.1"), QStringLiteral("80"), QStringLiteral("5000"),
           QStringLiteral("SYN_RECEIVED"), QStringLiteral("host.Example.com"));
    addRow(QStringLiteral("2.2.2.2"), QStringLiteral("5001"), QStringLiteral("80"),
           QStringLiteral("SYN_SENT"), QStringLiteral("host.example.com"));
    addRow(QStringLiteral("3.3.3.3"), QStringLiteral("5002"), QStringLiteral("443"));
    Q_UNUSED(who);
    Q_UNUSED(empty);
    Q_UNUSED(syn);
    Q_UNUSED(port80);
    Q_UNUSED(port080);
    engine.EvaluateRules();
    const std::vector<std::pair<int, int>> expected{{0, 0}, {0, 2}, {0, 3}, {1, 2}, {1, 3}};
    EXPECT_EQ(table.marks, expected);
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("r.action:A SYN was detected!")));
}

TEST_F(RuleEngineTest, ConnectCountNeedsTwoRowsContainingTheAddress)
{
    addRule({raMark}, 1, QStringLiteral("10.0.0."), 2);
    addRow(QStringLiteral("10.0.0.5"), QStringLiteral("4000"), QStringLiteral("80"));
    addRow(QStringLiteral("192.168.1.1"), QStringLiteral("4001"), QStringLiteral("80"));
    engine.EvaluateRules();
    EXPECT_TRUE(table.marks.empty());

    // A second row whose display name holds the text counts too.
    addRow(QStringLiteral("192.168.1.2"), QStringLiteral("4002"), QStringLiteral("80"),
           QStringLiteral("ESTABLISHED"), QStringLiteral("10.0.0.9.in-addr"));
    engine.EvaluateRules();
    const std::vector<std::pair<int, int>> expected{{0, 0}, {2, 0}};
    EXPECT_EQ(table.marks, expected);
    EXPECT_TRUE(debugTrace().text().contains(QStringLiteral("r.action:Connect count for IP > 2!")));

    // Anyone with the usual empty address counts nothing and never matches.
    table.marks.clear();
    rules.Rule(0)->WhoKind = 0;
    rules.Rule(0)->Address.clear();
    engine.EvaluateRules();
    EXPECT_TRUE(table.marks.empty());
}

TEST_F(RuleEngineTest, SkippedRulesStillGetTheirNumber)
{
    TRule &off = addRule({raLog});
    off.Enabled = 0;
    off.Number = 7;
    TRule &ignored = addRule({raLog});
    ignored.IgnoredThisSession = 1;
    ignored.Number = 9;
    addRow(QStringLiteral("1.2.3.4"), QStringLiteral("1"), QStringLiteral("2"));
    engine.EvaluateRules();
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(off.Number, 0);
    EXPECT_EQ(ignored.Number, 1);
}

TEST_F(RuleEngineTest, ActionsRunInFixedOrderAndOnceOnlyActionsAfterThePass)
{
    TRule &all = addRule({raDisconnect, raLookup, raLog, raMark, raPlayWav, raLaunch, raAlert});
    all.WavFile = QStringLiteral("/s.wav");
    all.LaunchFile = QStringLiteral("/bin/true");
    all.Message = QStringLiteral("hi");
    TRule &second = addRule({raDisconnect, raImmediate, raLookup, raAlert, raPassiveAlert});
    addRow(QStringLiteral("1.2.3.4"), QStringLiteral("1"), QStringLiteral("2"));
    addRow(QStringLiteral("5.6.7.8"), QStringLiteral("1"), QStringLiteral("2"));
    Q_UNUSED(second);
    engine.EvaluateRules();
    EXPECT_EQ(host.calls, QStringList({"lookup 0 1.2.3.4", "log", "play /s.wav", "launch /bin/true",
                                       "alert hi 0 0", "log", "play /s.wav", "launch /bin/true",
                                       "alert hi 0 1", "hangup now"}));
    EXPECT_EQ(host.alertWaiting, 4);
    EXPECT_EQ(table.marks.size(), 2u);

    // The last disconnecting match decides whether to ask.
    host.calls.clear();
    rules.Items().pop_back();
    addRule({raDisconnect});
    engine.EvaluateRules();
    EXPECT_EQ(host.calls.last(), QStringLiteral("hangup ask"));
    EXPECT_EQ(host.calls.count(QStringLiteral("hangup ask")), 1);
}

// The launch text goes to the command interpreter as it stands, so a
// command with arguments works; it runs in the per-user folder.
TEST(RuleLaunch, TheCommandLineRunsWithItsArguments)
{
    test::TestHome home;
    TRuleList rules;
    FakeRows table;
    RuleEngine engine{rules, table}; // the real action host
    TRule &r = *rules.Add();
    r.Actions = {raLaunch};
    r.LaunchFile = QStringLiteral("touch first 'second file' && echo $((6*7)) > third");
    table.rows.push_back({QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.5"),
                          QStringLiteral("4000"), QStringLiteral("80"),
                          QStringLiteral("ESTABLISHED")});
    engine.EvaluateRules();
    const QString third = Paths::userFile(QStringLiteral("third"));
    QDeadlineTimer deadline(10000);
    while (test::readFile(third).isEmpty() && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(test::readFile(third), QByteArray("42\n"));
    EXPECT_TRUE(QFile::exists(Paths::userFile(QStringLiteral("first"))));
    EXPECT_TRUE(QFile::exists(Paths::userFile(QStringLiteral("second file"))));
}

TEST_F(RuleEngineTest, OneMailPerPassWithEveryMatch)
{
    TRule &a = addRule({raEmail, raLog});
    a.EmailTo = QStringLiteral("first@example.org");
    TRule &b = addRule({raEmail}, 0, {}, 0, 1, QStringLiteral("22"));
    b.EmailTo = QStringLiteral("second@example.org");
    addRow(QStringLiteral("1.2.3.4"), QStringLiteral("22"), QStringLiteral("5000"));
    engine.EvaluateRules();
    ASSERT_EQ(host.mails, 1);
    EXPECT_EQ(host.mailTo, QStringLiteral("second@example.org"));
    EXPECT_EQ(host.mailSubject, QStringLiteral("WVN Alert"));
    const QString tail =
        QStringLiteral("\r\rThis message is being brought to you by Wirevane Professional. The "
                       "criteria for a rule(s) has been met.\r\r"
                       "1.2.3.4 met rule #0 by connecting to your computer involving port .\r"
                       "1.2.3.4 met rule #1 by connecting to your computer involving port 22.\r"
                       "\r\rAs a result, WVN is performing the following actions:\r\r") +
        a.ActionsText() + QLatin1Char('\r') + b.ActionsText() + QLatin1Char('\r');
    EXPECT_TRUE(host.mailBody.endsWith(tail)) << host.mailBody.toStdString();
    EXPECT_FALSE(host.mailBody.startsWith(QLatin1Char('\r')));
}

TEST_F(RuleEngineTest, NothingHappensWithoutRowsOrRules)
{
    addRow(QStringLiteral("1.2.3.4"), QStringLiteral("22"), QStringLiteral("5000"));
    engine.EvaluateRules();
    table.rows.clear();
    addRule({raLog, raDisconnect, raEmail});
    engine.EvaluateRules();
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(host.mails, 0);
}

// A table that shrinks while an action runs (a window let the refresh run).
class ShrinkingRows : public FakeRows
{
public:
    void MarkRow(int row, bool on, int rule) override
    {
        FakeRows::MarkRow(row, on, rule);
        rows.clear();
    }
};

TEST(RuleEngineShrink, TableChangingDuringThePassIsNotOverrun)
{
    TRuleList rules;
    rules.Add()->Actions = TRuleActions{raMark};
    rules.Add()->Actions = TRuleActions{raMark};
    ShrinkingRows table;
    table.rows.push_back({"1.1.1.1", "1.1.1.1", "1", "2", "ESTABLISHED"});
    table.rows.push_back({"2.2.2.2", "2.2.2.2", "1", "2", "ESTABLISHED"});
    RuleEngine engine(rules, table);
    engine.EvaluateRules();
    EXPECT_EQ(table.marks.size(), 1u);
}

} // namespace
} // namespace wv
