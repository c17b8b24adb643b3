#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace wv {

// The two ICMP counters the status bar shows.
struct EchoCounters
{
    qint64 inEchos = 0;    // echo requests received
    qint64 inEchoReps = 0; // echo replies received
    // False: no figures at all yet (the counts above mean nothing).
    bool known = true;
    // False: the last figures of a host that no longer answers.
    bool current = true;
    bool operator==(const EchoCounters &) const = default;
};

// Where the status bar reads the ICMP echo counters from; the engine's
// counter objects can stand in for the reader below.
class EchoCounterSource
{
public:
    virtual ~EchoCounterSource() = default;
    virtual std::optional<EchoCounters> read() = 0;
};

// Reads InEchos and InEchoReps from the "Icmp:" lines of /proc/net/snmp.
class ProcSnmpEchoCounters : public EchoCounterSource
{
public:
    explicit ProcSnmpEchoCounters(QString path = QStringLiteral("/proc/net/snmp"));
    std::optional<EchoCounters> read() override;

    // The counters of a text in /proc/net/snmp form: a header line naming the
    // columns and a line of values, both starting with "Icmp:".
    static std::optional<EchoCounters> parse(const QByteArray &snmp);

private:
    QString m_path;
};

} // namespace wv
