#include "mainwin/WindowSnap.h"

#include <cstdlib>

namespace wv {

QPoint snapToScreenEdges(const QPoint &topLeft, const QRect &screen, int threshold)
{
    QPoint p = topLeft;
    if (std::abs(p.x() - screen.left()) < threshold)
        p.setX(screen.left());
    if (std::abs(p.y() - screen.top()) < threshold)
        p.setY(screen.top());
    return p;
}

} // namespace wv
