#pragma once

#include "engine/MibTypes.h"
#include "engine/SocketOwners.h"
#include "engine/SocketSource.h"

#include <array>

namespace wv {

// The MIB-II objects the agent serves, in lexicographic order: the ip, icmp,
// tcp and udp scalars, tcpConnTable (1.3.6.1.2.1.6.13) and udpTable
// (1.3.6.1.2.1.7.5) for IPv4, and for IPv4 and IPv6 tcpConnectionTable (6.19),
// tcpListenerTable (6.20) and udpEndpointTable (7.7) with the owning process. The counters are
// captured when a walk begins and each table the first time the walk reaches it; all are held until
// the next walk begins, so that one walk sees one state of the tables however long it takes.
// Finding the object after an arbitrary identifier is a binary search; stepping on from the object
// returned last is constant time.
class MibView
{
public:
    MibView(SocketSource &sockets, CounterSource &counters);

    // Forgets every captured part and captures the counters (throws SourceError).
    void beginWalk();
    // Whether the object returned last comes from sockets (TCP or UDP) that
    // are exactly those the last walk that read them captured.
    bool lastTableUnchanged() const;
    // The first object after name; false past the end of the view.
    bool next(const Oid &name, SnmpVarBind &out);
    // The object after the one returned last (which must exist).
    bool advance(SnmpVarBind &out);

    // Kernel TCP state number to tcpConnState.
    static qint32 tcpConnState(quint8 kernelState);

    // Whether the process columns name the owners (on by default) and whether
    // the TCP rows carry the bytes moved (off by default); taken at the next walk.
    void setOwnersWanted(bool wanted) { m_ownersWanted = wanted; }
    void setTrafficWanted(bool wanted) { m_trafficWanted = wanted; }
    // The bytes of the tcpConnectionTable row named by an identifier of its
    // columns, as captured by the current walk; false when unknown.
    bool tcpTraffic(const Oid &name, qint64 &sent, qint64 &received);
    QString programOf(quint32 pid) const { return m_owners.programOf(pid); }

private:
    enum Segment
    {
        LowScalars,
        TcpTable,
        TcpScalars,
        TcpConnections,
        TcpListeners,
        UdpScalars,
        UdpTable,
        UdpEndpoints,
        SegmentCount
    };

    // A row of the tables indexed by address type and address: its index is
    // kept as identifier components, which also give the rows' order.
    struct IndexedRow
    {
        std::array<quint32, 40> index;
        quint8 length;
        qint32 state;
        quint32 inode;
        quint32 pid;
        qint64 sent, received;
    };
    struct IndexedTable
    {
        std::vector<IndexedRow> rows;
        bool loaded = false;
    };

    struct Scalar
    {
        quint8 def; // index into the definition table
        quint32 value;
    };
    struct TcpRow
    {
        quint64 local;  // address << 16 | port
        quint64 remote; // address << 16 | port
        qint32 state;
    };

    std::size_t segmentSize(int segment);
    // Writes the identifier of element i of a segment; returns its length.
    std::size_t identifierAt(int segment, std::size_t i, quint32 *buffer) const;
    void fill(int segment, std::size_t i, SnmpVarBind &out);
    bool firstFrom(int segment, SnmpVarBind &out);
    void loadCounters();
    void loadTcp();
    void loadUdp();
    void readTcpEntries();
    void readUdpEntries();
    void loadIndexed(int segment);
    void sortIndexed(int segment, bool tcp, IndexedTable &table) const;
    // 0 tcpConnectionTable, 1 tcpListenerTable, 2 udpEndpointTable.
    static int tableNumber(int segment)
    {
        return segment == TcpConnections ? 0 : segment == TcpListeners ? 1 : 2;
    }
    IndexedTable &indexed(int segment) { return m_indexed[tableNumber(segment)]; }
    const IndexedTable &indexed(int segment) const { return m_indexed[tableNumber(segment)]; }
    const Scalar &scalarAt(int segment, std::size_t i) const
    {
        return m_scalars[segment == LowScalars ? 0 : segment == TcpScalars ? 1 : 2][i];
    }

    // The sockets of the last walk that read them, with the tables made of
    // them: a walk that reads the same sockets again takes those tables as
    // they are instead of sorting them anew (a machine at rest).
    struct LastTcp
    {
        std::vector<SocketEntry> entries;
        std::vector<TcpRow> table;
        bool haveTable = false;
        IndexedTable connections, listeners;
        bool read = false; // some walk read the sockets
    };
    struct LastUdp
    {
        std::vector<SocketEntry> entries;
        std::vector<quint64> table;
        bool haveTable = false;
        IndexedTable endpoints;
        bool read = false;
    };
    void keepLastTables();
    // The rows of an indexed table as the last walk sorted them, when this
    // walk read the same sockets; false otherwise.
    bool takeLastIndexed(int segment, IndexedTable &table);

    SocketSource &m_sockets;
    CounterSource &m_counters;
    LastTcp m_lastTcp;
    LastUdp m_lastUdp;
    bool m_sameTcp = false, m_sameUdp = false;
    bool m_haveCounters = false, m_haveTcp = false, m_haveUdp = false;
    bool m_haveTcpEntries = false, m_haveUdpEntries = false;
    bool m_ownersWanted = true, m_trafficWanted = false;
    std::vector<SocketEntry> m_tcpEntries, m_udpEntries;
    IndexedTable m_indexed[3];
    SocketOwners m_owners;
    std::vector<Scalar> m_scalars[3];
    std::vector<TcpRow> m_tcp;
    std::vector<quint64> m_udp;
    int m_lastSegment = -1;
    std::size_t m_lastIndex = 0;
};

} // namespace wv
