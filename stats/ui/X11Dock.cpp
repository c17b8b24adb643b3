#include "stats/ui/X11Dock.h"

#include <QGuiApplication>
#include <QRect>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace wv::x11 {

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, quint16(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

} // namespace

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && connection();
}

void setDockType(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const auto id = xcb_window_t(window->winId());
    // Qt rewrites the type from the window flags whenever they change; its
    // xcb plugin keeps this dynamic property's types when it does (4: dock).
    if (QWindow *handle = window->windowHandle())
        handle->setProperty("_q_xcb_wm_window_type", 4);
    const xcb_atom_t dock = atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                        32, 1, &dock);
    xcb_flush(c);
}

void moveResize(QWidget *window, const QRect &rect)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const qreal dpr = window->devicePixelRatioF();
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = atom(c, "_NET_MOVERESIZE_WINDOW");
    // Static gravity, x, y, width and height given, from a pager-like source.
    event.data.data32[0] = 10 | (1 << 8) | (1 << 9) | (1 << 10) | (1 << 11) | (2 << 12);
    event.data.data32[1] = quint32(qRound(rect.x() * dpr));
    event.data.data32[2] = quint32(qRound(rect.y() * dpr));
    event.data.data32[3] = quint32(qRound(rect.width() * dpr));
    event.data.data32[4] = quint32(qRound(rect.height() * dpr));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

void setStrut(QWidget *window, const std::array<quint32, 12> &strut)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const auto id = xcb_window_t(window->winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_STRUT_PARTIAL"),
                        XCB_ATOM_CARDINAL, 32, 12, strut.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_STRUT"), XCB_ATOM_CARDINAL,
                        32, 4, strut.data());
    xcb_flush(c);
}

} // namespace wv::x11
