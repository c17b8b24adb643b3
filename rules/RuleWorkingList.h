#pragma once

#include "rules/RuleList.h"

#include <memory>

namespace wv {

// The copy of the rules the options dialog edits. Each working rule made from
// a live rule is linked to it through Partner in both directions; a rule
// added in the dialog has no partner, and a live rule whose copy was deleted
// loses its partner. Only commit() touches the live list.
class RuleWorkingList
{
public:
    static const QString StaleCopyNotice; // "There's potentially something wrong"

    explicit RuleWorkingList(TRuleList &live);
    ~RuleWorkingList();

    // Makes the working copy of every live rule, in order. Returns false when
    // a copy still existed from an earlier opening (the caller says so); a new
    // copy is made anyway.
    bool open();
    bool isOpen() const { return m_working != nullptr; }
    TRuleList &working() { return *m_working; }
    TRuleList &live() { return m_live; }

    // Appends a rule made in the dialog (no partner).
    TRule *add(std::unique_ptr<TRule> rule);
    // Deletes the working rule at index; its live rule loses its partner.
    void remove(int index);
    // Deletes every working rule and unlinks every live rule.
    void clearAll();

    // The live list takes over the working copy: live rules without a
    // partner are destroyed, the others updated from their copies, new
    // working rules appended in the order they were added.
    void commit();
    // Unlinks the live rules and destroys the working copy (after OK and
    // after Cancel alike).
    void close();

private:
    void unlinkLive();

    TRuleList &m_live;
    std::unique_ptr<TRuleList> m_working;
};

} // namespace wv
