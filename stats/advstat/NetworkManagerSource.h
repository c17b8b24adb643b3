#pragma once

#include "stats/advstat/DialUpConnections.h"

#include <QDBusConnection>

namespace wv {

// The active dial-up connections as NetworkManager reports them over D-Bus
// (the system bus unless another connection is given). Each call blocks for
// at most the time-out per request; without NetworkManager, or when it does
// not answer, the list is empty.
class NetworkManagerSource : public DialUpConnectionSource
{
public:
    static constexpr const char *Service = "org.freedesktop.NetworkManager";

    explicit NetworkManagerSource(QDBusConnection bus = QDBusConnection::systemBus(),
                                  int timeoutMs = 2000);

    QList<DialUpConnection> activeConnections() override;

    // Every active connection with its devices, as answered (all kinds).
    QList<NmActiveAnswer> answers();

private:
    QVariantMap properties(const QString &path, const QString &interface);

    QDBusConnection m_bus;
    int m_timeoutMs;
};

} // namespace wv
