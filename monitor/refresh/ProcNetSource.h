#pragma once

#include "monitor/refresh/SnapshotSource.h"

#include <QByteArray>

namespace wv {

// Reads the kernel's socket tables from /proc/net/{tcp,tcp6,udp,udp6}. IPv6
// rows are kept only when both ends are IPv4-mapped addresses (an IPv4 peer
// of a dual-stack socket); the table shows IPv4 connections only.
class ProcNetSource : public SnapshotSource
{
public:
    // root is the folder holding tcp, tcp6, udp and udp6 (tests point it at
    // recorded files).
    explicit ProcNetSource(QString root = QStringLiteral("/proc/net"));

    // Whether the tables can be read on this machine.
    bool isAvailable() const;

    QList<SnapshotRow> takeSnapshot() override;

    // Parses the text of one table. udp marks the rows as UDP listeners.
    static QList<SnapshotRow> parseTable(const QByteArray &text, bool ipv6, bool udp);
    // Linux TCP state number (include/net/tcp_states.h) to tcpConnState.
    static int mibStateFromLinux(int linuxState);

private:
    QString m_root;
};

} // namespace wv
