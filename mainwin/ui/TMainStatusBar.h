#pragma once

#include "mainwin/PanelFlags.h"
#include "mainwin/ui/TStatusPanels.h"

#include <functional>
#include <memory>

namespace wv {

class AdapterCounterSource;
class EchoCounterSource;
class LightsController;
class RegistryStore;
class StatusBarRefresh;

// The main window's status bar with everything behind it: the panels, the
// once-a-second refresh of address, host name and echo counters, the traffic
// lights with their 100 ms timer, the panel flags in the registry and the
// customizer on a double-click.
//
//   m_stat = new TMainStatusBar(m_registry, [this] { return m_settings.values().hasRAS; });
//   statusBar()->addWidget(m_stat, 1);
//   ...
//   m_stat->LoadPanelFlags();                     // start-up, after the column widths
//   m_stat->setPanelText(0, QStringLiteral("Last refresh: ..."));
//   m_stat->gauge()->setValue(...);
class TMainStatusBar : public TStatusPanels
{
    Q_OBJECT
public:
    // Without sources the echo counters come from /proc/net/snmp and the
    // lights from the interface of the default route.
    TMainStatusBar(RegistryStore &registry, std::function<bool()> hasRAS,
                   std::unique_ptr<EchoCounterSource> echo = nullptr,
                   std::unique_ptr<AdapterCounterSource> adapter = nullptr,
                   QWidget *parent = nullptr);
    ~TMainStatusBar() override;

    // Reads the flags (the lights timer follows `lights`) and lays out once.
    void LoadPanelFlags();
    // Writes the flags (the lights timer follows `lights` again).
    bool SavePanelFlags();

    LightsController *lightsController() const { return m_lights; }
    StatusBarRefresh *statusRefresh() const { return m_refresh; }

public Q_SLOTS:
    // Opens the customizer at the pointer; on OK saves and lays out.
    void statDblClick(const QPoint &globalPos);

private:
    std::function<bool()> m_hasRAS;
    PanelFlags m_edit;
    PanelFlagsStore m_store;
    LightsController *m_lights;
    StatusBarRefresh *m_refresh;
};

} // namespace wv
