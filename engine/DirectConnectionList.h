#pragma once

#include "engine/PloverIpConnectionList.h"
#include "engine/SocketSource.h"

#include <vector>

namespace wv {

// The rows TPloverIpConnectionList gives for a machine's sockets, taken from
// the socket source in one pass instead of through the agent's walk of the
// MIB tables: for a program that lists the tables once and leaves (the
// companion), where the walk's work per object and the memory of its tables
// are most of the time. Rows, their order and every field are those of the
// list; owners and bytes are not read (ask the list for those).
class DirectConnectionList
{
public:
    explicit DirectConnectionList(SocketSource &sockets) : m_sockets(sockets) {}

    void setProtocols(TIpProtocols protocols) { m_protocols = protocols; }
    // Reads the tables again; a failed read throws EConnListRefreshError.
    void Refresh();
    int Count() const { return int(m_rows.size()); }
    // The row at index, 0..Count()-1.
    TIpConnInfo Items(int index) const;

private:
    // One row, small: a busy server has tens of thousands.
    struct Row
    {
        quint64 local;  // IPv4 address << 16 | port; the port alone for IPv6
        quint64 remote; // the same
        // While the IPv4 rows are sorted, the order they were read in; for an
        // IPv6 row, 1 + the index of its addresses.
        quint32 aux;
        qint8 state; // tcpConnState
        bool udp;
        bool ipv6;
    };

    void readTcp();
    void readUdp();

    SocketSource &m_sockets;
    TIpProtocols m_protocols = TIpProtocols(udp_ip) | tcp_ip;
    std::vector<Row> m_rows;
    std::vector<std::pair<Ipv6Bytes, Ipv6Bytes>> m_addresses; // of the IPv6 rows
};

} // namespace wv
