#pragma once

#include "app/KeyFocus.h"
#include "x11/X11Display.h"

namespace kestrane {

// Moves the keyboard focus between the overlay and the window the user was typing in.
// The overlay bypasses the window manager, so it takes the focus itself; giving it back
// goes through the window manager, as a pager would ask, so that it honours the request.
class FocusHandback {
public:
    FocusHandback(const X11Display& display, xcb_window_t overlay);

    // Remembers the window that has the focus now, unless it is the overlay, when asked to.
    void take(bool remember);
    // Gives the focus to the remembered window; to the window under the pointer when that
    // window is gone or none was remembered.
    void handBack();
    void apply(KeyFocus::Action action);

private:
    xcb_window_t focusedWindow() const;
    void activate(xcb_window_t window) const;

    const X11Display& display_;
    xcb_window_t overlay_;
    xcb_window_t remembered_ = XCB_NONE;
};

} // namespace kestrane
