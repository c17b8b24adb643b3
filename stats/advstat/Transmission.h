#pragma once

#include "stats/advstat/AdapterStatistics.h"
#include "stats/dialup/TrafficLights.h"

#include <QString>

#include <optional>

namespace wv {

// The "Transmission" group of the statistics window, one 100 ms tick at a
// time: the three counts with the count pattern and the two lights. A tick
// without figures (no adapter, counters unreadable) leaves everything as it
// was, so that a missing adapter shows empty labels and dark lights.
class Transmission
{
public:
    struct View
    {
        QString received; // lblRcvd
        QString sent;     // lblSent
        QString frames;   // lblFrames
        bool receivedLit = false;
        bool sentLit = false;
        bool operator==(const View &) const = default;
    };

    bool tick(const std::optional<AdapterStatistics> &stats);
    const View &view() const { return m_view; }

private:
    TrafficLights m_lights;
    View m_view;
};

} // namespace wv
