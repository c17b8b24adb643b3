#pragma once

#include "refresh/SnapshotSource.h"

#include <QHash>

#include <array>
#include <atomic>
#include <memory>

namespace wv {

class TPloverIpConnectionList;

// The machine's connections as the engine's connection list sees them. The
// list (and with it the link to the MIB-II agent) is opened on the first
// snapshot, so a window can come up on a machine where the tables cannot be
// read and report the failure when the user refreshes.
class EngineSnapshotSource : public SnapshotSource
{
public:
    EngineSnapshotSource();
    ~EngineSnapshotSource() override;

    // Whether the connection tables can be read on this machine.
    bool isAvailable();

    // Throws the engine's exceptions (EConnListError and kin).
    QList<SnapshotRow> takeSnapshot() override;

    // Whether rows carry their owning process and bytes (off by default).
    void setDetails(bool on) override { m_details = on; }
    bool details() const { return m_details; }

private:
    TPloverIpConnectionList &list();

    // Every row of a snapshot shares the texts of its addresses and state
    // with the other rows that have them: formatting 40,000 addresses anew
    // each refresh was the larger part of a steady refresh.
    class Texts
    {
    public:
        const QString &address(const std::array<quint8, 4> &bytes);
        const QString &stateName(int code);

    private:
        QHash<quint32, QString> m_addresses;
        QHash<int, QString> m_states;
    };
    Texts m_texts;

    std::unique_ptr<TPloverIpConnectionList> m_list;
    // The last snapshot and the list's rows it was made of: a list that kept
    // its rows gives the same snapshot (shared, so comparing it is quick).
    QList<SnapshotRow> m_last;
    quint64 m_lastGeneration = 0;
    bool m_haveLast = false;
    // Switched from the window's thread while a snapshot may be under way.
    std::atomic<bool> m_details{false};
};

} // namespace wv
