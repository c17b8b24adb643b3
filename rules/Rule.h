#pragma once

#include "rules/RuleEditorCaptions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace wv {

// Bit numbers of TRule::Actions.
enum TRuleAction : quint8
{
    raDisconnect = 0,
    raPassiveAlert = 1,
    raAlert = 2,
    raLaunch = 3,
    raImmediate = 4,
    raLog = 5,
    raMark = 6,
    raPlayWav = 7,
    raEmail = 8,
    raLookup = 9,
};
inline constexpr int RuleActionCount = 10;

// A 16-bit set of TRuleAction; bit k stands for action k. The raw bits are
// kept as read from the rules file, the unused upper bits included.
class TRuleActions
{
public:
    constexpr TRuleActions() = default;
    constexpr explicit TRuleActions(quint16 bits) : m_bits(bits) {}
    constexpr TRuleActions(std::initializer_list<TRuleAction> actions)
    {
        for (TRuleAction a : actions)
            m_bits |= quint16(1u << a);
    }

    constexpr bool contains(TRuleAction a) const { return (m_bits >> a) & 1u; }
    constexpr void set(TRuleAction a, bool on = true)
    {
        m_bits = on ? quint16(m_bits | (1u << a)) : quint16(m_bits & ~(1u << a));
    }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr quint16 bits() const { return m_bits; }
    constexpr bool operator==(const TRuleActions &) const = default;

private:
    quint16 m_bits = 0;
};

// One rule: who (anyone or an address substring), which event, which port,
// and the actions to perform when a connection matches.
class TRule
{
public:
    TRule() = default;
    // Unlinks the partner, so that it is never left pointing at a dead rule.
    ~TRule();
    TRule(const TRule &) = delete;
    TRule &operator=(const TRule &) = delete;

    quint8 WhoKind = 0;   // 0 anyone, 1 address or host name contains Address
    quint8 EventKind = 0; // 0 any connection, 1 SYN event, 2 two or more connections
    quint8 PortKind = 0;  // 0 any port, 1 the port in Port
    TRuleActions Actions;
    QString Address;
    QString Port;
    QString Message;
    QString LaunchFile;
    QString WavFile;
    QString EmailTo;
    QString ReservedText;
    quint8 Enabled = 1;
    quint8 IgnoredThisSession = 0;
    qint32 Number = 0;
    // The working copy / live rule this one is paired with; not owned.
    TRule *Partner = nullptr;

    // Copies every field but Partner from source, then links the two rules
    // through Partner. Throws ERuleError when source is null.
    void Assign(TRule *source);

    // "Anyone on port 21 / SYN event"
    QString Summary() const;
    // The chosen actions as one comma list, as the alert window and the
    // e-mail body show them.
    QString ActionsText() const;
    // The rule as an English sentence made of the editor's captions.
    QString Sentence(const RuleEditorCaptions &captions = RuleEditorCaptions::standard()) const;

    // S with its first character lower-cased when S has two or more.
    static QString LowerFirst(const QString &s);
    // Joins the chosen items with separator, keeping the first character of
    // the last separator; noneText when nothing is chosen.
    static QString JoinChosen(const QList<bool> &chosen, const QStringList &items,
                              const QString &noneText, const QString &separator);
};

} // namespace wv
