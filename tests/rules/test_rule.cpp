#include "rules/Rule.h"
#include "rules/RuleError.h"
#include "rules/RuleList.h"

#include <functional>

#include <gtest/gtest.h>

using namespace wv;

namespace {

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ERuleError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QStringLiteral("other: ") + QString::fromStdString(e.what());
    }
    return {};
}

// Address 10.0.0., SYN event, port 6667, with most actions chosen.
void makeBusyRule(TRule &r)
{
    r.WhoKind = 1;
    r.EventKind = 1;
    r.PortKind = 1;
    r.Actions = {raDisconnect, raAlert, raLaunch, raImmediate, raPlayWav, raEmail, raLookup};
    r.Address = QStringLiteral("10.0.0.");
    r.Port = QStringLiteral("6667");
    r.Message = QStringLiteral("IRC!");
    r.LaunchFile = QStringLiteral("/bin/true");
    r.WavFile = QStringLiteral("ding.wav");
    r.EmailTo = QStringLiteral("me@x.org");
}

} // namespace

TEST(Rule, AssignCopiesFieldsAndLinksPartners)
{
    TRule live;
    makeBusyRule(live);
    live.ReservedText = QStringLiteral("kept");
    live.Enabled = 0;
    live.IgnoredThisSession = 1;
    live.Number = 7;
    {
        TRule copy;
        copy.Assign(&live);
        EXPECT_EQ(copy.Summary(), live.Summary());
        EXPECT_EQ(copy.Sentence(), live.Sentence());
        EXPECT_EQ(copy.ReservedText, QStringLiteral("kept"));
        EXPECT_EQ(copy.Enabled, 0);
        EXPECT_EQ(copy.IgnoredThisSession, 1);
        EXPECT_EQ(copy.Number, 7);
        EXPECT_EQ(copy.Partner, &live);
        EXPECT_EQ(live.Partner, &copy);

        // Copying back (as closing the options dialog does) keeps the link.
        copy.Message = QStringLiteral("changed");
        live.Assign(&copy);
        EXPECT_EQ(live.Message, QStringLiteral("changed"));
        EXPECT_EQ(live.Partner, &copy);
    }
    // A destroyed partner does not leave a dangling link behind.
    EXPECT_EQ(live.Partner, nullptr);

    EXPECT_EQ(errorOf([&] { live.Assign(nullptr); }),
              QStringLiteral("Cannot copy from a non-existent rule"));
}

TEST(Rule, SummaryTexts)
{
    TRule r;
    EXPECT_EQ(r.Summary(), QStringLiteral("Anyone on any port / any connection"));
    r.PortKind = 1;
    r.Port = QStringLiteral("21");
    r.EventKind = 1;
    EXPECT_EQ(r.Summary(), QStringLiteral("Anyone on port 21 / SYN event"));

    makeBusyRule(r);
    r.PortKind = 0;
    r.EventKind = 2;
    EXPECT_EQ(r.Summary(), QStringLiteral("10.0.0. on any port / over 2 connections"));
    r.EventKind = 3;
    EXPECT_EQ(r.Summary(), QStringLiteral("10.0.0. on any port"));
}

TEST(Rule, ActionsTextKeepsItsSeparators)
{
    TRule r;
    EXPECT_EQ(r.ActionsText(), QString());

    r.Actions = {raAlert, raEmail};
    r.EmailTo = QStringLiteral("a@b.org\nc@d.org");
    EXPECT_EQ(r.ActionsText(), QStringLiteral("Show active alertSend email to a@b.org\nc@d.org"));
    r.Actions = {raAlert, raPassiveAlert};
    EXPECT_EQ(r.ActionsText(), QStringLiteral("Show passive alert"));
    // The passive flag alone shows nothing.
    r.Actions = {raPassiveAlert, raImmediate};
    EXPECT_EQ(r.ActionsText(), QString());

    r.Actions = {raDisconnect, raLog, raMark};
    EXPECT_EQ(r.ActionsText(),
              QStringLiteral("Disconnect from the net, Write to log file, Mark the connection, "));

    makeBusyRule(r);
    EXPECT_EQ(r.ActionsText(),
              QStringLiteral("Immediately disconnect from the net, Start the Lookup engine, "
                             "Play WAV file [ding.wav], Launch file [/bin/true] ,"
                             "Show active alertSend email to me@x.org"));
}

