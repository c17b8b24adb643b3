#include "stats/advstat/StatsPages.h"

#include "engine/EngineErrors.h"
#include "engine/NetstatCounters.h"

namespace wv {

namespace {

struct PageNames
{
    const char *caption;
    const char *name;
};

constexpr PageNames kPages[StatsPageCount] = {
    {"Connection Stats", "connection"},
    {"ICMP Stats", "icmp"},
    {"IP Stats", "ip"},
    {"TCP Stats", "tcp"},
    {"UDP Stats", "udp"},
};

} // namespace

QString statsPageCaption(StatsPage page)
{
    return QLatin1String(kPages[int(page)].caption);
}

QString statsPageName(StatsPage page)
{
    return QLatin1String(kPages[int(page)].name);
}

std::optional<StatsPage> statsPageFromName(const QString &name)
{
    for (int i = 0; i < StatsPageCount; ++i) {
        if (name.compare(QLatin1String(kPages[i].name), Qt::CaseInsensitive) == 0)
            return StatsPage(i);
    }
    return std::nullopt;
}

QStringList counterColumns()
{
    return {QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Value")};
}

QStringList connectionColumns()
{
    return {QString(), QStringLiteral("Name"), QStringLiteral("Value")};
}

std::unique_ptr<TCounterList> makeCounterList(StatsPage page, const AgentLoader &loader)
{
    switch (page) {
    case StatsPage::Icmp:
        return std::make_unique<TIcmpStats>(nullptr, loader);
    case StatsPage::Ip:
        return std::make_unique<TIpStats>(nullptr, loader);
    case StatsPage::Tcp:
        return std::make_unique<TTCPStats>(nullptr, loader);
    case StatsPage::Udp:
        return std::make_unique<TUdpStats>(nullptr, loader);
    case StatsPage::Connection:
        break;
    }
    return nullptr;
}

// The lists are owned here, not by a parent object, so that they die with the
// window's set.
StatsCounterSet::StatsCounterSet()
    : m_icmp(std::make_unique<TIcmpStats>()), m_ip(std::make_unique<TIpStats>()),
      m_tcp(std::make_unique<TTCPStats>()), m_udp(std::make_unique<TUdpStats>())
{
}

StatsCounterSet::~StatsCounterSet() = default;

TCounterList *StatsCounterSet::listFor(StatsPage page) const
{
    switch (page) {
    case StatsPage::Icmp:
        return m_icmp.get();
    case StatsPage::Ip:
        return m_ip.get();
    case StatsPage::Tcp:
        return m_tcp.get();
    case StatsPage::Udp:
        return m_udp.get();
    case StatsPage::Connection:
        break;
    }
    return nullptr;
}

CounterRows readCounterRows(TCounterList &list)
{
    CounterRows result;
    try {
        for (int i = 0; i < list.Count(); ++i) {
            TNetstatCounterObject *c = list.Counters(i);
            const qint32 value = c->Value();
            result.rows.append({QString::number(i + 1), c->Name(), QString::asprintf("%d", value)});
        }
    } catch (const EngineException &e) {
        result.error = e.Message();
    }
    return result;
}

} // namespace wv
