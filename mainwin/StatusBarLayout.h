#pragma once

#include "mainwin/PanelFlags.h"

#include <QString>

#include <array>
#include <functional>

namespace wv {

// Where the status bar's items go, computed from the panel flags.
struct StatusBarGeometry
{
    // Widths of panels 0 to 5 in pixels; a hidden panel has width 0.
    std::array<int, 6> widths{};
    bool ledVisible = false;
    int ledLeft = 0; // in status-bar coordinates
    int ledTop = 0;
    bool gaugeVisible = false;
    int gaugeLeft = 0;
};

// Input of one layout pass.
struct StatusBarLayoutInput
{
    PanelFlags flags;
    int barWidth = 0;
    int barTop = 0;
    // Panel 0's width before this pass; kept while `main` is off.
    int panel0Width = 0;
    // The current texts of panels 1, 2 and 3.
    std::array<QString, 3> texts;
};

inline constexpr int LightsPanelWidth = 35;
inline constexpr int GaugePanelWidth = 106;

// Lays out the status bar: panels 1 to 3 are as wide as their text plus 10,
// panel 4 holds the lights, panel 5 the gauge, and panel 0 (the main text)
// takes what is left. `textWidth` measures a text in the status bar's font.
StatusBarGeometry LayoutStatusBar(const StatusBarLayoutInput &in,
                                  const std::function<int(const QString &)> &textWidth);

} // namespace wv
