#pragma once

#include "x11/X11Display.h"

#include <QImage>
#include <QRect>

namespace kestrane {

// What the screen shows in a rectangle of the root window, read back from the X server.
// Without a compositor this is the windows' own pixels: the overlay must not be drawn
// there when it is read.
QImage captureScreen(const X11Display& display, const QRect& area);

// The desktop's background picture (the root window's pixmap that desktops publish) over
// the rectangle; null when none is published or it does not cover the rectangle.
QImage captureRootBackground(const X11Display& display, const QRect& area);

// A stand-in for the desktop's background where none is published: the screen as it is,
// with what the windows stacked under `window` cover filled by the colour of the desktop
// showing around them, so that a window moved or closed later leaves no picture of itself.
QImage captureDesktopStandIn(const X11Display& display, xcb_window_t window, const QRect& area);

// What lies below the window in a rectangle of the root window, put together from the
// contents of each window stacked under it, drawn over `background`. Only a compositor
// keeps the contents of covered windows: without one, use captureScreen with the window
// hidden.
QImage captureBelow(const X11Display& display, xcb_window_t window, const QRect& area, const QImage& background);

} // namespace kestrane
