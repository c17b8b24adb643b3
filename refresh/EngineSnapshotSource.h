#pragma once

#include "refresh/SnapshotSource.h"

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

private:
    TPloverIpConnectionList &list();

    std::unique_ptr<TPloverIpConnectionList> m_list;
};

} // namespace wv
