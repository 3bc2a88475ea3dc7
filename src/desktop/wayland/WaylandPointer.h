#pragma once

#include "app/LayerStack.h"

#include <QPointF>

#include <cstdint>
#include <functional>

struct wl_cursor_theme;
struct wl_pointer;
struct wl_pointer_listener;
struct wl_seat;
struct wl_compositor;
struct wl_shm;
struct wl_surface;

namespace kestrane {

// The seat's pointer over the edge's surface: where it is while it is over the surface,
// its left button, and its wheel or touchpad scrolling, in surface coordinates.
class WaylandPointer final {
public:
    struct Handlers {
        // The pointer came onto one of the program's surfaces, or left it (null).
        std::function<void(wl_surface*)> enteredOrLeft;
        std::function<void(QPointF)> moved;
        std::function<void(QPointF)> pressed;
        std::function<void(QPointF)> released;
        std::function<void(QPointF, WheelTurn)> turned;
    };

    WaylandPointer(wl_seat* seat, wl_compositor* compositor, wl_shm* shm, Handlers handlers);
    ~WaylandPointer();
    WaylandPointer(const WaylandPointer&) = delete;
    WaylandPointer& operator=(const WaylandPointer&) = delete;

    // The program's surface the pointer is over, if any.
    wl_surface* over() const { return over_; }
    QPointF position() const { return position_; }
    bool buttonDown() const { return buttonDown_; }
    // The serial of the last press of the left button: a drag starts from it.
    std::uint32_t pressSerial() const { return pressSerial_; }

private:
    void entered(std::uint32_t serial, wl_surface* surface, double x, double y);
    void button(std::uint32_t serial, std::uint32_t button, bool down);
    void axis(std::uint32_t axis, double value);
    void axisDiscrete(std::uint32_t axis, std::int32_t steps);
    void frame();

    static const struct wl_pointer_listener listener;

    wl_pointer* pointer_;
    Handlers handlers_;
    wl_cursor_theme* cursorTheme_ = nullptr;
    wl_surface* cursorSurface_ = nullptr;
    wl_surface* over_ = nullptr;
    bool buttonDown_ = false;
    std::uint32_t pressSerial_ = 0;
    QPointF position_;
    // A scroll gathered until the frame that ends it: a distance, or wheel notches.
    double scrolled_ = 0;
    double notches_ = 0;
};

} // namespace kestrane
