#pragma once

#include <QtGlobal>

#include <array>

class QRect;
class QWidget;

namespace wv::x11 {

// True when the program draws through X11 (the xcb platform).
bool isX11();

// Marks a top-level window as a dock (_NET_WM_WINDOW_TYPE_DOCK). Call after
// the native window exists and before it is mapped: window managers read the
// type when the window is mapped.
void setDockType(QWidget *window);

// Sets _NET_WM_STRUT_PARTIAL and, for window managers that know only the
// older hint, _NET_WM_STRUT (its first four values). All zero gives the
// reserved space back.
void setStrut(QWidget *window, const std::array<quint32, 12> &strut);

// Asks the window manager to move a mapped window (_NET_MOVERESIZE_WINDOW):
// window managers may ignore a dock's own configure requests.
void moveResize(QWidget *window, const QRect &rect);

} // namespace wv::x11
