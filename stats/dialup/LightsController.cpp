#include "stats/dialup/LightsController.h"

namespace wv {

LightsController::LightsController(QObject *parent)
    : LightsController(std::make_unique<SysfsAdapterCounters>(), parent)
{
}

LightsController::LightsController(std::unique_ptr<AdapterCounterSource> source, QObject *parent)
    : QObject(parent), m_source(std::move(source))
{
    lightsTimer.setInterval(IntervalMs);
    connect(&lightsTimer, &QTimer::timeout, this, &LightsController::lightsTimerTimer);
}

LightsController::~LightsController() = default;

void LightsController::setEnabled(bool on)
{
    if (on)
        lightsTimer.start();
    else
        lightsTimer.stop();
}

void LightsController::lightsTimerTimer()
{
    const TrafficLights::State before = m_lights.state();
    if (!m_lights.tick(m_source->read()))
        return;
    const TrafficLights::State &now = m_lights.state();
    if (now.sentLit != before.sentLit || now.receivedLit != before.receivedLit)
        Q_EMIT lightsChanged(now.sentLit, now.receivedLit);
    if (now.sentHint != before.sentHint || now.receivedHint != before.receivedHint)
        Q_EMIT hintsChanged(now.sentHint, now.receivedHint);
}

} // namespace wv
