#include "stats/dialup/TrafficLights.h"

namespace wv {

QString formatByteCount(quint64 value)
{
    if (value == 0)
        return {};
    QString digits = QString::number(value);
    for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3)
        digits.insert(pos, QLatin1Char(','));
    return digits;
}

bool TrafficLights::tick(const std::optional<AdapterTotals> &totals)
{
    if (!totals)
        return false;
    m_state.sentLit = totals->sent != m_last.sent;
    m_state.receivedLit = totals->received != m_last.received;
    m_state.sentHint = formatByteCount(totals->sent) + QStringLiteral(" bytes sent");
    m_state.receivedHint = formatByteCount(totals->received) + QStringLiteral(" bytes received");
    m_last = *totals;
    return true;
}

} // namespace wv
