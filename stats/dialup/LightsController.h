#pragma once

#include "stats/dialup/TrafficLights.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace wv {

// Drives one place's traffic lights: `lightsTimer` ticks every 100 ms while
// enabled, reads the adapter totals and reports the lights and their hints.
// The main window enables it exactly while its `lights` panel flag is on.
//
//   auto *lights = new LightsController(this);          // default-route adapter
//   connect(lights, &LightsController::lightsChanged, ledPanel, &TLightsPanel::setLights);
//   lights->setEnabled(flags.lights);
class LightsController : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 100;

    // Reads the adapter of the default route.
    explicit LightsController(QObject *parent = nullptr);
    LightsController(std::unique_ptr<AdapterCounterSource> source, QObject *parent = nullptr);
    ~LightsController() override;

    // Starts or stops the timer; stopping leaves lights and totals as they are.
    void setEnabled(bool on);
    bool isEnabled() const { return lightsTimer.isActive(); }
    const TrafficLights &lights() const { return m_lights; }

public Q_SLOTS:
    // One tick (the timer's handler; callable directly).
    void lightsTimerTimer();

Q_SIGNALS:
    void lightsChanged(bool sentLit, bool receivedLit);
    void hintsChanged(const QString &sentHint, const QString &receivedHint);

private:
    QTimer lightsTimer;
    std::unique_ptr<AdapterCounterSource> m_source;
    TrafficLights m_lights;
};

} // namespace wv
