#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// A reply from xcb, freed when it goes.
template <typename Reply> std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply)
{
    return { reply, &std::free };
}

// The X connection Qt opened, and the few calls the program makes on it directly.
class X11Display {
public:
    // Whether the X server named by DISPLAY accepts a connection; says why in one line
    // when it does not. Checked before Qt, which aborts without a display.
    static bool canConnect();
    // Absent when the application does not run on the xcb platform.
    static std::optional<X11Display> fromApplication();

    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(std::string_view name) const;
    // The selection a compositing manager owns while it composites this screen.
    std::string compositorSelection() const { return "_NET_WM_CM_S" + std::to_string(screenNumber_); }
    // Whether a window manager that follows the desktop conventions runs.
    bool hasWindowManager() const;
    // Whether the window still exists; asking about a gone window is no error.
    bool exists(xcb_window_t window) const;

    struct Pointer {
        int x = 0;
        int y = 0;
        bool buttonsDown = false;
    };
    // The pointer in root coordinates and whether any button is held; absent when the
    // pointer is on another screen of the display.
    std::optional<Pointer> queryPointer() const { return queryPointer(connection_, root_); }
    static std::optional<Pointer> queryPointer(xcb_connection_t* connection, xcb_window_t root);

private:
    X11Display(xcb_connection_t* connection, xcb_window_t root, int screenNumber)
        : connection_(connection)
        , root_(root)
        , screenNumber_(screenNumber)
    {
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    int screenNumber_;
};

} // namespace kestrane
