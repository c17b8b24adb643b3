#pragma once

#include "engine/MibTypes.h"
#include "engine/SocketSource.h"

namespace wv {

// The MIB-II objects the agent serves, in lexicographic order: the ip, icmp,
// tcp and udp scalars, tcpConnTable (1.3.6.1.2.1.6.13) and udpTable
// (1.3.6.1.2.1.7.5). The counters are captured when a walk begins and each
// table the first time the walk reaches it; all are held until the next walk
// begins, so that one walk sees one state of the tables however long it takes. Finding the object
// after an arbitrary identifier is a binary search; stepping on from the object returned last is
// constant time.
class MibView
{
public:
    MibView(SocketSource &sockets, CounterSource &counters);

    // Forgets every captured part and captures the counters (throws SourceError).
    void beginWalk();
    // The first object after name; false past the end of the view.
    bool next(const Oid &name, SnmpVarBind &out);
    // The object after the one returned last (which must exist).
    bool advance(SnmpVarBind &out);

    // Kernel TCP state number to tcpConnState.
    static qint32 tcpConnState(quint8 kernelState);

private:
    enum Segment
    {
        LowScalars,
        TcpTable,
        HighScalars,
        UdpTable,
        SegmentCount
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

    SocketSource &m_sockets;
    CounterSource &m_counters;
    bool m_haveCounters = false, m_haveTcp = false, m_haveUdp = false;
    std::vector<Scalar> m_scalars[2];
    std::vector<TcpRow> m_tcp;
    std::vector<quint64> m_udp;
    int m_lastSegment = -1;
    std::size_t m_lastIndex = 0;
};

} // namespace wv
