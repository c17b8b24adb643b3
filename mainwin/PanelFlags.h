#pragma once

#include <functional>

namespace wv {

class RegistryStore;

// Which items the main window's status bar shows.
struct PanelFlags
{
    bool main = true;      // panel 0, main status text
    bool ip = false;       // panel 1, own address
    bool hostname = true;  // panel 2, own host name
    bool ping = false;     // panel 3, ICMP echo counters
    bool lights = true;    // panel 4, traffic lights
    bool progress = false; // panel 5, DNS progress gauge
    bool operator==(const PanelFlags &) const = default;
};

// Keeps the flags under WVN3PRO\Panels ("main", "ip", "hostname", "ping",
// "lights", "progress"; "0" or "1"; a missing or malformed value reads as the
// default). Loading and saving both hand the `lights` flag to the lights
// switch, so the lights timer runs exactly while the lights are shown.
//
//   PanelFlagsStore panels(registry, [lc](bool on) { lc->setEnabled(on); });
//   m_flags = panels.load();                 // at start-up
//   if (TfrmStatusCustomizer::customize(this, m_flags, hasRAS, QCursor::pos()))
//       panels.save(m_flags);                // then lay out the status bar
class PanelFlagsStore
{
public:
    static constexpr const char *PanelsKey = "WVN3PRO\\Panels";

    explicit PanelFlagsStore(RegistryStore &registry,
                             std::function<void(bool lightsOn)> lightsSwitch = {});

    PanelFlags load();
    // Writes all six values in one rewrite of the store; false when it failed.
    bool save(const PanelFlags &flags);

private:
    RegistryStore &m_registry;
    std::function<void(bool)> m_lightsSwitch;
};

} // namespace wv