TEST(Rule, SentenceReadsAsTheEditorCaptions)
{
    TRule r;
    r.Actions = {raLog};
    EXPECT_EQ(r.Sentence(), QStringLiteral("**When anyone makes any kind of connection on any "
                                           "local port then log to the log file ."));
    r.Actions = {};
    EXPECT_EQ(r.Sentence(), QStringLiteral("**When anyone makes any kind of connection on any "
                                           "local port then do nothing."));

    makeBusyRule(r);
    EXPECT_EQ(r.Sentence(),
              QStringLiteral("**When someone with an address containing substring10.0.0. sends a "
                             "SYN type event (attempts connection) on specific port:(6667)  then "
                             "disconnect from the Internet and display a message alert (IRC!)  and "
                             "launch program (/bin/true)  and immediate disconnect and play WAV "
                             "sound file (ding.wav) and start Advanced lookup/tracing engine and "
                             "send an email notification (to: me@x.org) ."));

    // Ampersands go, wherever they come from; the mark caption keeps its blank.
    TRule q;
    q.EventKind = 2;
    q.Actions = {raMark, raPassiveAlert, raAlert};
    q.Message = QStringLiteral("R&D");
    RuleEditorCaptions c;
    c.passiveAlert = QStringLiteral("&Quiet");
    EXPECT_EQ(q.Sentence(c), QStringLiteral("**When anyone establishes more than two connections "
                                            "on any local port then Quiet and display a message "
                                            "alert (RD)  and put an asterisk next to connection "
                                            "listitem  ."));

    // A kind outside the known values contributes nothing.
    q.WhoKind = 5;
    EXPECT_TRUE(q.Sentence().startsWith(QStringLiteral("**When establishes")));
}

TEST(Rule, JoinHelpers)
{
    EXPECT_EQ(TRule::LowerFirst(QStringLiteral("A")), QStringLiteral("A"));
    EXPECT_EQ(TRule::LowerFirst(QString()), QString());
    EXPECT_EQ(TRule::LowerFirst(QStringLiteral("AB")), QStringLiteral("aB"));
    EXPECT_EQ(TRule::LowerFirst(QStringLiteral("\u00c9t\u00e9")), QStringLiteral("\u00e9t\u00e9"));

    EXPECT_EQ(TRule::JoinChosen({false, false}, {QStringLiteral("A1"), QStringLiteral("B2")},
                                QStringLiteral("none"), QStringLiteral(", ")),
              QStringLiteral("none"));
    EXPECT_EQ(TRule::JoinChosen({true, false, true},
                                {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("X")},
                                QString(), QStringLiteral(", ")),
              QStringLiteral("one, X,"));
    EXPECT_EQ(errorOf([] {
                  TRule::JoinChosen({true}, {QStringLiteral("a"), QStringLiteral("b")}, QString(),
                                    QStringLiteral(" "));
              }),
              QStringLiteral("Incorrect number of expressions in array"));
}

TEST(RuleList, RuleNumbersAndOwnership)
{
    TRuleList list;
    EXPECT_EQ(errorOf([&] { list.Rule(0); }), QStringLiteral("Invalid Rule Number Requested: 0"));
    TRule *a = list.Add();
    TRule *b = list.Add();
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Rule(1), b);
    EXPECT_EQ(errorOf([&] { list.Rule(2); }), QStringLiteral("Invalid Rule Number Requested: 2"));
    EXPECT_EQ(errorOf([&] { list.Rule(-1); }), QStringLiteral("Invalid Rule Number Requested: -1"));

    // An empty entry is reported, but only after every rule was destroyed.
    TRule watchA, watchB;
    watchA.Assign(a);
    watchB.Assign(b);
    list.Items().insert(list.Items().begin() + 1, nullptr);
    EXPECT_EQ(errorOf([&] { list.Clear(); }),
              QStringLiteral("other: An serious internal error occured deleting the rules"));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(watchA.Partner, nullptr);
    EXPECT_EQ(watchB.Partner, nullptr);

    // The destructor never throws, even over an empty entry.
    {
        TRuleList doomed;
        doomed.Add();
        doomed.Items().push_back(nullptr);
    }
}
