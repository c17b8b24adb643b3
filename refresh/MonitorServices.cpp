#include "refresh/MonitorServices.h"

#include "settings/DebugTrace.h"

namespace wv {

QStringList SummarySink::texts() const
{
    QStringList out;
    out.reserve(m_events.size());
    for (const Event &e : m_events)
        out.append(e.text);
    return out;
}

void PortInfoOpener::ShowPortInfo(int port)
{
    DebugLog(QStringLiteral("ShowPortInfo: %1").arg(port));
}

} // namespace wv
