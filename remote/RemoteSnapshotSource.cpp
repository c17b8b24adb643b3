#include "remote/RemoteSnapshotSource.h"

#include <algorithm>
#include <map>
#include <vector>

namespace wv {

namespace {

// The part of an identifier after a column's prefix.
bool indexAfter(const RemoteVarBind &vb, const Oid &column, const quint32 *&index,
                std::size_t &length)
{
    if (vb.length <= column.size() || !std::equal(column.begin(), column.end(), vb.name))
        return false;
    index = vb.name + column.size();
    length = vb.length - column.size();
    return true;
}

Oid columnOf(const Oid &entry, quint32 column)
{
    Oid c = entry;
    c.push_back(column);
    return c;
}

} // namespace

RemoteSnapshotSource::RemoteSnapshotSource(const RemoteAgent &agent)
    : m_client(std::make_shared<SnmpClient>(agent))
{
}

RemoteSnapshotSource::RemoteSnapshotSource(std::shared_ptr<SnmpClient> client)
    : m_client(std::move(client))
{
}

RemoteSnapshotSource::~RemoteSnapshotSource() = default;

QList<SnapshotRow> RemoteSnapshotSource::snapshot(bool tcp, bool udp)
{
    m_tcpTables = m_udpTables = Tables::None;
    // A failed walk leaves nothing half-collected for the next one.
    m_decoder.takeRows();
    if (tcp)
        walkTcp();
    if (udp)
        walkUdp();
    QList<SnapshotRow> rows = m_decoder.takeRows();
    if (m_details)
        nameOwners(rows);
    return rows;
}

void RemoteSnapshotSource::nameOwners(QList<SnapshotRow> &rows)
{
    if (std::none_of(rows.begin(), rows.end(), [](const SnapshotRow &r) { return r.pid > 0; }))
        return;
    // hrSWRunName, indexed by hrSWRunIndex (the process id on Unix agents).
    const Oid names = {1, 3, 6, 1, 2, 1, 25, 4, 2, 1, 2};
    QHash<qint64, QString> programs;
    try {
        m_client->walk(names, [&](const RemoteVarBind &vb) {
            if (vb.type == ASN_OCTET_STRING && vb.length == names.size() + 1)
                programs.insert(qint64(vb.name[names.size()]), QString::fromUtf8(vb.octets));
        });
    } catch (const RemoteAgentError &e) {
        // An agent without HOST-RESOURCES-MIB that says so with an error:
        // the rows keep their process ids. A silent one fails the snapshot.
        if (e.kind() != RemoteAgentError::Kind::Refused)
            throw;
    }
    for (SnapshotRow &r : rows) {
        if (r.pid > 0)
            r.program = programs.value(r.pid);
    }
}

void RemoteSnapshotSource::walkTcp()
{
    // With details the process column first, by row index.
    const bool details = m_details;
    std::map<std::vector<quint32>, qint64> owners;
    if (details) {
        const Oid process = columnOf(RemoteOids::TcpConnectionEntry, 8);
        m_client->walk(process, [&](const RemoteVarBind &vb) {
            const quint32 *index = nullptr;
            std::size_t n = 0;
            if (vb.integer > 0 && indexAfter(vb, process, index, n))
                owners.emplace(std::vector<quint32>(index, index + n), vb.integer);
        });
    }
    // The state column alone: the index holds the rest of the row.
    const Oid &state = RemoteOids::TcpConnectionState;
    int seen = m_client->walk(state, [&](const RemoteVarBind &vb) {
        const quint32 *index = nullptr;
        std::size_t n = 0;
        if (vb.type == ASN_INTEGER && indexAfter(vb, state, index, n)) {
            qint64 pid = 0;
            if (!owners.empty()) {
                const auto it = owners.find(std::vector<quint32>(index, index + n));
                pid = it == owners.end() ? 0 : it->second;
            }
            m_decoder.addTcpConnection(index, n, vb.integer, pid);
        }
    });
    // tcpListenerProcess is the listener table's one column.
    const Oid listener = RemoteOids::TcpListenerEntry;
    seen += m_client->walk(listener, [&](const RemoteVarBind &vb) {
        const quint32 *index = nullptr;
        std::size_t n = 0;
        if (indexAfter(vb, listener, index, n) && n > 1 && index[0] == 4)
            m_decoder.addTcpListener(index + 1, n - 1, details ? vb.integer : 0);
    });
    if (seen > 0) {
        m_tcpTables = Tables::Rfc4022;
        return;
    }
    const Oid &old = RemoteOids::TcpConnState;
    m_client->walk(old, [&](const RemoteVarBind &vb) {
        const quint32 *index = nullptr;
        std::size_t n = 0;
        if (vb.type == ASN_INTEGER && indexAfter(vb, old, index, n))
            m_decoder.addTcpConnEntry(index, n, vb.integer);
    });
    m_tcpTables = Tables::MibII;
}

void RemoteSnapshotSource::walkUdp()
{
    const Oid process = columnOf(RemoteOids::UdpEndpointEntry, 8);
    const int seen = m_client->walk(process, [&](const RemoteVarBind &vb) {
        const quint32 *index = nullptr;
        std::size_t n = 0;
        if (indexAfter(vb, process, index, n))
            m_decoder.addUdpEndpoint(index, n, m_details ? vb.integer : 0);
    });
    if (seen > 0) {
        m_udpTables = Tables::Rfc4022;
        return;
    }
    const Oid &old = RemoteOids::UdpLocalAddress;
    m_client->walk(old, [&](const RemoteVarBind &vb) {
        const quint32 *index = nullptr;
        std::size_t n = 0;
        if (indexAfter(vb, old, index, n))
            m_decoder.addUdpEntry(index, n);
    });
    m_udpTables = Tables::MibII;
}

std::optional<std::pair<qint64, qint64>> RemoteSnapshotSource::readEchoCounters()
{
    const Oid inEchos = {1, 3, 6, 1, 2, 1, 5, 8, 0};
    const Oid inEchoReps = {1, 3, 6, 1, 2, 1, 5, 9, 0};
    std::optional<qint64> values[2];
    int at = 0;
    m_client->get({inEchos, inEchoReps}, [&](const RemoteVarBind &vb) {
        if (at < 2 && vb.type == ASN_COUNTER32)
            values[at] = vb.integer;
        ++at;
    });
    if (!values[0] || !values[1])
        return std::nullopt;
    return std::make_pair(*values[0], *values[1]);
}

bool RemoteMibAgent::query(quint8 requestType, SnmpVarBindList &list, qint32 &errorStatus,
                           qint32 &errorIndex)
{
    errorStatus = errorIndex = 0;
    if (requestType != SNMP_PDU_GETNEXT)
        return false;
    for (SnmpVarBind &b : list) {
        m_client->getNext(b.name, [&](const RemoteVarBind &vb) {
            b.name.assign(vb.name, vb.name + vb.length);
            b.value = AsnAny();
            switch (vb.type) {
            case ASN_INTEGER:
                b.value.asnType = ASN_INTEGER;
                b.value.number = qint32(vb.integer);
                break;
            case ASN_COUNTER32:
            case ASN_GAUGE32:
            case ASN_UNSIGNED32:
                b.value.asnType = vb.type;
                b.value.unsigned32 = quint32(vb.integer);
                break;
            case ASN_IPADDRESS:
                b.value.asnType = ASN_IPADDRESS;
                for (int i = 0; i < 4 && i < vb.octets.size(); ++i)
                    b.value.address[size_t(i)] = quint8(vb.octets[i]);
                break;
            case SNMP_END_OF_MIB_VIEW:
            case SNMP_NO_SUCH_OBJECT:
            case SNMP_NO_SUCH_INSTANCE:
                b.value.asnType = ASN_NULL;
                break;
            default:
                b.value.asnType = vb.type;
                b.value.unsigned32 = quint32(vb.integer);
                break;
            }
        });
    }
    return true;
}

AgentLoader remoteAgentLoader(std::shared_ptr<SnmpClient> client)
{
    return [client]() -> std::unique_ptr<MibAgent> {
        return std::make_unique<RemoteMibAgent>(client);
    };
}

} // namespace wv
