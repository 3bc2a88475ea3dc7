#include "x11/X11Display.h"

#include "platform/Log.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>
#include <string>

namespace kestrane {

bool X11Display::canConnect()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        logLine("Kestrane: no X display to draw on (DISPLAY is not set); start it from a desktop session, "
                "or under Xvfb for a headless run");
        return false;
    }
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(name, &screen);
    const bool connected = xcb_connection_has_error(connection) == 0;
    // A screen number the server does not have (":0.7") would abort the toolkit.
    const bool hasScreen = connected && screen >= 0 && screen < xcb_setup_roots_length(xcb_get_setup(connection));
    xcb_disconnect(connection);
    if (!connected)
        logLine(std::string("Kestrane: cannot open the X display \"") + name + "\"");
    else if (!hasScreen)
        logLine(std::string("Kestrane: the X display \"") + name + "\" has no screen " + std::to_string(screen));
    return hasScreen;
}

std::optional<X11Display> X11Display::fromApplication()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem)
        return std::nullopt;
    return X11Display(connection, screens.data->root, 0);
}

xcb_atom_t X11Display::atom(std::string_view name) const
{
    const auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
    const auto reply = owned(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
}

bool X11Display::hasWindowManager() const
{
    const auto cookie = xcb_get_property(connection_, 0, root_, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1);
    const auto reply = owned(xcb_get_property_reply(connection_, cookie, nullptr));
    return reply && xcb_get_property_value_length(reply.get()) == 4;
}

bool X11Display::exists(xcb_window_t window) const
{
    xcb_generic_error_t* error = nullptr;
    const auto reply = owned(xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), &error));
    std::free(error);
    return reply != nullptr;
}

std::optional<X11Display::Pointer> X11Display::queryPointer(xcb_connection_t* connection, xcb_window_t root)
{
    const auto reply = owned(xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
    if (!reply || !reply->same_screen)
        return std::nullopt;
    constexpr std::uint16_t anyButton = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 | XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
    return Pointer { reply->root_x, reply->root_y, (reply->mask & anyButton) != 0 };
}

} // namespace kestrane
