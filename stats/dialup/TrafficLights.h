#pragma once

#include "stats/dialup/AdapterCounters.h"

#include <QString>

#include <optional>

namespace wv {

// A byte count with thousands separated by commas ("1,234,567"); zero gives
// an empty text.
QString formatByteCount(quint64 value);

// The two modem lights of one place. A light is lit during a tick in which its
// total differs from the total remembered from the previous tick; the
// remembered totals start at 0, so the first tick lights every non-zero total.
class TrafficLights
{
public:
    struct State
    {
        bool sentLit = false;
        bool receivedLit = false;
        // "<count> bytes sent" / "<count> bytes received"; empty until the
        // first successful tick.
        QString sentHint;
        QString receivedHint;
        bool operator==(const State &) const = default;
    };

    // One tick with the totals just read. Without totals (the read failed)
    // lights, hints and remembered totals stay as they are and false is
    // returned.
    bool tick(const std::optional<AdapterTotals> &totals);

    const State &state() const { return m_state; }
    const AdapterTotals &remembered() const { return m_last; }

private:
    AdapterTotals m_last;
    State m_state;
};

} // namespace wv
