#pragma once

#include "engine/MibTypes.h"

namespace wv {

// One open link to the MIB-II agent. The connection list and every counter
// object own one each; links share nothing.
class AgentLink
{
public:
    AgentLink() = default;
    ~AgentLink();
    AgentLink(const AgentLink &) = delete;
    AgentLink &operator=(const AgentLink &) = delete;

    // Loads and initialises the agent (the system's when loader is empty).
    // Throws EConnListError.
    void OpenAgentLink(const AgentLoader &loader);
    // One GETNEXT over the list; only the agent's result counts.
    bool QueryNext(SnmpVarBindList &list);
    void CloseAgentLink();
    // The agent itself, null while no link is open.
    MibAgent *agent() const { return m_agent.get(); }

    // There is no sockets library to start here: the flag reads true once a
    // link was opened.
    bool WinsockStarted = false;

private:
    std::unique_ptr<MibAgent> m_agent;
};

} // namespace wv
