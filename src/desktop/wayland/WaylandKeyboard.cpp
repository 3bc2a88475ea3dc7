#include "wayland/WaylandKeyboard.h"

#include "edge/KeyCodes.h"
#include "platform/Log.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <array>

namespace kestrane {

namespace {
// Key codes from the compositor are evdev's; xkbcommon counts from 8.
constexpr std::uint32_t evdevOffset = 8;
} // namespace

const wl_keyboard_listener WaylandKeyboard::listener {
    [](void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
        static_cast<WaylandKeyboard*>(data)->readKeymap(format, fd, size);
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) { static_cast<WaylandKeyboard*>(data)->setFocused(true); },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) { static_cast<WaylandKeyboard*>(data)->setFocused(false); },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
        static_cast<WaylandKeyboard*>(data)->key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
    },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
        static_cast<WaylandKeyboard*>(data)->modifiers(depressed, latched, locked, group);
    },
    [](void* data, wl_keyboard*, std::int32_t rate, std::int32_t delay) {
        auto* self = static_cast<WaylandKeyboard*>(data);
        self->repeatInterval_ = rate > 0 ? 1000 / rate : 0;
        self->repeatDelay_ = delay;
    },
};

WaylandKeyboard::WaylandKeyboard(wl_seat* seat, std::function<void(bool)> focusChanged, std::function<void(const KeyPress&)> pressed)
    : keyboard_(wl_seat_get_keyboard(seat))
    , focusChanged_(std::move(focusChanged))
    , pressed_(std::move(pressed))
    , context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
    wl_keyboard_add_listener(keyboard_, &listener, this);
    QObject::connect(&repeat_, &QTimer::timeout, [this] {
        repeat_.setInterval(repeatInterval_);
        press(repeating_);
    });
}

WaylandKeyboard::~WaylandKeyboard()
{
    wl_keyboard_release(keyboard_);
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void WaylandKeyboard::readKeymap(std::uint32_t format, int fd, std::uint32_t size)
{
    void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    close(fd);
    if (text == MAP_FAILED) {
        logLine("Kestrane: the compositor's keymap cannot be read; keys are not seen");
        return;
    }
    xkb_keymap* keymap =
        xkb_keymap_new_from_string(context_, static_cast<const char*>(text), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!keymap) {
        logLine("Kestrane: the compositor's keymap does not compile; keys are not seen");
        return;
    }
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    state_ = xkb_state_new(keymap_);
}

void WaylandKeyboard::setFocused(bool focused)
{
    focused_ = focused;
    repeat_.stop();
    focusChanged_(focused);
}

void WaylandKeyboard::key(std::uint32_t key, bool down)
{
    if (!state_)
        return;
    const std::uint32_t code = key + evdevOffset;
    if (!down) {
        if (code == repeating_)
            repeat_.stop();
        return;
    }
    press(code);
    if (repeatInterval_ > 0 && xkb_keymap_key_repeats(keymap_, code)) {
        repeating_ = code;
        repeat_.start(repeatDelay_);
    }
}

void WaylandKeyboard::press(std::uint32_t code)
{
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_, code);
    std::array<char, 64> text {};
    xkb_state_key_get_utf8(state_, code, text.data(), text.size());
    pressed_({ keyEventFromKeysym(keysym, modifierFlags(), text.data()), text.data() });
}

void WaylandKeyboard::modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    if (state_)
        xkb_state_update_mask(state_, depressed, latched, locked, 0, 0, group);
}

std::uint64_t WaylandKeyboard::modifierFlags() const
{
    const auto active = [this](const char* name) { return xkb_state_mod_name_is_active(state_, name, XKB_STATE_MODS_EFFECTIVE) > 0; };
    std::uint64_t flags = 0;
    if (active(XKB_MOD_NAME_CTRL))
        flags |= modifier::control;
    if (active(XKB_MOD_NAME_ALT))
        flags |= modifier::alt;
    if (active(XKB_MOD_NAME_SHIFT))
        flags |= modifier::shift;
    if (active(XKB_MOD_NAME_LOGO))
        flags |= modifier::super;
    return flags;
}

} // namespace kestrane
