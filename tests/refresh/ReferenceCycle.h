#pragma once

#include "refresh/SnapshotSource.h"

#include <QStringList>

#include <functional>

namespace wv::test {

// The refresh cycle written the plain way: every comparison a linear search
// over texts, rows kept in parallel lists. The real cycle must give the same
// rows, lists and events in the same order.
struct ReferenceCycle
{
    struct Row
    {
        int number;
        QString hostCell, localPort, remotePort, protocol, state, key;
    };

    QList<Row> rows;
    QStringList ConnectionKeys, HostName, RemoteAddressText, LocalPortText, RemotePortText;
    QStringList ListenPorts, ListenUdpMarks, PreviousListenPorts, VanishedRows;
    // Key lines the last rebuild removed: their rows return without a
    // "New Conn: " event.
    QStringList RebuiltKeys;
    bool RebuildPending = false;
    bool autoResolve = false;
    std::function<QString(const QString &)> hostName;
    QStringList events;
    // Status texts in order; the end of a merge shows as LastRefresh.
    QStringList statusTexts;
    static inline const QString LastRefresh = QStringLiteral("<last refresh>");

    static QString key(const SnapshotRow &s)
    {
        return s.remoteAddress + QLatin1Char('*') + QString::number(s.localPort) +
               QLatin1Char('*') + QString::number(s.remotePort) + QLatin1Char('*') + s.stateName;
    }

    void RefreshConnections(const QList<SnapshotRow> &snapshot)
    {
        if (RebuildPending) {
            RebuiltKeys = ConnectionKeys;
            for (qsizetype i = rows.size() - 1; i >= 0; --i) {
                rows.removeAt(i);
                ConnectionKeys.removeAt(i);
            }
            VanishedRows.clear();
            RebuildPending = false;
        }
        UpdateConnectionTable(snapshot);
        RebuiltKeys.clear();
    }

    void UpdateConnectionTable(const QList<SnapshotRow> &s)
    {
        ListenPorts.clear();
        ListenUdpMarks.clear();
        for (qsizetype i = rows.size() - 1; i >= 0; --i) {
            bool current = false;
            for (qsizetype j = 0; j < s.size(); ++j) {
                if (!RebuildPending && key(s[j]) == ConnectionKeys[i]) {
                    current = true;
                    break;
                }
            }
            if (current)
                continue;
            qsizetype same = -1;
            for (qsizetype j = 0; j < s.size(); ++j) {
                if (s[j].remoteAddress == RemoteAddressText[i] &&
                    QString::number(s[j].localPort) == LocalPortText[i] &&
                    QString::number(s[j].remotePort) == RemotePortText[i]) {
                    same = j;
                    break;
                }
            }
            if (same >= 0)
                events.append(QStringLiteral("Connection to ") + rows[i].hostCell +
                              QStringLiteral(" on remote port ") + rows[i].remotePort +
                              QStringLiteral(" and local port ") + rows[i].localPort +
                              QStringLiteral(" has changed state to ") + s[same].stateName);
            else
                events.append(QStringLiteral("Connection ") + rows[i].hostCell +
                              QStringLiteral(" on remote port ") + rows[i].remotePort +
                              QStringLiteral(" is no longer connected with a ") + rows[i].state +
                              QStringLiteral(" status to your system"));
            VanishedRows.append(QString::number(i));
        }
        for (qsizetype j = s.size() - 1; j >= 0; --j) {
            const QString k = key(s[j]);
            if (ConnectionKeys.contains(k))
                continue;
            if (s[j].stateName == QLatin1String("LISTEN")) {
                ListenPorts.append(QString::number(s[j].localPort));
                ListenUdpMarks.append(s[j].protocol == QLatin1String("UDP")
                                          ? QString::number(s[j].localPort)
                                          : QStringLiteral("n"));
                continue;
            }
            Row r;
            r.number = static_cast<int>(rows.size()) + 1;
            r.key = k;
            const qsizetype n = rows.size();
            auto put = [n](QStringList &list, const QString &v) {
                if (list.size() > n)
                    list[n] = v;
                else
                    list.append(v);
            };
            put(RemoteAddressText, s[j].remoteAddress);
            put(HostName, s[j].remoteAddress);
            put(LocalPortText, QString::number(s[j].localPort));
            put(RemotePortText, QString::number(s[j].remotePort));
            statusTexts.append(QStringLiteral("Looking up [") + s[j].remoteAddress +
                               QLatin1Char(']'));
            r.hostCell = autoResolve ? hostName(s[j].remoteAddress) : s[j].remoteAddress;
            if (r.hostCell.isEmpty())
                r.hostCell = s[j].remoteAddress;
            if (autoResolve)
                HostName[n] = r.hostCell;
            r.localPort = LocalPortText[n];
            r.remotePort = RemotePortText[n];
            r.protocol = s[j].protocol;
            r.state = s[j].stateName;
            rows.append(r);
            ConnectionKeys.append(k);
            if (!RebuiltKeys.contains(k))
                events.append(QStringLiteral("New Conn: ") + r.hostCell +
                              QStringLiteral(", remote port ") + r.remotePort +
                              QStringLiteral(", status ") + r.state);
        }
        for (const QString &p : ListenPorts) {
            if (!PreviousListenPorts.contains(p))
                events.append(QStringLiteral("Port ") + p +
                              QStringLiteral(" is now open and listening"));
        }
        for (const QString &p : PreviousListenPorts) {
            if (!ListenPorts.contains(p))
                events.append(QStringLiteral("Port ") + p +
                              QStringLiteral(" is no longer open/listening"));
        }
        PreviousListenPorts = ListenPorts;
        statusTexts.append(LastRefresh);
        if (!VanishedRows.isEmpty())
            RebuildPending = true;
    }
};

} // namespace wv::test
