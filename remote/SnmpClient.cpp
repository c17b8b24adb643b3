#include "remote/SnmpClient.h"

#include <QScopeGuard>

#include <algorithm>
#include <mutex>

// After Qt's headers: net-snmp's define plain names.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace wv {

namespace {

// net-snmp keeps process-wide state (the USM user list, the library's
// initialisation); every call into it holds this lock.
std::mutex &libraryLock()
{
    static std::mutex m;
    return m;
}

void initLibrary()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The client takes nothing from the user's or the system's snmp.conf (a
    // defVersion or defSecurityName there would change what we send), keeps
    // no state on disk and loads no MIB files: every name is numeric here.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
    setenv("MIBS", "", 0);
    setenv("MIBDIRS", "", 0);
    snmp_disable_log();
    init_snmp("wirevane");
}

#define WV_PROTOCOL(name, table)                                                                   \
    if (p == QLatin1String(name)) {                                                                \
        length = sizeof(table) / sizeof(oid);                                                      \
        return table;                                                                              \
    }

oid *authProtocolOid(const QString &protocol, size_t &length)
{
    const QString p = protocol.toUpper();
    WV_PROTOCOL("MD5", usmHMACMD5AuthProtocol)
    WV_PROTOCOL("SHA", usmHMACSHA1AuthProtocol)
    WV_PROTOCOL("SHA-224", usmHMAC128SHA224AuthProtocol)
    WV_PROTOCOL("SHA-256", usmHMAC192SHA256AuthProtocol)
    WV_PROTOCOL("SHA-384", usmHMAC256SHA384AuthProtocol)
    WV_PROTOCOL("SHA-512", usmHMAC384SHA512AuthProtocol)
    return nullptr;
}

oid *privProtocolOid(const QString &protocol, size_t &length)
{
    const QString p = protocol.toUpper();
    WV_PROTOCOL("DES", usmDESPrivProtocol)
    WV_PROTOCOL("AES", usmAESPrivProtocol)
    WV_PROTOCOL("AES-192", usmAES192PrivProtocol)
    WV_PROTOCOL("AES-256", usmAES256PrivProtocol)
    return nullptr;
}
#undef WV_PROTOCOL

QString seconds(int ms)
{
    return QString::number(ms / 1000.0, 'g', 3);
}

} // namespace

struct SnmpClient::Session
{
    void *handle = nullptr;
    std::vector<quint32> name; // the current object's identifier, for RemoteVarBind
    ~Session()
    {
        if (handle) {
            std::lock_guard lock(libraryLock());
            snmp_sess_close(handle);
        }
    }
};

SnmpClient::SnmpClient(const RemoteAgent &agent) : m_agent(agent) {}

SnmpClient::~SnmpClient() = default;

void SnmpClient::fail(int code, bool duringOpen, bool agentSeen)
{
    const QString who = m_agent.displayName();
    const int tries = m_agent.retries + 1;
    if (code == SNMPERR_TIMEOUT) {
        QString text = QStringLiteral("The agent %1 does not answer (no reply within %2 s, %3 %4)")
                           .arg(who, seconds(m_agent.timeoutMs))
                           .arg(tries)
                           .arg(tries == 1 ? QStringLiteral("try") : QStringLiteral("tries"));
        // A v2c agent drops requests with a community it does not know; a v3
        // agent that answered the engine discovery drops what it cannot decrypt.
        if (m_agent.version == RemoteAgent::Version::V2c)
            text += QStringLiteral("; check the host, the port and the community");
        else if (agentSeen && !m_agent.privProtocol.isEmpty())
            text = QStringLiteral("The agent %1 answered the SNMPv3 engine discovery but not the "
                                  "encrypted request (no reply within %2 s, %3 %4); check the "
                                  "privacy protocol and pass phrase of user '%5'")
                       .arg(who, seconds(m_agent.timeoutMs))
                       .arg(tries)
                       .arg(tries == 1 ? QStringLiteral("try") : QStringLiteral("tries"),
                            m_agent.user);
        throw RemoteAgentError(RemoteAgentError::Kind::NoAnswer, text);
    }
    const QString what = QString::fromUtf8(snmp_api_errstring(code));
    switch (code) {
    case SNMPERR_AUTHENTICATION_FAILURE:
    case SNMPERR_DECRYPTION_ERR:
    case SNMPERR_UNKNOWN_USER_NAME:
    case SNMPERR_UNSUPPORTED_SEC_LEVEL:
    case SNMPERR_USM_AUTHENTICATIONFAILURE:
    case SNMPERR_USM_DECRYPTIONERROR:
    case SNMPERR_USM_UNKNOWNSECURITYNAME:
    case SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL:
        throw RemoteAgentError(RemoteAgentError::Kind::Credentials,
                               QStringLiteral("The agent %1 refused the SNMPv3 credentials of "
                                              "user '%2': %3")
                                   .arg(who, m_agent.user, what));
    default:
        break;
    }
    throw RemoteAgentError(duringOpen ? RemoteAgentError::Kind::Setup
                                      : RemoteAgentError::Kind::Refused,
                           QStringLiteral("Cannot read from the agent %1: %2").arg(who, what));
}

