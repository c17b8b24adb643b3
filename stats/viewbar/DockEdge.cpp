#include "stats/viewbar/DockEdge.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace wv {

QRect dockedRect(DockEdge edge, const QRect &screen, int height)
{
    const int top = edge == DockEdge::Top ? screen.top() : screen.bottom() + 1 - height;
    return QRect(screen.left(), top, screen.width(), height);
}

QRect hiddenRect(DockEdge edge, const QRect &screen, int height, int visible)
{
    const int top =
        edge == DockEdge::Top ? screen.top() - (height - visible) : screen.bottom() + 1 - visible;
    return QRect(screen.left(), top, screen.width(), height);
}

std::array<quint32, 12> strutPartial(DockEdge edge, const QRect &screen, const QRect &root,
                                     int height)
{
    std::array<quint32, 12> s{};
    const quint32 startX = quint32(std::max(0, screen.left() - root.left()));
    const quint32 endX = startX + quint32(std::max(1, screen.width())) - 1;
    if (edge == DockEdge::Top) {
        s[2] = quint32(std::max(0, screen.top() - root.top() + height));
        s[8] = startX;
        s[9] = endX;
    } else {
        s[3] = quint32(std::max(0, root.bottom() - screen.bottom() + height));
        s[10] = startX;
        s[11] = endX;
    }
    return s;
}

DockEdge edgeNearest(const QRect &screen, const QPoint &point)
{
    return point.y() < screen.center().y() ? DockEdge::Top : DockEdge::Bottom;
}

QString autoHideTakenMessage()
{
    return QStringLiteral("There is already an auto hidden window on this edge.\n"
                          "Only one auto hidden window is allowed on each edge.");
}

AutoHideClaim::AutoHideClaim(QString display, QString runtimeDir)
    : m_display(std::move(display)), m_dir(std::move(runtimeDir))
{
    if (m_dir.isEmpty())
        m_dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_dir.isEmpty())
        m_dir = QDir::tempPath();
}

AutoHideClaim::~AutoHideClaim() = default;

QString AutoHideClaim::lockPath(DockEdge edge) const
{
    QString display = m_display;
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    return m_dir + QStringLiteral("/wirevane-autohide-") + display +
           (edge == DockEdge::Top ? QStringLiteral("-top.lock") : QStringLiteral("-bottom.lock"));
}

bool AutoHideClaim::claim(DockEdge edge)
{
    if (holds(edge))
        return true;
    auto lock = std::make_unique<QLockFile>(lockPath(edge));
    // A live owner keeps the edge however long it auto-hides; the lock of an
    // owner that died is taken over (QLockFile checks whether its process runs).
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    // The new edge is held before the old one is given back.
    m_lock = std::move(lock);
    m_edge = edge;
    return true;
}

void AutoHideClaim::release()
{
    m_lock.reset();
}

} // namespace wv
