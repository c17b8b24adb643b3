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
    m_list->setDetails(m_details, m_details);
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
    if (m_haveLast && m_lastGeneration == l.rowsGeneration())
        return m_last;
    m_haveLast = false;
    QList<SnapshotRow> rows;
    const int n = l.Count();
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        const TIpConnInfo *c = l.Items(i);
        SnapshotRow r;
        r.protocol = c->Protocol();
        r.family = c->Family();
        if (r.family == 6) {
            r.localAddress = c->LocalAddress();
            r.remoteAddress = c->RemoteAddress();
        } else {
            r.localAddress = m_texts.address(c->LocalAddressBytes());
            r.remoteAddress = m_texts.address(c->RemoteAddressBytes());
        }
        r.localPort = c->LocalPort();
        r.remotePort = c->RemotePort();
        r.state = c->State();
        r.stateName = m_texts.stateName(r.state);
        r.pid = c->Pid();
        r.program = c->Program();
        r.bytesSent = c->BytesSent();
        r.bytesReceived = c->BytesReceived();
        rows.append(std::move(r));
    }
    m_last = rows;
    m_lastGeneration = l.rowsGeneration();
    m_haveLast = true;
    return rows;
}

const QString &EngineSnapshotSource::Texts::address(const IpAddressBytes &a)
{
    const quint32 key = (quint32(a[0]) << 24) | (quint32(a[1]) << 16) | (quint32(a[2]) << 8) | a[3];
    auto it = m_addresses.find(key);
    if (it == m_addresses.end()) {
        // A busy server's peers come and go; a table that only grew would keep
        // every address ever seen.
        if (m_addresses.size() > 100000)
            m_addresses.clear();
        it = m_addresses.insert(key, ipv4Text(key));
    }
    return *it;
}

const QString &EngineSnapshotSource::Texts::stateName(int code)
{
    auto it = m_states.find(code);
    if (it == m_states.end())
        it = m_states.insert(code, TcpStateName(code));
    return *it;
}

} // namespace wv
