#include "stats/advstat/Transmission.h"

namespace wv {

bool Transmission::tick(const std::optional<AdapterStatistics> &stats)
{
    if (!stats)
        return false;
    m_lights.tick(stats->totals());
    m_view.received = formatByteCount(stats->bytesReceived);
    m_view.sent = formatByteCount(stats->bytesSent);
    m_view.frames = formatByteCount(stats->framesReceived);
    m_view.receivedLit = m_lights.state().receivedLit;
    m_view.sentLit = m_lights.state().sentLit;
    return true;
}

} // namespace wv
