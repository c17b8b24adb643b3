#include "engine/MibIIAgent.h"

#include "engine/InetDiagSource.h"
#include "engine/ProcNetSource.h"

namespace wv {

namespace {
// SNMP error-status codes.
constexpr qint32 GenErr = 5;
} // namespace

MibIIAgent::MibIIAgent(std::unique_ptr<SocketSource> sockets,
                       std::unique_ptr<CounterSource> counters)
    : m_sockets(std::move(sockets)), m_counters(std::move(counters)),
      m_view(*m_sockets, *m_counters)
{
}

bool MibIIAgent::init(quint32)
{
    return m_counters->worksHere();
}

void MibIIAgent::setDetails(bool owners, bool traffic)
{
    m_view.setOwnersWanted(owners);
    m_view.setTrafficWanted(traffic);
}

bool MibIIAgent::query(quint8 requestType, SnmpVarBindList &list, qint32 &errorStatus,
                       qint32 &errorIndex)
{
    errorStatus = 0;
    errorIndex = 0;
    if (requestType != SNMP_PDU_GETNEXT) {
        errorStatus = GenErr;
        return false;
    }
    for (std::size_t b = 0; b < list.size(); ++b) {
        SnmpVarBind &binding = list[b];
        try {
            const bool continues = m_walking && b == 0 && binding.name == m_lastName;
            if (b == 0 && !continues)
                m_view.beginWalk();
            // The view writes the answer over the binding only once it has
            // finished reading the request name.
            const bool found =
                continues ? m_view.advance(binding) : m_view.next(binding.name, binding);
            if (!found) {
                // Past the end of the view the name stays as it was.
                binding.value = AsnAny();
                m_walking = false;
                continue;
            }
            m_lastName = binding.name;
            m_walking = true;
        } catch (const SourceError &) {
            m_walking = false;
            errorStatus = GenErr;
            errorIndex = qint32(b + 1);
            return false;
        }
    }
    return true;
}

std::unique_ptr<SocketSource> loadSystemSockets(SocketSourceChoice choice)
{
    if (choice == SocketSourceChoice::Automatic) {
        const QByteArray forced = qgetenv("WIREVANE_MIB_SOURCE");
        if (forced == "proc")
            choice = SocketSourceChoice::Proc;
        else if (forced == "netlink")
            choice = SocketSourceChoice::Netlink;
    }
    std::unique_ptr<SocketSource> sockets;
    if (choice != SocketSourceChoice::Proc) {
        auto netlink = std::make_unique<InetDiagSource>();
        if (netlink->worksHere())
            sockets = std::move(netlink);
    }
    if (!sockets && choice != SocketSourceChoice::Netlink) {
        auto proc = std::make_unique<ProcNetSource>();
        if (proc->worksHere())
            sockets = std::move(proc);
    }
    return sockets;
}

std::unique_ptr<MibAgent> loadSystemAgent(SocketSourceChoice choice)
{
    std::unique_ptr<SocketSource> sockets = loadSystemSockets(choice);
    if (!sockets)
        return nullptr;
    return std::make_unique<MibIIAgent>(std::move(sockets), std::make_unique<ProcSnmpSource>());
}

AgentLoader systemAgentLoader(SocketSourceChoice choice)
{
    return [choice] { return loadSystemAgent(choice); };
}

} // namespace wv
