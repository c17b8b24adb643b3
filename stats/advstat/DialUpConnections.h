#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace wv {

// One active dial-up connection as the statistics window shows it.
struct DialUpConnection
{
    QString entryName;  // "Connection"
    QString stateText;  // "Status"
    QString deviceType; // "Device Type"
    QString deviceName; // "Device Name"
    // The network interface carrying the connection's traffic (ppp0, wwan0).
    QString interfaceName;
    bool operator==(const DialUpConnection &) const = default;
};

// Where the active dial-up connections come from. Without a source that
// works (no NetworkManager on the machine) the list is empty.
class DialUpConnectionSource
{
public:
    virtual ~DialUpConnectionSource() = default;
    // In the order the source enumerates them.
    virtual QList<DialUpConnection> activeConnections() = 0;
};

// The five rows of the connection page for one connection: a hidden first
// cell, then "Connection", "Status", "Device Type", "Device Name" and
// "Connect rate" with their values. The rate is in bits per second, empty
// when unknown.
QList<QStringList> connectionRows(const DialUpConnection &c, const QString &connectRate);

// The connection state texts by connection state value (0 "Opening port"
// ... 8192 "Connected", 8193 "Disconnected"); empty for an unknown value.
QString dialUpStateText(int state);

// --- NetworkManager ---------------------------------------------------------

// What NetworkManager answers about one device of an active connection
// (org.freedesktop.NetworkManager.Device).
struct NmDeviceAnswer
{
    QString interface;   // "Interface": the control interface (ttyUSB2, cdc-wdm0)
    QString ipInterface; // "IpInterface": where IP runs (ppp0, wwan0)
    QString driver;      // "Driver"
    quint32 deviceType = 0;
    quint32 state = 0;       // NMDeviceState
    quint32 stateReason = 0; // NMDeviceStateReason of "StateReason"
};

// What NetworkManager answers about one active connection
// (org.freedesktop.NetworkManager.Connection.Active).
struct NmActiveAnswer
{
    QString id;        // "Id": the connection's name
    QString type;      // "Type": gsm, cdma, pppoe, bluetooth, 802-3-ethernet...
    quint32 state = 0; // NMActiveConnectionState
    QList<NmDeviceAnswer> devices;
};

// Connection types that are dial-up links.
bool isDialUpType(const QString &nmType);
// The connection state value for what NetworkManager reports, or -1 when the
// device failed (the text is then the failure's reason).
int dialUpStateFor(const NmActiveAnswer &answer);
// The state text: the state value's text, or for a failed device the
// reason NetworkManager gives.
QString nmStateText(const NmActiveAnswer &answer);
// The text of a device failure reason (NMDeviceStateReason).
QString nmFailureText(quint32 reason);
// The dial-up connections among NetworkManager's active connections, in its
// order; other kinds (wired, wireless, VPN) are left out.
QList<DialUpConnection> dialUpConnectionsFrom(const QList<NmActiveAnswer> &answers);

} // namespace wv
