#pragma once

#include <QObject>

class QAction;

namespace wv {

class ConnectionPane;
class ConnectionTableModel;
class RegistryStore;
class SnapshotSource;

// The View menu's switch for the "Process", "Sent", "Received" and "Rate"
// columns. Its state is kept in registry.ini (value "ProcessTraffic" of
// "WVN3PRO\Columns"), apart from the settings set: neither the options nor
// a transferred or exported profile carry it. While it is on, the snapshots
// carry owners and byte counts and the table has the four columns.
class DetailColumnsSwitch : public QObject
{
    Q_OBJECT
public:
    static const QString KeyPath;
    static const QString ValueName;

    DetailColumnsSwitch(QAction *item, ConnectionTableModel &table, ConnectionPane &pane,
                        SnapshotSource &source, RegistryStore &registry, QObject *parent = nullptr);

    bool isOn() const { return m_on; }
    // Switches the columns and keeps the choice.
    void setOn(bool on);

private:
    void apply();

    QAction *m_item;
    ConnectionTableModel &m_table;
    ConnectionPane &m_pane;
    SnapshotSource &m_source;
    RegistryStore &m_registry;
    bool m_on = false;
    bool m_fitPending = false;
};

} // namespace wv
