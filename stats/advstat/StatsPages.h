#pragma once

#include "engine/MibTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace wv {

class TCounterList;
class TIcmpStats;
class TIpStats;
class TTCPStats;
class TUdpStats;

// The pages of the advanced statistics window, in page order.
enum class StatsPage
{
    Connection = 0,
    Icmp,
    Ip,
    Tcp,
    Udp
};
inline constexpr int StatsPageCount = 5;

// "Connection Stats", "ICMP Stats", ...
QString statsPageCaption(StatsPage page);
// The command-line names: "connection", "icmp", "ip", "tcp", "udp".
QString statsPageName(StatsPage page);
std::optional<StatsPage> statsPageFromName(const QString &name);

// Column captions of the counter pages ("#", "Name", "Value") and of the
// connection page (a hidden one, "Name", "Value").
QStringList counterColumns();
QStringList connectionColumns();

// A new counter list of a page, its links opened with loader (the system's
// agent when empty); null for the connection page. Throws EConnListError.
std::unique_ptr<TCounterList> makeCounterList(StatsPage page, const AgentLoader &loader = {});

// The four counter lists the window owns, one of each kind. Creating them
// opens the agent links and throws EConnListError when that fails.
class StatsCounterSet
{
public:
    StatsCounterSet();
    ~StatsCounterSet();

    // The list a counter page shows; null for the connection page.
    TCounterList *listFor(StatsPage page) const;

    TIcmpStats &IcmpStats1() const { return *m_icmp; }
    TIpStats &IpStats1() const { return *m_ip; }
    TTCPStats &TCPStats1() const { return *m_tcp; }
    TUdpStats &UdpStats1() const { return *m_udp; }

private:
    std::unique_ptr<TIcmpStats> m_icmp;
    std::unique_ptr<TIpStats> m_ip;
    std::unique_ptr<TTCPStats> m_tcp;
    std::unique_ptr<TUdpStats> m_udp;
};

// The rows of one counter page: i + 1, the counter's name and its value as a
// signed 32-bit number. A read that fails ends the fill: the rows read so far
// are kept and the failure's message is given.
struct CounterRows
{
    QList<QStringList> rows;
    std::optional<QString> error;
};
CounterRows readCounterRows(TCounterList &list);

// The message box text of a failed page fill.
inline constexpr const char *ProtocolStatsError =
    "There was an error accessing protocol statistics.";

} // namespace wv
