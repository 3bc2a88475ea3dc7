#pragma once

#include "geometry/Point.h"
#include "x11/X11Display.h"

#include <QRegion>

#include <optional>
#include <vector>

namespace kestrane {

// Window-manager hints and the input and bounding shapes of the overlay window.
class OverlayWindowSetup {
public:
    OverlayWindowSetup(const X11Display& display, xcb_window_t window);

    // On every desktop, above normal windows, in no taskbar or pager.
    void applyWindowHints() const;
    // Clicks reach the window only inside these rectangles and pass through elsewhere.
    void setInputRegion(const std::vector<Rect>& rects) const;
    // Without a compositor to blend it, the window shows only inside this region, which
    // then also bounds where it takes clicks; absent: the whole window.
    void setBoundingShape(const std::optional<QRegion>& region) const;

    // The region as X rectangles.
    static std::vector<xcb_rectangle_t> rectanglesOf(const QRegion& region);

private:
    const X11Display& display_;
    xcb_window_t window_;
};

} // namespace kestrane
