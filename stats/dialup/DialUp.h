#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

namespace wv {

// The dial-up link as NetworkManager knows it, driven through nmcli. Only
// connections of a dial-up kind (mobile broadband, PPPoE, Bluetooth dial-up)
// are ever brought down; a wired or wireless link is left alone.
class DialUpLink
{
public:
    // Connection types counted as dial-up.
    static const QStringList DialUpTypes;

    explicit DialUpLink(const QString &nmcli = QStringLiteral("nmcli"), int timeoutMs = 5000);

    // The active dial-up connections (their identifiers), in the order
    // NetworkManager reports them; empty when nmcli is missing or fails.
    QStringList GetConnections() const;
    // Brings the connection down; whether nmcli reported success.
    bool HangUpConn(const QString &id) const;

    // The "Yes" of the disconnect window: hangs up the last active dial-up
    // connection reported. Returns whether one was hung up.
    bool HangUpLast() const;

    // The same without blocking the caller: nmcli runs in the background and
    // `done` is called on the thread of `context` (only while it exists)
    // with whether a connection was hung up, and if not, why. Without
    // NetworkManager (or when it knows no dial-up connection) the interface
    // of the default route is brought down when it is a dial-up link (PPP or
    // mobile broadband).
    using HangUpDone = std::function<void(bool hungUp, const QString &why)>;
    void HangUpLastAsync(QObject *context, HangUpDone done) const;

    // Where the interface path looks (tests point them at recorded files).
    void setSystemPaths(const QString &routeFile, const QString &sysClassNet);

    // Brings a network interface down (clears IFF_UP); empty on success,
    // else the reason.
    static QString bringInterfaceDown(const QString &interface);

    // Dial-up connection identifiers from `nmcli -t -f UUID,TYPE connection
    // show --active` output.
    static QStringList parseActive(const QByteArray &output);

private:
    bool run(const QStringList &args, QByteArray *output) const;

    // The interface path of HangUpLastAsync: done(hungUp, why).
    void hangUpInterface(const HangUpDone &done) const;

    QString m_nmcli;
    int m_timeoutMs;
    QString m_routeFile;
    QString m_sysClassNet = QStringLiteral("/sys/class/net");
};

} // namespace wv
