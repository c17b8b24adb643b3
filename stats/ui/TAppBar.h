#pragma once

#include "stats/viewbar/DockEdge.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPropertyAnimation;
class QTimer;

namespace wv {

// A strip docked across the top or bottom edge of a screen, above other
// windows. Under X11 it is a dock window that reserves its strip
// (_NET_WM_STRUT_PARTIAL), so maximised windows stop short of it; elsewhere
// (Wayland) it is a frameless always-on-top window placed at the edge as far
// as the compositor allows. Auto-hide slides the strip off the screen, all
// but a thin line, and back while the mouse is over it; only one bar may
// auto-hide on each edge.
class TAppBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DefaultSlideTime = 400;
    // What stays on the screen of an auto-hidden bar.
    static constexpr int HiddenStrip = 2;
    // How long the mouse may be away before an auto-hidden bar slides out.
    static constexpr int HideDelayMs = 600;

    explicit TAppBar(QWidget *parent = nullptr);
    ~TAppBar() override;

    DockEdge Edge() const { return m_edge; }
    void setEdge(DockEdge edge);
    int DockHeight() const { return m_height; }
    void setDockHeight(int height);
    bool AutoHide() const { return m_autoHide; }
    // Asks for auto-hide. When another bar already auto-hides on this edge
    // the request is refused with the message, and false is returned.
    bool setAutoHide(bool on);
    bool AlwaysOnTop() const { return m_alwaysOnTop; }
    void setAlwaysOnTop(bool on);
    bool SlideEffect() const { return m_slideEffect; }
    void setSlideEffect(bool on) { m_slideEffect = on; }
    int SlideTime() const { return m_slideTime; }
    void setSlideTime(int ms) { m_slideTime = ms; }

    // Places the bar at its edge (and reserves the strip) now.
    void dock();
    // True while an auto-hidden bar is out of view (or on its way out).
    bool isSlidOut() const { return m_slidOut; }
    void slideIn();
    void slideOut();

    // Where the refusal message goes; by default a message box.
    void setMessenger(std::function<void(const QString &)> show) { m_messenger = std::move(show); }
    // The screen rectangle the bar docks to.
    QRect screenRect() const;

Q_SIGNALS:
    void edgeChanged(DockEdge edge);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    // The strip's own content is laid out by the subclass.

private:
    void reserve();
    void moveAnimated(const QRect &target);
    bool mouseOver() const;

    DockEdge m_edge = DockEdge::Bottom;
    int m_height = 28;
    bool m_autoHide = false;
    bool m_alwaysOnTop = true;
    bool m_slideEffect = true;
    int m_slideTime = DefaultSlideTime;
    bool m_slidOut = false;
    bool m_dockTypeSet = false;
    std::unique_ptr<AutoHideClaim> m_claim;
    QPropertyAnimation *m_slide = nullptr;
    QTimer *m_hideTimer = nullptr;
    std::function<void(const QString &)> m_messenger;
};

} // namespace wv
