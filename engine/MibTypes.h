#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace wv {

// ASN.1 / SNMP codes exchanged with the MIB-II agent.
enum : quint8
{
    ASN_INTEGER = 0x02,
    ASN_NULL = 0x05,
    ASN_IPADDRESS = 0x40,
    ASN_COUNTER32 = 0x41,
    ASN_GAUGE32 = 0x42,
    ASN_UNSIGNED32 = 0x47,
    SNMP_PDU_GETNEXT = 0xA1,
};

using Oid = std::vector<quint32>;

// An object identifier kept as constant data; every request starts from one.
using TOidTemplate = std::array<quint32, 10>;

// Lexicographic comparison of two identifiers: <0, 0 or >0.
int compareOid(const quint32 *a, std::size_t na, const quint32 *b, std::size_t nb);
inline int compareOid(const Oid &a, const Oid &b)
{
    return compareOid(a.data(), a.size(), b.data(), b.size());
}

// The value of one variable binding. Numeric types use number (INTEGER,
// signed) or unsigned32 (the counter types); IpAddress uses address, in
// network order (address[0] is the first dotted number).
struct AsnAny
{
    quint8 asnType = ASN_NULL;
    union {
        qint32 number;
        quint32 unsigned32;
    };
    std::array<quint8, 4> address{};

    AsnAny() : number(0) {}
};

struct SnmpVarBind
{
    Oid name;
    AsnAny value;
};

using SnmpVarBindList = std::vector<SnmpVarBind>;

// The agent behind a link: answers GETNEXT requests over MIB-II objects.
class MibAgent
{
public:
    virtual ~MibAgent() = default;
    // Prepares the agent; false when it cannot serve.
    virtual bool init(quint32 uptimeReference) = 0;
    // Replaces each binding's name with the next object's identifier and fills
    // its value (NULL past the end of the view). Only the result tells success;
    // errorStatus and errorIndex are informative.
    virtual bool query(quint8 requestType, SnmpVarBindList &list, qint32 &errorStatus,
                       qint32 &errorIndex) = 0;

    // What an agent of this machine knows beyond MIB-II; an agent that does
    // not know it keeps these defaults. Whether the process columns are
    // filled and the TCP rows carry byte counts, from the next walk on:
    virtual void setDetails(bool /*owners*/, bool /*traffic*/) {}
    // The program name of a process named by a process column, empty when unknown.
    virtual QString programOf(quint32 /*pid*/) const { return {}; }
    // The bytes sent (acknowledged) and received of the tcpConnectionTable row
    // whose column object the walk returned as name; false when unknown.
    virtual bool tcpTraffic(const Oid & /*name*/, qint64 & /*sent*/, qint64 & /*received*/)
    {
        return false;
    }
    // Whether the sockets behind the object the agent returned last (the TCP
    // or the UDP ones) are exactly those the walk before read, with the same
    // details: a machine at rest, whose tables a walk would find as they were.
    // An agent that cannot tell answers false.
    virtual bool answeredFromUnchangedTable() const { return false; }
};

// Loads an agent; returns null when no agent is available. An empty loader
// stands for the system's agent.
using AgentLoader = std::function<std::unique_ptr<MibAgent>()>;

} // namespace wv
