#include "rules/Rule.h"

#include "rules/RuleError.h"

namespace wv {

TRule::~TRule()
{
    if (Partner && Partner->Partner == this)
        Partner->Partner = nullptr;
}

void TRule::Assign(TRule *source)
{
    if (!source)
        throw ERuleError(QStringLiteral("Cannot copy from a non-existent rule"));
    WhoKind = source->WhoKind;
    EventKind = source->EventKind;
    PortKind = source->PortKind;
    Actions = source->Actions;
    Address = source->Address;
    Port = source->Port;
    Message = source->Message;
    LaunchFile = source->LaunchFile;
    WavFile = source->WavFile;
    EmailTo = source->EmailTo;
    ReservedText = source->ReservedText;
    Enabled = source->Enabled;
    IgnoredThisSession = source->IgnoredThisSession;
    Number = source->Number;
    source->Partner = this;
    Partner = source;
}

QString TRule::Summary() const
{
    QString s = WhoKind != 0 ? Address : QStringLiteral("Anyone");
    s += PortKind != 0 ? QStringLiteral(" on port ") + Port : QStringLiteral(" on any port");
    switch (EventKind) {
    case 0:
        s += QStringLiteral(" / any connection");
        break;
    case 1:
        s += QStringLiteral(" / SYN event");
        break;
    case 2:
        s += QStringLiteral(" / over 2 connections");
        break;
    default:
        break;
    }
    return s;
}

QString TRule::ActionsText() const
{
    // The separators are uneven on purpose: users and the alert window (which
    // splits at ", ") have always seen exactly these texts.
    QString s;
    if (Actions.contains(raDisconnect))
        s += Actions.contains(raImmediate) ? QStringLiteral("Immediately disconnect from the net, ")
                                           : QStringLiteral("Disconnect from the net, ");
    if (Actions.contains(raLookup))
        s += QStringLiteral("Start the Lookup engine, ");
    if (Actions.contains(raLog))
        s += QStringLiteral("Write to log file, ");
    if (Actions.contains(raMark))
        s += QStringLiteral("Mark the connection, ");
    if (Actions.contains(raPlayWav))
        s += QStringLiteral("Play WAV file [") + WavFile + QStringLiteral("], ");
    if (Actions.contains(raLaunch))
        s += QStringLiteral("Launch file [") + LaunchFile + QStringLiteral("] ,");
    if (Actions.contains(raAlert))
        s += Actions.contains(raPassiveAlert) ? QStringLiteral("Show passive alert")
                                              : QStringLiteral("Show active alert");
    if (Actions.contains(raEmail))
        s += QStringLiteral("Send email to ") + EmailTo;
    return s;
}

QString TRule::LowerFirst(const QString &s)
{
    if (s.size() < 2)
        return s;
    QString r = s;
    r[0] = r[0].toLower();
    return r;
}

QString TRule::JoinChosen(const QList<bool> &chosen, const QStringList &items,
                          const QString &noneText, const QString &separator)
{
    if (chosen.size() != items.size())
        throw ERuleError(QStringLiteral("Incorrect number of expressions in array"));
    QString result;
    int hits = 0;
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        if (!chosen[i])
            continue;
        result += LowerFirst(items[i]);
        result += separator;
        ++hits;
    }
    if (hits == 0)
        return noneText;
    // Keep the first character of the last separator (a blank for all the
    // separators the sentence uses).
    if (!result.isEmpty() && !separator.isEmpty())
        result.truncate(result.size() - separator.size() + 1);
    return result;
}

QString TRule::Sentence(const RuleEditorCaptions &c) const
{
    const QString blank = QStringLiteral(" ");
    const QString none;
    QString s =
        QStringLiteral("**When ") +
        JoinChosen({WhoKind == 0, WhoKind == 1}, {c.anyone, c.someone + Address}, none, blank);
    s += JoinChosen({EventKind == 0, EventKind == 1, EventKind == 2},
                    {c.anyConnection, c.synEvent, c.overTwo}, none, blank);
    s += QStringLiteral("on ") +
         JoinChosen({PortKind == 0, PortKind == 1},
                    {c.anyPort, c.specificPort + QStringLiteral("(") + Port + QStringLiteral(") ")},
                    none, blank);

    const auto paren = [](const QString &caption, const QString &text) {
        return caption + QStringLiteral(" (") + text + QStringLiteral(") ");
    };
    const QList<bool> chosen = {
        Actions.contains(raDisconnect), Actions.contains(raPassiveAlert),
        Actions.contains(raAlert),      Actions.contains(raLaunch),
        Actions.contains(raImmediate),  Actions.contains(raLog),
        Actions.contains(raMark),       Actions.contains(raPlayWav),
        Actions.contains(raLookup),     Actions.contains(raEmail),
    };
    const QStringList items = {
        c.disconnect,
        c.passiveAlert,
        paren(c.alert, Message),
        paren(c.launch, LaunchFile),
        c.immediate,
        c.log,
        c.mark,
        c.playWav + QStringLiteral(" (") + WavFile + QStringLiteral(")"),
        c.lookup,
        c.email + QStringLiteral(" (to: ") + EmailTo + QStringLiteral(")"),
    };
    s += QStringLiteral("then ") +
         JoinChosen(chosen, items, QStringLiteral("do nothing"), QStringLiteral(" and ")) +
         QStringLiteral(".");
    s.remove(QLatin1Char('&'));
    return s;
}

} // namespace wv
