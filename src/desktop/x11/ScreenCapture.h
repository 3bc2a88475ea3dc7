#pragma once

#include "x11/X11Display.h"

#include <QImage>
#include <QRect>

namespace kestrane {

// What the screen shows in a rectangle of the root window, read back from the X server.
// Without a compositor this is the windows' own pixels: the overlay must not be drawn
// there when it is read.
QImage captureScreen(const X11Display& display, const QRect& area);

} // namespace kestrane
