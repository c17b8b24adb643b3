#pragma once

#include <QLockFile>
#include <QRect>
#include <QString>

#include <array>
#include <memory>

namespace wv {

// The screen edges a view bar can dock to.
enum class DockEdge
{
    Top,
    Bottom
};

// The docked bar's rectangle: the full width of the screen, height pixels,
// at the screen's top or bottom edge.
QRect dockedRect(DockEdge edge, const QRect &screen, int height);

// The rectangle of an auto-hidden bar slid out of view, leaving a strip of
// `visible` pixels on the screen for the mouse to find.
QRect hiddenRect(DockEdge edge, const QRect &screen, int height, int visible);

// The twelve values of _NET_WM_STRUT_PARTIAL (left, right, top, bottom, then
// the start and end of each: left_start_y, left_end_y, right_start_y,
// right_end_y, top_start_x, top_end_x, bottom_start_x, bottom_end_x) that
// reserve `height` pixels at the edge of one screen. Struts count from the
// edges of the whole X screen (root), so a screen that does not touch the
// root's bottom reserves the distance down to it as well.
std::array<quint32, 12> strutPartial(DockEdge edge, const QRect &screen, const QRect &root,
                                     int height);

// The edge nearer to a point: the top half of the screen means the top.
DockEdge edgeNearest(const QRect &screen, const QPoint &point);

// The message shown when an edge already has an auto-hidden bar.
QString autoHideTakenMessage();

// One auto-hidden bar per screen edge: a bar claims the edge while it
// auto-hides and gives it back when it stops. The claim is a lock file in
// the user's runtime folder named after the display and the edge, so it
// holds across processes and dies with its owner.
class AutoHideClaim
{
public:
    // display: the display's name (":0", "wayland-0"); runtimeDir: where the
    // lock files go (default: the user's runtime folder, else the temporary
    // folder).
    explicit AutoHideClaim(QString display, QString runtimeDir = QString());
    ~AutoHideClaim();

    // Claims an edge, giving up any other edge held. False when another bar
    // holds it.
    bool claim(DockEdge edge);
    void release();
    bool holds(DockEdge edge) const { return m_lock && m_edge == edge; }

    QString lockPath(DockEdge edge) const;

private:
    QString m_display;
    QString m_dir;
    DockEdge m_edge = DockEdge::Bottom;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace wv
