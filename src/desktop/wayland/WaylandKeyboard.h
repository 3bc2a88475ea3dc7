#pragma once

#include "app/LayerStack.h"

#include <QTimer>

#include <cstdint>
#include <functional>

struct wl_keyboard;
struct wl_keyboard_listener;
struct wl_seat;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace kestrane {

// The seat's keyboard while the edge's surface has it: each press, and each repeat of a
// held key, as the program's keys see it, read with the compositor's keymap.
class WaylandKeyboard final {
public:
    WaylandKeyboard(wl_seat* seat, std::function<void(bool)> focusChanged, std::function<void(const KeyPress&)> pressed);
    ~WaylandKeyboard();
    WaylandKeyboard(const WaylandKeyboard&) = delete;
    WaylandKeyboard& operator=(const WaylandKeyboard&) = delete;

    bool focused() const { return focused_; }

private:
    void readKeymap(std::uint32_t format, int fd, std::uint32_t size);
    void key(std::uint32_t key, bool down);
    void press(std::uint32_t key);
    void modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
    void setFocused(bool focused);
    std::uint64_t modifierFlags() const;

    static const struct wl_keyboard_listener listener;

    wl_keyboard* keyboard_;
    std::function<void(bool)> focusChanged_;
    std::function<void(const KeyPress&)> pressed_;
    xkb_context* context_;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    bool focused_ = false;
    // The held key that repeats, at the compositor's rate after its delay.
    std::uint32_t repeating_ = 0;
    int repeatInterval_ = 40;
    int repeatDelay_ = 400;
    QTimer repeat_;
};

} // namespace kestrane
