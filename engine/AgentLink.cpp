#include "engine/AgentLink.h"

#include "engine/EngineErrors.h"
#include "engine/MibIIAgent.h"

#include <QDeadlineTimer>

namespace wv {

AgentLink::~AgentLink()
{
    CloseAgentLink();
}

void AgentLink::OpenAgentLink(const AgentLoader &loader)
{
    WinsockStarted = true;
    m_agent = loader ? loader() : loadSystemAgent();
    if (!m_agent)
        throw EConnListError(QString::fromLatin1(msg::AgentNotAvailable));
    // The uptime reference: milliseconds since boot, as a tick count.
    const auto uptime = quint32(QDeadlineTimer::current().deadline());
    if (!m_agent->init(uptime)) {
        m_agent.reset();
        throw EConnListError(QString::fromLatin1(msg::AgentInit));
    }
}

bool AgentLink::QueryNext(SnmpVarBindList &list)
{
    if (!m_agent)
        return false;
    qint32 errorStatus = 0, errorIndex = 0;
    return m_agent->query(SNMP_PDU_GETNEXT, list, errorStatus, errorIndex);
}

void AgentLink::CloseAgentLink()
{
    m_agent.reset();
    WinsockStarted = false;
}

} // namespace wv
