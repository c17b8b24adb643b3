#pragma once

#include <QDateTime>
#include <QString>

namespace wv {

// One row of the connection table. The row owns every field, so a sorted
// view can never pair one row's cells with another row's host name or key.
struct ConnectionRecord
{
    int number = 0;            // "#": the row count right after the row was appended
    QString RemoteAddressText; // dotted remote address
    QString HostName;          // the name looked up, or the address
    QString hostCell;          // "Remote Addr" as shown
    QString LocalPortText;
    QString RemotePortText;
    QString protocol;  // "TCP"
    QString stateName; // "Status"
    quint16 StateCode = 0;
    QDateTime appended; // when the row was appended
    QString timeText;   // "Time" as shown
    QString recognized; // "Recognized"
    QString key;        // the row's key line
    int mark = -1;      // row image set by a rule, -1 for none
    int markRule = -1;  // number of the rule that marked the row, -1 for none
    // The owner and traffic, kept up to date while the row lives (when the
    // snapshot carries them): pid 0 and empty program when unknown, -1 for
    // unknown byte counts and rate (bytes per second over the last refresh).
    int family = 4;
    qint64 pid = 0;
    QString program;
    qint64 bytesSent = -1;
    qint64 bytesReceived = -1;
    qint64 rate = -1;
    qint64 trafficAtMs = 0; // when the byte counts were taken

    bool operator==(const ConnectionRecord &) const = default;
};

} // namespace wv