SnmpClient::Session &SnmpClient::session()
{
    if (m_session)
        return *m_session;
    const QString problem = m_agent.validate();
    if (!problem.isEmpty())
        throw RemoteAgentError(RemoteAgentError::Kind::Setup,
                               QStringLiteral("Agent %1: %2").arg(m_agent.displayName(), problem));
    std::lock_guard lock(libraryLock());
    initLibrary();

    const QString who = m_agent.displayName();
    // The protocol's identifier in the library, or a message naming what it lacks.
    const auto protocolOid = [&](oid *(*lookup)(const QString &, size_t &), const QString &protocol,
                                 const char *what, size_t &length) {
        oid *found = lookup(protocol, length);
        if (!found)
            throw RemoteAgentError(
                RemoteAgentError::Kind::Setup,
                QStringLiteral("Agent %1: the SNMP library does not know the %2 protocol '%3'")
                    .arg(who, QLatin1String(what), protocol));
        return found;
    };
    // Both keys are localised from a pass phrase with the authentication hash.
    const auto deriveKey = [&](netsnmp_session &session, const QString &passphrase,
                               const char *what, u_char *key, size_t &keyLength) {
        const QByteArray pass = passphrase.toUtf8();
        if (generate_Ku(session.securityAuthProto, u_int(session.securityAuthProtoLen),
                        reinterpret_cast<const u_char *>(pass.constData()), size_t(pass.size()),
                        key, &keyLength) != SNMPERR_SUCCESS)
            throw RemoteAgentError(
                RemoteAgentError::Kind::Setup,
                QStringLiteral("Agent %1: cannot derive a key from the %2 pass phrase")
                    .arg(who, QLatin1String(what)));
    };

    netsnmp_session s;
    snmp_sess_init(&s);
    QByteArray peer = m_agent.peerName().toUtf8();
    s.peername = peer.data();
    s.timeout = long(m_agent.timeoutMs) * 1000;
    s.retries = m_agent.retries;
    QByteArray community = m_agent.community.toUtf8();
    QByteArray user = m_agent.user.toUtf8();
    if (m_agent.version == RemoteAgent::Version::V2c) {
        s.version = SNMP_VERSION_2c;
        s.community = reinterpret_cast<u_char *>(community.data());
        s.community_len = size_t(community.size());
    } else {
        s.version = SNMP_VERSION_3;
        s.securityName = user.data();
        s.securityNameLen = size_t(user.size());
        s.securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        if (!m_agent.authProtocol.isEmpty()) {
            s.securityAuthProto = protocolOid(authProtocolOid, m_agent.authProtocol,
                                              "authentication", s.securityAuthProtoLen);
            s.securityAuthKeyLen = USM_AUTH_KU_LEN;
            deriveKey(s, m_agent.authPassphrase, "authentication", s.securityAuthKey,
                      s.securityAuthKeyLen);
            s.securityLevel = SNMP_SEC_LEVEL_AUTHNOPRIV;
            if (!m_agent.privProtocol.isEmpty()) {
                s.securityPrivProto = protocolOid(privProtocolOid, m_agent.privProtocol, "privacy",
                                                  s.securityPrivProtoLen);
                s.securityPrivKeyLen = USM_PRIV_KU_LEN;
                deriveKey(s, m_agent.privPassphrase, "privacy", s.securityPrivKey,
                          s.securityPrivKeyLen);
                s.securityLevel = SNMP_SEC_LEVEL_AUTHPRIV;
            }
        }
    }
    auto created = std::make_unique<Session>();
    created->handle = snmp_sess_open(&s);
    if (!created->handle) {
        int clibError = 0, snmpError = 0;
        char *text = nullptr;
        snmp_error(&s, &clibError, &snmpError, &text);
        free(text);
        fail(snmpError ? snmpError : SNMPERR_GENERR, true);
    }
    m_session = std::move(created);
    return *m_session;
}

