#pragma once

#include "geometry/Point.h"
#include "x11/X11Display.h"

#include <vector>

namespace kestrane {

// Window-manager hints and the input shape of the overlay window.
class OverlayWindowSetup {
public:
    OverlayWindowSetup(const X11Display& display, xcb_window_t window);

    // On every desktop, above normal windows, in no taskbar or pager.
    void applyWindowHints() const;
    // Clicks reach the window only inside these rectangles and pass through elsewhere.
    void setInputRegion(const std::vector<Rect>& rects) const;

private:
    const X11Display& display_;
    xcb_window_t window_;
};

} // namespace kestrane
