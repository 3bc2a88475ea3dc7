#pragma once

#include "x11/X11Display.h"

#include <QImage>
#include <QRect>

namespace kestrane {

// What the screen shows in a rectangle of the root window, read back from the X server.
// Without a compositor this is the windows' own pixels: the overlay must not be drawn
// there when it is read.
QImage captureScreen(const X11Display& display, const QRect& area);

// The pixels of a rectangle of a drawable, asked for now and collected later, on any
// thread: they are what the drawable held when asked for, before anything drawn after.
struct PixelRequest {
    xcb_get_image_cookie_t cookie {};
    QSize size;
    bool valid = false;
};
PixelRequest requestPixels(const X11Display& display, xcb_drawable_t drawable, const QRect& area);
QImage collectPixels(const X11Display& display, const PixelRequest& request);

// Asks for the desktop's background picture (the root window's pixmap that desktops
// publish) over the rectangle; an invalid request when none is published or it does not
// cover the rectangle.
PixelRequest requestRootBackground(const X11Display& display, const QRect& area);

// A stand-in for the desktop's background where none is published: the screen as it was
// when asked for, with what the windows stacked under `window` cover filled by the colour
// of the desktop showing around them, so that a window moved or closed later leaves no
// picture of itself.
QImage desktopStandIn(const X11Display& display, xcb_window_t window, const QRect& area, const PixelRequest& screen);

// What lies below the window in a rectangle of the root window, put together from the
// contents of each window stacked under it, drawn over `background`. Only a compositor
// keeps the contents of covered windows: without one, use captureScreen with the window
// hidden.
QImage captureBelow(const X11Display& display, xcb_window_t window, const QRect& area, const QImage& background);

} // namespace kestrane
