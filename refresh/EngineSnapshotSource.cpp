#include "refresh/EngineSnapshotSource.h"

#include "engine/EngineErrors.h"
#include "engine/PloverIpConnectionList.h"

namespace wv {

EngineSnapshotSource::EngineSnapshotSource() = default;
EngineSnapshotSource::~EngineSnapshotSource() = default;

TPloverIpConnectionList &EngineSnapshotSource::list()
{
    if (!m_list)
        m_list = std::make_unique<TPloverIpConnectionList>();
    return *m_list;
}

bool EngineSnapshotSource::isAvailable()
{
    try {
        list();
        return true;
    } catch (const EngineException &) {
        return false;
    }
}

QList<SnapshotRow> EngineSnapshotSource::takeSnapshot()
{
    TPloverIpConnectionList &l = list();
    l.Refresh();
    QList<SnapshotRow> rows;
    const int n = l.Count();
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        const TIpConnInfo *c = l.Items(i);
        SnapshotRow r;
        r.protocol = c->Protocol();
        r.localAddress = c->LocalAddress();
        r.localPort = c->LocalPort();
        r.remoteAddress = c->RemoteAddress();
        r.remotePort = c->RemotePort();
        r.state = c->State();
        r.stateName = c->StateName();
        rows.append(std::move(r));
    }
    return rows;
}

} // namespace wv
