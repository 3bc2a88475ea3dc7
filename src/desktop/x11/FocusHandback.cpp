#include "x11/FocusHandback.h"

#include <utility>

namespace kestrane {

namespace {
// How _NET_ACTIVE_WINDOW tells the window manager who asks: a pager or a taskbar acts for
// the user, so focus-stealing prevention lets the request through.
constexpr std::uint32_t pagerSource = 2;
} // namespace

FocusHandback::FocusHandback(const X11Display& display, xcb_window_t overlay)
    : display_(display)
    , overlay_(overlay)
{
}

void FocusHandback::take(bool remember)
{
    if (remember) {
        const xcb_window_t focused = focusedWindow();
        remembered_ = focused == overlay_ ? XCB_NONE : focused;
    }
    xcb_connection_t* c = display_.connection();
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, overlay_, XCB_CURRENT_TIME);
    xcb_flush(c);
}

void FocusHandback::handBack()
{
    const xcb_window_t window = std::exchange(remembered_, XCB_NONE);
    xcb_connection_t* c = display_.connection();
    if (window != XCB_NONE && display_.exists(window))
        activate(window);
    else
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
    xcb_flush(c);
}

// The window manager's active window names the application's own window, where the
// focus itself may sit on a frame or a child; without a window manager, the focus is all
// there is.
xcb_window_t FocusHandback::focusedWindow() const
{
    xcb_connection_t* c = display_.connection();
    const auto cookie = xcb_get_property(c, 0, display_.root(), display_.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1);
    if (const auto active = owned(xcb_get_property_reply(c, cookie, nullptr)); active && xcb_get_property_value_length(active.get()) == 4) {
        const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
        if (window != XCB_NONE)
            return window;
    }
    const auto focus = owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == display_.root())
        return XCB_NONE;
    return focus->focus;
}

void FocusHandback::activate(xcb_window_t window) const
{
    xcb_connection_t* c = display_.connection();
    if (!display_.hasWindowManager()) {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        return;
    }
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = display_.atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = pagerSource;
    event.data.data32[1] = XCB_CURRENT_TIME;
    event.data.data32[2] = overlay_;
    xcb_send_event(c, 0, display_.root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&event));
}

void FocusHandback::apply(KeyFocus::Action action)
{
    switch (action) {
    case KeyFocus::Action::take:
        return take(true);
    case KeyFocus::Action::retake:
        return take(false);
    case KeyFocus::Action::handBack:
        return handBack();
    case KeyFocus::Action::none:
        return;
    }
}

} // namespace kestrane
