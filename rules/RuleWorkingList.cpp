#include "rules/RuleWorkingList.h"

#include "settings/DebugTrace.h"

namespace wv {

const QString RuleWorkingList::StaleCopyNotice =
    QStringLiteral("There's potentially something wrong");

RuleWorkingList::RuleWorkingList(TRuleList &live) : m_live(live) {}

RuleWorkingList::~RuleWorkingList()
{
    if (m_working)
        close();
}

bool RuleWorkingList::open()
{
    const bool fresh = !m_working;
    if (m_working) {
        unlinkLive();
        m_working.reset();
    }
    m_working = std::make_unique<TRuleList>();
    for (const auto &rule : m_live.Items()) {
        auto copy = std::make_unique<TRule>();
        copy->Assign(rule.get());
        m_working->Add(std::move(copy));
    }
    return fresh;
}

TRule *RuleWorkingList::add(std::unique_ptr<TRule> rule)
{
    rule->Partner = nullptr;
    return m_working->Add(std::move(rule));
}

void RuleWorkingList::remove(int index)
{
    auto &items = m_working->Items();
    if (index < 0 || index >= int(items.size()))
        return;
    if (TRule *partner = items[size_t(index)]->Partner)
        partner->Partner = nullptr;
    items.erase(items.begin() + index);
}

void RuleWorkingList::clearAll()
{
    m_working->Clear();
    unlinkLive();
    m_working = std::make_unique<TRuleList>();
}

void RuleWorkingList::commit()
{
    auto &live = m_live.Items();
    for (int i = int(live.size()) - 1; i >= 0; --i) {
        if (!live[size_t(i)]->Partner)
            live.erase(live.begin() + i);
    }
    for (const auto &copy : m_working->Items()) {
        if (copy->Partner) {
            copy->Partner->Assign(copy.get());
        } else {
            TRule *added = m_live.Add();
            added->Assign(copy.get());
        }
    }
}

void RuleWorkingList::close()
{
    unlinkLive();
    DebugLog(QStringLiteral("About to free temprules"));
    m_working.reset();
    DebugLog(QStringLiteral("temprules freed"));
}

void RuleWorkingList::unlinkLive()
{
    for (const auto &rule : m_live.Items())
        rule->Partner = nullptr;
    if (m_working) {
        for (const auto &rule : m_working->Items())
            rule->Partner = nullptr;
    }
}

} // namespace wv
