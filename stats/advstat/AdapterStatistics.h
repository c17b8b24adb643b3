#pragma once

#include "stats/dialup/AdapterCounters.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace wv {

class RegistryStore;

// What /sys/class/net/<interface> tells about the dial-up adapter: the byte
// and frame counters under statistics/ and, where the driver gives one, the
// connect speed.
struct AdapterStatistics
{
    QString interfaceName;
    quint64 bytesSent = 0;
    quint64 bytesReceived = 0;
    quint64 framesReceived = 0;
    // Bits per second; none when the driver does not know (virtual links,
    // a link that is down).
    std::optional<quint64> connectSpeed;

    AdapterTotals totals() const { return {bytesSent, bytesReceived}; }
};

// Reads one interface's figures; none when the interface or its counters are
// missing or the name could climb out of the folder.
std::optional<AdapterStatistics>
readAdapterStatistics(const QString &interfaceName,
                      const QString &sysClassNet = QStringLiteral("/sys/class/net"));

// The text of the "Network device" group: the interface and its driver
// ("eth0 (virtio_net)"), or the interface alone; empty without one.
QString adapterDescription(const QString &interfaceName,
                           const QString &sysClassNet = QStringLiteral("/sys/class/net"));

// The interfaces the machine has, sorted by name.
QStringList networkInterfaces(const QString &sysClassNet = QStringLiteral("/sys/class/net"));

// Which interface counts as the dial-up adapter. The user may name one; until
// then (and when the name is cleared) it is the interface of the default
// route, looked up afresh each time. The choice lives in registry.ini under
// [WVN3PRO\DialUp], value "Adapter".
class AdapterChoice
{
public:
    static constexpr const char *Key = "WVN3PRO\\DialUp";
    static constexpr const char *Value = "Adapter";

    explicit AdapterChoice(RegistryStore &registry,
                           QString routeFile = QStringLiteral("/proc/net/route"));

    // The name the user chose; empty for the default route.
    QString named() const;
    // Stores a choice (empty: follow the default route). A name that cannot
    // be an interface is refused with false.
    bool setNamed(const QString &interfaceName);
    // The interface to read now: the named one, else the default route's
    // (empty when there is none).
    QString current() const;

private:
    RegistryStore &m_registry;
    QString m_routeFile;
};

// The traffic lights' source for the chosen adapter: asks the choice at every
// read, so that a new choice or a new default route is followed at once.
class ChosenAdapterCounters : public AdapterCounterSource
{
public:
    explicit ChosenAdapterCounters(const AdapterChoice &choice,
                                   QString sysClassNet = QStringLiteral("/sys/class/net"))
        : m_choice(choice), m_sysClassNet(std::move(sysClassNet))
    {
    }
    std::optional<AdapterTotals> read() override;

private:
    const AdapterChoice &m_choice;
    QString m_sysClassNet;
};

} // namespace wv
