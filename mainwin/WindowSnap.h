#pragma once

#include <QPoint>
#include <QRect>

namespace wv {

// Snapping of the main window to the screen's left and top edges: an edge
// closer than the threshold is pulled onto the screen's edge, and stays there
// until the window is moved at least the threshold away.
constexpr int SnapThreshold = 20;

QPoint snapToScreenEdges(const QPoint &topLeft, const QRect &screen, int threshold = SnapThreshold);

} // namespace wv
