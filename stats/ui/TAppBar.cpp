#include "stats/ui/TAppBar.h"

#include "stats/ui/X11Dock.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMessageBox>
#include <QPropertyAnimation>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace wv {

namespace {

QString displayName()
{
    const QByteArray x = qgetenv("DISPLAY");
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !x.isEmpty())
        return QString::fromLocal8Bit(x);
    const QByteArray w = qgetenv("WAYLAND_DISPLAY");
    return w.isEmpty() ? QGuiApplication::platformName() : QString::fromLocal8Bit(w);
}

} // namespace

TAppBar::TAppBar(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   (x11::isX11() ? Qt::WindowFlags() : Qt::WindowFlags(Qt::Tool)));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_claim = std::make_unique<AutoHideClaim>(displayName());
    m_slide = new QPropertyAnimation(this, "pos", this);
    m_hideTimer = new QTimer(this);
    m_hideTimer->setSingleShot(true);
    m_hideTimer->setInterval(HideDelayMs);
    connect(m_hideTimer, &QTimer::timeout, this, [this] {
        // Not while the mouse is back or one of the bar's menus is open.
        if (m_autoHide && !mouseOver() && !QApplication::activePopupWidget())
            slideOut();
        else if (m_autoHide && !m_slidOut)
            m_hideTimer->start();
    });
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        connect(s, &QScreen::geometryChanged, this, [this] {
            if (isVisible())
                dock();
        });
    }
}

TAppBar::~TAppBar() = default;

QRect TAppBar::screenRect() const
{
    QScreen *s = isVisible() && screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 800, 600);
}

void TAppBar::setEdge(DockEdge edge)
{
    if (edge == m_edge)
        return;
    if (m_autoHide && !m_claim->claim(edge)) {
        // The other edge has its auto-hidden bar: stay a plain bar there.
        m_autoHide = false;
        if (m_messenger)
            m_messenger(autoHideTakenMessage());
        else
            QMessageBox::warning(this, QStringLiteral("Warning"), autoHideTakenMessage());
    }
    m_edge = edge;
    dock();
    Q_EMIT edgeChanged(edge);
}

void TAppBar::setDockHeight(int height)
{
    m_height = height;
    if (isVisible())
        dock();
}

bool TAppBar::setAutoHide(bool on)
{
    if (on == m_autoHide)
        return true;
    if (on && !m_claim->claim(m_edge)) {
        if (m_messenger)
            m_messenger(autoHideTakenMessage());
        else
            QMessageBox::warning(this, QStringLiteral("Warning"), autoHideTakenMessage());
        return false;
    }
    m_autoHide = on;
    if (!on)
        m_claim->release();
    if (isVisible()) {
        dock();
        if (on && !mouseOver())
            m_hideTimer->start();
    }
    return true;
}

void TAppBar::setAlwaysOnTop(bool on)
{
    m_alwaysOnTop = on;
    if (on && isVisible())
        raise();
}

void TAppBar::reserve()
{
    if (!x11::isX11())
        return;
    // An auto-hidden bar gives its strip back: windows may use the edge.
    std::array<quint32, 12> strut{};
    if (!m_autoHide) {
        const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
        const qreal dpr = s ? s->devicePixelRatio() : 1.0;
        const QRect geom = screenRect();
        const QRect root = s ? s->virtualGeometry() : geom;
        auto scaled = [dpr](const QRect &r) {
            return QRect(qRound(r.x() * dpr), qRound(r.y() * dpr), qRound(r.width() * dpr),
                         qRound(r.height() * dpr));
        };
        strut = strutPartial(m_edge, scaled(geom), scaled(root), qRound(m_height * dpr));
    }
    x11::setStrut(this, strut);
}

void TAppBar::dock()
{
    m_slide->stop();
    const QRect target = dockedRect(m_edge, screenRect(), m_height);
    setFixedSize(target.size());
    const QRect place =
        m_autoHide && m_slidOut ? hiddenRect(m_edge, screenRect(), m_height, HiddenStrip) : target;
    if (x11::isX11() && testAttribute(Qt::WA_Mapped) && pos() != place.topLeft()) {
        // Openbox keeps a mapped dock where it is against its own configure
        // requests: give the old strip back first and ask the window manager.
        x11::setStrut(this, {});
        move(place.topLeft());
        x11::moveResize(this, place);
    } else {
        move(place.topLeft());
    }
    reserve();
}

void TAppBar::moveAnimated(const QRect &target)
{
    m_slide->stop();
    if (!m_slideEffect || m_slideTime <= 0 || !isVisible()) {
        move(target.topLeft());
        return;
    }
    m_slide->setDuration(m_slideTime);
    m_slide->setStartValue(pos());
    m_slide->setEndValue(target.topLeft());
    m_slide->start();
}

void TAppBar::slideIn()
{
    if (!m_slidOut)
        return;
    m_slidOut = false;
    moveAnimated(dockedRect(m_edge, screenRect(), m_height));
    if (m_alwaysOnTop)
        raise();
}

void TAppBar::slideOut()
{
    if (!m_autoHide || m_slidOut)
        return;
    m_slidOut = true;
    moveAnimated(hiddenRect(m_edge, screenRect(), m_height, HiddenStrip));
}

bool TAppBar::mouseOver() const
{
    return isVisible() && frameGeometry().contains(QCursor::pos());
}

void TAppBar::showEvent(QShowEvent *event)
{
    if (!m_dockTypeSet && x11::isX11()) {
        // The window manager reads the type when the window is mapped, which
        // follows this event.
        x11::setDockType(this);
        m_dockTypeSet = true;
    }
    QWidget::showEvent(event);
    dock();
    if (m_alwaysOnTop)
        raise();
    if (m_autoHide && !mouseOver())
        m_hideTimer->start();
}

void TAppBar::hideEvent(QHideEvent *event)
{
    m_hideTimer->stop();
    QWidget::hideEvent(event);
}

void TAppBar::enterEvent(QEnterEvent *event)
{
    m_hideTimer->stop();
    slideIn();
    QWidget::enterEvent(event);
}

void TAppBar::leaveEvent(QEvent *event)
{
    if (m_autoHide)
        m_hideTimer->start();
    QWidget::leaveEvent(event);
}

void TAppBar::changeEvent(QEvent *event)
{
    // Whenever the bar loses the focus it goes back on top, without taking it.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && m_alwaysOnTop &&
        isVisible())
        raise();
    QWidget::changeEvent(event);
}

} // namespace wv
