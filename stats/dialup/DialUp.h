#pragma once

#include <QString>
#include <QStringList>

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

    // Dial-up connection identifiers from `nmcli -t -f UUID,TYPE connection
    // show --active` output.
    static QStringList parseActive(const QByteArray &output);

private:
    bool run(const QStringList &args, QByteArray *output) const;

    QString m_nmcli;
    int m_timeoutMs;
};

} // namespace wv
