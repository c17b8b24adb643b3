#pragma once

#include "engine/EngineErrors.h"
#include "engine/MibTypes.h"
#include "remote/RemoteAgent.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <vector>

namespace wv {

// A failure to read from a remote agent: no answer, refused credentials, an
// error status. The message names the agent and says what went wrong.
class RemoteAgentError : public EConnListRefreshError
{
public:
    enum class Kind
    {
        NoAnswer,
        Credentials,
        Refused, // an error status in the agent's answer
        Setup    // the session cannot be opened (bad host name, ...)
    };
    RemoteAgentError(Kind kind, const QString &message)
        : EConnListRefreshError(message), m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// ASN.1 tags a remote agent may answer with besides those of MibTypes.h.
enum : quint8
{
    ASN_OCTET_STRING = 0x04,
    ASN_OBJECT_ID = 0x06,
    ASN_TIMETICKS = 0x43,
    ASN_OPAQUE = 0x44,
    ASN_COUNTER64 = 0x46,
    SNMP_NO_SUCH_OBJECT = 0x80,
    SNMP_NO_SUCH_INSTANCE = 0x81,
    SNMP_END_OF_MIB_VIEW = 0x82,
};

// One object of an answer. name points into the answer and lives only as
// long as the call that hands it out.
struct RemoteVarBind
{
    const quint32 *name = nullptr;
    std::size_t length = 0;
    quint8 type = ASN_NULL;
    qint64 integer = 0; // INTEGER signed; the counter types and TimeTicks unsigned
    QByteArray octets;  // OCTET STRING, IpAddress, Opaque; an OBJECT IDENTIFIER as text
};

// One SNMP session with a remote agent through net-snmp. The session is
// opened on the first request (SNMPv3 discovers the agent's engine then).
// Requests block the calling thread for at most the time-out times the
// tries; a client may move between threads but is used by one at a time.
class SnmpClient
{
public:
    explicit SnmpClient(const RemoteAgent &agent);
    ~SnmpClient();
    SnmpClient(const SnmpClient &) = delete;
    SnmpClient &operator=(const SnmpClient &) = delete;

    const RemoteAgent &agent() const { return m_agent; }

    // One GET of name; an object the agent lacks comes with a noSuch* type.
    void get(const Oid &name, const std::function<void(const RemoteVarBind &)> &visit);
    // One GET of all the names, in one request; visit gets the objects in
    // the order asked for. Throws RemoteAgentError.
    void get(const std::vector<Oid> &names,
             const std::function<void(const RemoteVarBind &)> &visit);
    // One GETNEXT; the next object after name. Throws RemoteAgentError.
    void getNext(const Oid &name, const std::function<void(const RemoteVarBind &)> &visit);

    // Walks the subtree under root with GETBULK and hands each object in it
    // to visit, in the agent's order; returns how many there were. An answer
    // that does not move forward ends the walk. Throws RemoteAgentError.
    int walk(const Oid &root, const std::function<void(const RemoteVarBind &)> &visit);

    // Objects asked for with each GETBULK (the agent may give fewer).
    void setMaxRepetitions(int n) { m_maxRepetitions = n; }
    // Requests sent since the client was made.
    int requests() const { return m_requests; }

private:
    struct Session;
    Session &session();
    // Sends one request of type for the names and hands each returned object
    // to visit until visit returns false.
    void request(int type, const std::vector<Oid> &names, int maxRepetitions,
                 const std::function<bool(const RemoteVarBind &)> &visit);
    [[noreturn]] void fail(int statusOrError, bool duringOpen, bool agentSeen = false);

    RemoteAgent m_agent;
    std::unique_ptr<Session> m_session;
    int m_maxRepetitions = 100;
    int m_requests = 0;
};

} // namespace wv
