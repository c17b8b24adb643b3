#include "stats/advstat/DialUpConnections.h"

#include <QHash>

namespace wv {

namespace {

// NetworkManager's NMDeviceState values.
enum NmDeviceState : quint32
{
    NmDeviceUnknown = 0,
    NmDeviceUnmanaged = 10,
    NmDeviceUnavailable = 20,
    NmDeviceDisconnected = 30,
    NmDevicePrepare = 40,
    NmDeviceConfig = 50,
    NmDeviceNeedAuth = 60,
    NmDeviceIpConfig = 70,
    NmDeviceIpCheck = 80,
    NmDeviceSecondaries = 90,
    NmDeviceActivated = 100,
    NmDeviceDeactivating = 110,
    NmDeviceFailed = 120,
};

// NetworkManager's NMActiveConnectionState values.
enum NmActiveState : quint32
{
    NmActiveUnknown = 0,
    NmActiveActivating = 1,
    NmActiveActivated = 2,
    NmActiveDeactivating = 3,
    NmActiveDeactivated = 4,
};

// Connection state values.
constexpr int OpeningPort = 0;
constexpr int ConnectDevice = 2;
constexpr int DeviceConnected = 3;
constexpr int StartAuthenticating = 5;
constexpr int AuthProject = 10;
constexpr int Projected = 18;
constexpr int LogonNetwork = 21;
constexpr int Connected = 8192;
constexpr int Disconnected = 8193;

} // namespace

QString dialUpStateText(int state)
{
    static const QHash<int, const char *> texts = {
        {0, "Opening port"},
        {1, "Port opened"},
        {2, "Connecting device"},
        {3, "Device connected"},
        {4, "All devices connected"},
        {5, "Start authenticating"},
        {6, "Authentication: notify"},
        {7, "Authentication: retry"},
        {8, "Authentication: callback"},
        {9, "Authentication: change password"},
        {10, "Authentication: projecting"},
        {11, "Authentication: link speed"},
        {12, "Authentication: acknowledge"},
        {13, "Authentication: reauthenticate"},
        {14, "Authenticated"},
        {15, "Preparing for callback"},
        {16, "Waiting for modem reset"},
        {17, "Waiting for callback"},
        {18, "Projected"},
        {19, "Start authentication"},
        {20, "Callback complete"},
        {21, "Logging on network"},
        {4096, "Interactive"},
        {4097, "Retry Authentication"},
        {4098, "Callback set by caller"},
        {4099, "Password expired"},
        {8192, "Connected"},
        {8193, "Disconnected"},
    };
    const auto it = texts.constFind(state);
    return it == texts.constEnd() ? QString() : QString::fromLatin1(it.value());
}

QList<QStringList> connectionRows(const DialUpConnection &c, const QString &connectRate)
{
    return {
        {QString(), QStringLiteral("Connection"), c.entryName},
        {QString(), QStringLiteral("Status"), c.stateText},
        {QString(), QStringLiteral("Device Type"), c.deviceType},
        {QString(), QStringLiteral("Device Name"), c.deviceName},
        {QString(), QStringLiteral("Connect rate"), connectRate},
    };
}

bool isDialUpType(const QString &nmType)
{
    return nmType == QLatin1String("gsm") || nmType == QLatin1String("cdma") ||
           nmType == QLatin1String("pppoe") || nmType == QLatin1String("bluetooth");
}

int dialUpStateFor(const NmActiveAnswer &answer)
{
    if (!answer.devices.isEmpty()) {
        const quint32 state = answer.devices.first().state;
        switch (state) {
        case NmDevicePrepare:
            return ConnectDevice;
        case NmDeviceConfig:
            return DeviceConnected;
        case NmDeviceNeedAuth:
            return StartAuthenticating;
        case NmDeviceIpConfig:
            return AuthProject;
        case NmDeviceIpCheck:
            return Projected;
        case NmDeviceSecondaries:
            return LogonNetwork;
        case NmDeviceActivated:
            return Connected;
        case NmDeviceFailed:
            return answer.devices.first().stateReason != 0 ? -1 : Disconnected;
        case NmDeviceUnmanaged:
        case NmDeviceUnavailable:
        case NmDeviceDisconnected:
        case NmDeviceDeactivating:
            return Disconnected;
        default:
            break; // unknown: go by the connection's own state
        }
    }
    switch (answer.state) {
    case NmActiveActivated:
        return Connected;
    case NmActiveDeactivating:
    case NmActiveDeactivated:
        return Disconnected;
    default:
        return OpeningPort;
    }
}

QString nmFailureText(quint32 reason)
{
    // NMDeviceStateReason values that a dial-up link can end with.
    static const QHash<quint32, const char *> texts = {
        {1, "Unknown error"},
        {4, "The device could not be readied for configuration"},
        {5, "IP configuration could not be reserved"},
        {6, "The IP configuration is no longer valid"},
        {7, "Secrets were required, but not provided"},
        {12, "The PPP service failed to start"},
        {13, "The PPP service disconnected"},
        {14, "The PPP service failed"},
        {23, "The line is busy"},
        {24, "No dial tone"},
        {25, "No carrier could be established"},
        {26, "The dialing request timed out"},
        {27, "The dialing attempt failed"},
        {28, "Modem initialization failed"},
        {29, "Failed to select the specified APN"},
        {30, "Not searching for networks"},
        {31, "Network registration denied"},
        {32, "Network registration timed out"},
        {33, "Failed to register with the requested network"},
        {34, "PIN check failed"},
        {36, "The device was removed"},
        {38, "The connection was removed"},
        {39, "Disconnected by the user"},
        {40, "Carrier or link changed"},
        {43, "The modem could not be found"},
        {44, "The Bluetooth connection failed or timed out"},
        {45, "The SIM card is not inserted"},
        {46, "A SIM PIN is required"},
        {47, "A SIM PUK is required"},
        {48, "The SIM card is wrong"},
    };
    const auto it = texts.constFind(reason);
    if (it != texts.constEnd())
        return QString::fromLatin1(it.value());
    return QStringLiteral("Error %1").arg(reason);
}

QString nmStateText(const NmActiveAnswer &answer)
{
    const int state = dialUpStateFor(answer);
    if (state < 0)
        return nmFailureText(answer.devices.first().stateReason);
    return dialUpStateText(state);
}

namespace {

QString deviceTypeText(const QString &nmType)
{
    if (nmType == QLatin1String("pppoe"))
        return QStringLiteral("PPPoE");
    if (nmType == QLatin1String("bluetooth"))
        return QStringLiteral("bluetooth");
    return QStringLiteral("modem");
}

} // namespace

QList<DialUpConnection> dialUpConnectionsFrom(const QList<NmActiveAnswer> &answers)
{
    QList<DialUpConnection> result;
    for (const NmActiveAnswer &a : answers) {
        if (!isDialUpType(a.type))
            continue;
        DialUpConnection c;
        c.entryName = a.id;
        c.stateText = nmStateText(a);
        c.deviceType = deviceTypeText(a.type);
        if (!a.devices.isEmpty()) {
            const NmDeviceAnswer &d = a.devices.first();
            c.deviceName =
                d.driver.isEmpty() ? d.interface : d.interface + QStringLiteral(" (") + d.driver + QLatin1Char(')');
            c.interfaceName = d.ipInterface;
        }
        result.append(c);
    }
    return result;
}

} // namespace wv
