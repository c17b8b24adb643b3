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

    bool operator==(const ConnectionRecord &) const = default;
};

} // namespace wv