void SnmpClient::request(int type, const std::vector<Oid> &names, int maxRepetitions,
                         const std::function<bool(const RemoteVarBind &)> &visit)
{
    Session &sess = session();
    oid name[MAX_OID_LEN];
    for (const Oid &n : names) {
        if (n.size() > MAX_OID_LEN)
            throw RemoteAgentError(RemoteAgentError::Kind::Refused,
                                   QStringLiteral("Cannot read from the agent %1: object "
                                                  "identifier too long")
                                       .arg(m_agent.displayName()));
    }
    for (;;) {
        netsnmp_pdu *pdu = snmp_pdu_create(type);
        if (type == SNMP_MSG_GETBULK) {
            pdu->non_repeaters = 0;
            pdu->max_repetitions = maxRepetitions;
        }
        for (const Oid &n : names) {
            std::copy(n.begin(), n.end(), name);
            snmp_add_null_var(pdu, name, n.size());
        }
        netsnmp_pdu *response = nullptr;
        int status;
        int error = 0;
        {
            std::lock_guard lock(libraryLock());
            ++m_requests;
            status = snmp_sess_synch_response(sess.handle, pdu, &response);
            if (status == STAT_ERROR) {
                int clibError = 0;
                char *text = nullptr;
                snmp_sess_error(sess.handle, &clibError, &error, &text);
                free(text);
            }
        }
        const auto freeResponse = qScopeGuard([&] {
            if (response)
                snmp_free_pdu(response);
        });
        if (status == STAT_TIMEOUT) {
            // A v3 agent that told us its engine is there and reads our
            // requests' headers.
            bool seen = false;
            if (m_agent.version == RemoteAgent::Version::V3) {
                std::lock_guard lock(libraryLock());
                const netsnmp_session *open = snmp_sess_session(sess.handle);
                seen = open && open->securityEngineIDLen > 0;
            }
            fail(SNMPERR_TIMEOUT, false, seen);
        }
        if (status != STAT_SUCCESS || !response)
            fail(error ? error : SNMPERR_GENERR, false);
        if (response->errstat == SNMP_ERR_TOOBIG && type == SNMP_MSG_GETBULK &&
            maxRepetitions > 1) {
            maxRepetitions = std::max(1, maxRepetitions / 2);
            m_maxRepetitions = maxRepetitions;
            continue;
        }
        if (response->errstat != SNMP_ERR_NOERROR)
            throw RemoteAgentError(RemoteAgentError::Kind::Refused,
                                   QStringLiteral("The agent %1 answered with an error: %2")
                                       .arg(m_agent.displayName(), QString::fromUtf8(snmp_errstring(
                                                                       int(response->errstat)))));
        RemoteVarBind vb;
        for (netsnmp_variable_list *v = response->variables; v; v = v->next_variable) {
            sess.name.assign(v->name, v->name + v->name_length);
            vb.name = sess.name.data();
            vb.length = sess.name.size();
            vb.type = quint8(v->type);
            vb.integer = 0;
            vb.octets.clear();
            switch (v->type) {
            case ASN_INTEGER:
                vb.integer = v->val.integer ? qint64(qint32(*v->val.integer)) : 0;
                break;
            case ASN_COUNTER:
            case ASN_GAUGE:
            case ASN_TIMETICKS:
            case ASN_UINTEGER:
                vb.integer = v->val.integer ? qint64(quint32(*v->val.integer)) : 0;
                break;
            case ASN_COUNTER64:
                if (v->val.counter64)
                    vb.integer = qint64((quint64(v->val.counter64->high) << 32) |
                                        quint64(v->val.counter64->low));
                break;
            case ASN_OCTET_STR:
            case ASN_IPADDRESS:
            case ASN_OPAQUE:
                vb.octets = QByteArray(reinterpret_cast<const char *>(v->val.string),
                                       qsizetype(v->val_len));
                break;
            case ASN_OBJECT_ID: {
                QByteArray text;
                const size_t n = v->val_len / sizeof(oid);
                for (size_t i = 0; i < n; ++i)
                    text += '.' + QByteArray::number(qulonglong(v->val.objid[i]));
                vb.octets = text;
                break;
            }
            default:
                break;
            }
            if (!visit(vb))
                return;
        }
        return;
    }
}

void SnmpClient::get(const Oid &name, const std::function<void(const RemoteVarBind &)> &visit)
{
    get(std::vector<Oid>{name}, visit);
}

void SnmpClient::get(const std::vector<Oid> &names,
                     const std::function<void(const RemoteVarBind &)> &visit)
{
    request(SNMP_MSG_GET, names, 0, [&](const RemoteVarBind &vb) {
        visit(vb);
        return true;
    });
}

void SnmpClient::getNext(const Oid &name, const std::function<void(const RemoteVarBind &)> &visit)
{
    request(SNMP_MSG_GETNEXT, {name}, 0, [&](const RemoteVarBind &vb) {
        visit(vb);
        return false;
    });
}

int SnmpClient::walk(const Oid &root, const std::function<void(const RemoteVarBind &)> &visit)
{
    Oid cursor = root;
    int count = 0;
    // Each request moves the cursor forward or ends the walk; the bound only
    // guards against an agent that hands out objects without end.
    for (int requests = 0; requests < 1000000; ++requests) {
        bool more = true;
        int got = 0;
        request(SNMP_MSG_GETBULK, {cursor}, m_maxRepetitions, [&](const RemoteVarBind &vb) {
            ++got;
            const bool past = vb.type == SNMP_END_OF_MIB_VIEW || vb.type == SNMP_NO_SUCH_OBJECT ||
                              vb.type == SNMP_NO_SUCH_INSTANCE;
            if (past || vb.length < root.size() || !std::equal(root.begin(), root.end(), vb.name)) {
                more = false;
                return false;
            }
            // Not past the previous object: the agent is going round in circles.
            if (std::lexicographical_compare(vb.name, vb.name + vb.length, cursor.begin(),
                                             cursor.end()) ||
                std::equal(vb.name, vb.name + vb.length, cursor.begin(), cursor.end())) {
                more = false;
                return false;
            }
            cursor.assign(vb.name, vb.name + vb.length);
            visit(vb);
            ++count;
            return true;
        });
        if (!more || got == 0)
            break;
    }
    return count;
}

} // namespace wv
