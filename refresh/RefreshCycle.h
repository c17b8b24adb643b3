#pragma once

#include "refresh/MonitorServices.h"
#include "refresh/SnapshotSource.h"

#include <QSet>
#include <QStringList>

#include <memory>

namespace wv {

class ConnectionTableModel;
class ListenPortsModel;
struct Settings;

// The refresh cycle: merges a fresh snapshot into the connection table,
// reports what appeared, changed state or vanished, and refills the
// listening ports.
//
// Rows are compared by their key line. A table row whose key is missing from
// the snapshot is reported and stays listed until the next refresh rebuilds
// the whole table; snapshot rows whose key the table lacks are appended.
// A rebuild redraws the connections that were listed before it without
// announcing them again: only connections the table never held are "New".
class RefreshCycle
{
public:
    struct Services
    {
        SnapshotSource *source = nullptr;
        HostNameProvider *hosts = nullptr;
        FriendlyNameProvider *names = nullptr;
        SummarySink *summary = nullptr;
        StatusTextSink *status = nullptr;
        RuleEvaluator *rules = nullptr;
        RefreshControls *controls = nullptr;
    };

    // Null services fall back to the plain defaults. settings is read at
    // every cycle (autoResolve, autoRefresh, morecols).
    RefreshCycle(const Settings &settings, const Services &services, ConnectionTableModel &table,
                 ListenPortsModel &listenPorts);
    ~RefreshCycle();
    RefreshCycle(const RefreshCycle &) = delete;
    RefreshCycle &operator=(const RefreshCycle &) = delete;

    // The refresh command. A failure inside the cycle restores the refresh
    // button, the cursor and the refresh timer and is then rethrown.
    void RefreshConnections();
    // One merge of a fresh snapshot into the table, without rebuild or rule
    // evaluation (the view bar calls it when it finds the table empty).
    void UpdateConnectionTable();

    // True while a cycle runs (a name look-up may let other handlers run in
    // the middle of one); calls made then are ignored.
    bool isRunning() const { return m_running > 0; }

    bool RebuildPending() const { return m_rebuildPending; }
    void setRebuildPending(bool on) { m_rebuildPending = on; }

    QStringList ConnectionKeys() const;
    const QStringList &ListenPorts() const { return m_listenPorts; }
    const QStringList &ListenUdpMarks() const { return m_listenUdpMarks; }
    const QStringList &PreviousListenPorts() const { return m_previousListenPorts; }
    const QStringList &VanishedRows() const { return m_vanishedRows; }

    static QString lastRefreshText(const QTime &time);

private:
    void update();
    bool sameAsLastMerge(const QList<SnapshotRow> &rows) const;
    void reportVanished(const QList<SnapshotRow> &rows, const QStringList &keys);
    // The owners and byte counts of the rows already shown.
    void updateTraffic(const QList<SnapshotRow> &rows, const QStringList &keys);
    void appendNew(const QList<SnapshotRow> &rows, const QStringList &keys);
    void fillListenGrid();
    void sizeColumns();
    void reportListenChanges();

    const Settings &m_settings;
    Services m_services;
    ConnectionTableModel &m_table;
    ListenPortsModel &m_listenGrid;

    QStringList m_listenPorts;
    QStringList m_listenUdpMarks;
    QStringList m_previousListenPorts;
    QStringList m_vanishedRows;
    // Key lines of the rows a rebuild removed; their rows come back silently.
    QSet<QString> m_rebuiltKeys;
    bool m_rebuildPending = false;
    int m_running = 0;
    // The snapshot of the last merge that found nothing gone, and the table
    // it left behind.
    struct Settled
    {
        QList<SnapshotRow> rows;
        quint64 tableGeneration = 0;
        bool valid = false;
    } m_settled;

    // Fallbacks for services not given.
    struct Defaults;
    std::unique_ptr<Defaults> m_defaults;
};

} // namespace wv
