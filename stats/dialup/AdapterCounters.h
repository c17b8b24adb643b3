#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace wv {

// Byte totals of the dial-up adapter since it came up.
struct AdapterTotals
{
    quint64 sent = 0;
    quint64 received = 0;
    bool operator==(const AdapterTotals &) const = default;
};

// Where the traffic lights read their totals from. A read that fails gives
// no value; the lights then keep their state.
class AdapterCounterSource
{
public:
    virtual ~AdapterCounterSource() = default;
    virtual std::optional<AdapterTotals> read() = 0;
};

// The byte counters of a network interface under /sys/class/net/<if>/statistics.
// Without a named interface the one carrying the default route is used, looked
// up again at every read so that a reconnection through another interface is
// followed.
class SysfsAdapterCounters : public AdapterCounterSource
{
public:
    explicit SysfsAdapterCounters(QString interfaceName = QString(),
                                  QString sysClassNet = QStringLiteral("/sys/class/net"),
                                  QString routeFile = QStringLiteral("/proc/net/route"));

    std::optional<AdapterTotals> read() override;
    // The interface of the last read (empty before the first or when none).
    QString currentInterface() const { return m_current; }

    // True for a name that can only mean one entry of /sys/class/net.
    static bool isValidInterfaceName(const QString &name);

private:
    // A file's contents (at most max bytes when max > 0); nullopt when it
    // cannot be read.
    std::optional<QByteArray> readFile(const QString &path, qint64 max);

    QString m_named;
    QString m_sysClassNet;
    QString m_routeFile;
    QString m_current;
    QHash<QString, std::shared_ptr<QFile>> m_open;
};

} // namespace wv
