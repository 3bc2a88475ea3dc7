#include "wayland/WaylandPointer.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>
#include <wayland-cursor.h>

namespace kestrane {

namespace {
constexpr int cursorSize = 24;
} // namespace

const wl_pointer_listener WaylandPointer::listener {
    [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        static_cast<WaylandPointer*>(data)->entered(serial, surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void* data, wl_pointer*, std::uint32_t, wl_surface*) {
        auto* self = static_cast<WaylandPointer*>(data);
        self->over_ = nullptr;
        self->buttonDown_ = false;
        self->handlers_.enteredOrLeft(nullptr);
    },
    [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<WaylandPointer*>(data);
        self->position_ = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y));
        self->handlers_.moved(self->position_);
    },
    [](void* data, wl_pointer*, std::uint32_t serial, std::uint32_t, std::uint32_t button, std::uint32_t state) {
        static_cast<WaylandPointer*>(data)->button(serial, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
    },
    [](void* data, wl_pointer*, std::uint32_t, std::uint32_t axis, wl_fixed_t value) {
        static_cast<WaylandPointer*>(data)->axis(axis, wl_fixed_to_double(value));
    },
    [](void* data, wl_pointer*) { static_cast<WaylandPointer*>(data)->frame(); },
    [](void*, wl_pointer*, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    [](void* data, wl_pointer*, std::uint32_t axis, std::int32_t steps) { static_cast<WaylandPointer*>(data)->axisDiscrete(axis, steps); },
    nullptr,
};

WaylandPointer::WaylandPointer(wl_seat* seat, wl_compositor* compositor, wl_shm* shm, Handlers handlers)
    : pointer_(wl_seat_get_pointer(seat))
    , handlers_(std::move(handlers))
    , cursorTheme_(wl_cursor_theme_load(nullptr, cursorSize, shm))
    , cursorSurface_(wl_compositor_create_surface(compositor))
{
    wl_pointer_add_listener(pointer_, &listener, this);
}

WaylandPointer::~WaylandPointer()
{
    wl_pointer_release(pointer_);
    wl_surface_destroy(cursorSurface_);
    if (cursorTheme_)
        wl_cursor_theme_destroy(cursorTheme_);
}

void WaylandPointer::entered(std::uint32_t serial, wl_surface* surface, double x, double y)
{
    over_ = surface;
    position_ = QPointF(x, y);
    // The arrow, as over any other window; without a cursor theme the compositor's own.
    wl_cursor* arrow = cursorTheme_ ? wl_cursor_theme_get_cursor(cursorTheme_, "left_ptr") : nullptr;
    if (arrow && arrow->image_count > 0) {
        wl_cursor_image* image = arrow->images[0];
        wl_surface_attach(cursorSurface_, wl_cursor_image_get_buffer(image), 0, 0);
        wl_surface_damage(cursorSurface_, 0, 0, static_cast<std::int32_t>(image->width), static_cast<std::int32_t>(image->height));
        wl_surface_commit(cursorSurface_);
        wl_pointer_set_cursor(
            pointer_, serial, cursorSurface_, static_cast<std::int32_t>(image->hotspot_x), static_cast<std::int32_t>(image->hotspot_y));
    }
    handlers_.enteredOrLeft(surface);
    handlers_.moved(position_);
}

void WaylandPointer::button(std::uint32_t serial, std::uint32_t button, bool down)
{
    if (button != BTN_LEFT)
        return;
    buttonDown_ = down;
    if (down)
        pressSerial_ = serial;
    down ? handlers_.pressed(position_) : handlers_.released(position_);
}

void WaylandPointer::axis(std::uint32_t axis, double value)
{
    if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL)
        scrolled_ += value;
}

void WaylandPointer::axisDiscrete(std::uint32_t axis, std::int32_t steps)
{
    if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL)
        notches_ += steps;
}

// One scroll event ends with its frame. Wayland scrolls down with positive values, the
// edge turns up with positive ones; a wheel's notches come with their distance, and count.
void WaylandPointer::frame()
{
    if (notches_ != 0)
        handlers_.turned(position_, { -notches_, true });
    else if (scrolled_ != 0)
        handlers_.turned(position_, { -scrolled_, false });
    notches_ = 0;
    scrolled_ = 0;
}

} // namespace kestrane
