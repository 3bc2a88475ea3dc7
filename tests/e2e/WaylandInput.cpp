// The mouse and keyboard of a Wayland session, for tests, through whichever the compositor
// offers: a wlroots virtual pointer (pointer only) or KWin's fake input (pointer and keys).
//   kestrane_wayland_input move|click X Y WIDTH HEIGHT
//   kestrane_wayland_input drag X Y TO_X TO_Y WIDTH HEIGHT
// puts the pointer at (X, Y) of the WIDTH × HEIGHT output; a click then holds still a
// moment, as a hand does, and presses and releases the first button; a drag presses there,
// moves to (TO_X, TO_Y) and releases there.
//   kestrane_wayland_input key [Ctrl+][Alt+]Escape|Down|Return|Tab|BackSpace|LETTER
//   kestrane_wayland_input type TEXT
// presses and releases a key (with Ctrl and Alt held around it when named before it), or
// the keys of a text of letters, digits and spaces on a US layout. The compositor has
// handled it all when the program exits with status 0; 1 when it cannot, 2 for a bad
// command line.
#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    org_kde_kwin_fake_input* fake = nullptr;
};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->pointers =
            static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        globals->fake = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}
void ignoreGlobalRemoval(void*, wl_registry*, std::uint32_t) { }
const wl_registry_listener registryListener { onGlobal, ignoreGlobalRemoval };

std::uint32_t now()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// A key pressed with the modifiers held around it.
struct Stroke {
    std::uint32_t key;
    std::vector<std::uint32_t> held;
};

// The evdev key codes of a text on a US layout, Shift held for capitals; empty when a
// character has none here. "Ctrl+" and "Alt+" before a key hold those around it.
std::vector<Stroke> keysOf(std::string text)
{
    std::vector<std::uint32_t> modifiers;
    for (const auto& [prefix, code] : { std::pair<std::string, std::uint32_t>("Ctrl+", KEY_LEFTCTRL), { "Alt+", KEY_LEFTALT } })
        if (text.size() > prefix.size() && text.starts_with(prefix)) {
            modifiers.push_back(code);
            text.erase(0, prefix.size());
        }
    static const std::map<std::string, std::uint32_t> named { { "Escape", KEY_ESC }, { "Down", KEY_DOWN }, { "Up", KEY_UP },
        { "Return", KEY_ENTER }, { "Tab", KEY_TAB }, { "BackSpace", KEY_BACKSPACE } };
    if (const auto key = named.find(text); key != named.end())
        return { { key->second, modifiers } };
    // The rows of the keyboard, each starting at the code of its first key.
    static const std::pair<const char*, std::uint32_t> rows[] { { "1234567890", KEY_1 }, { "qwertyuiop", KEY_Q }, { "asdfghjkl", KEY_A },
        { "zxcvbnm", KEY_Z }, { " ", KEY_SPACE } };
    std::vector<Stroke> keys;
    for (const char c : text) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto row = std::find_if(
            std::begin(rows), std::end(rows), [&](const auto& candidate) { return lower && std::strchr(candidate.first, lower); });
        if (row == std::end(rows))
            return {};
        Stroke stroke { row->second + static_cast<std::uint32_t>(std::strchr(row->first, lower) - row->first), modifiers };
        if (lower != c)
            stroke.held.push_back(KEY_LEFTSHIFT);
        keys.push_back(stroke);
    }
    return keys;
}

int usage()
{
    std::cerr << "usage: kestrane_wayland_input move|click X Y WIDTH HEIGHT | drag X Y TO_X TO_Y WIDTH HEIGHT | key NAME | type TEXT\n";
    return 2;
}

bool typeKeys(wl_display* display, org_kde_kwin_fake_input* fake, const std::vector<Stroke>& keys)
{
    bool done = true;
    const auto press = [&](std::uint32_t key, wl_keyboard_key_state state) {
        org_kde_kwin_fake_input_keyboard_key(fake, key, state);
        done = done && wl_display_roundtrip(display) >= 0;
        pause(20);
    };
    for (const Stroke& stroke : keys) {
        for (const std::uint32_t modifier : stroke.held)
            press(modifier, WL_KEYBOARD_KEY_STATE_PRESSED);
        press(stroke.key, WL_KEYBOARD_KEY_STATE_PRESSED);
        press(stroke.key, WL_KEYBOARD_KEY_STATE_RELEASED);
        for (auto modifier = stroke.held.rbegin(); modifier != stroke.held.rend(); ++modifier)
            press(*modifier, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    return done;
}

// The session's pointer, through whichever protocol the compositor offers; each call has
// taken effect when it returns true.
struct PointerDevice {
    std::function<bool(std::uint32_t x, std::uint32_t y)> moveTo;
    std::function<bool(wl_pointer_button_state)> button;
};

// KWin's fake input has no frames: each request takes effect on its own.
PointerDevice fakePointer(wl_display* display, org_kde_kwin_fake_input* fake)
{
    return {
        [=](std::uint32_t x, std::uint32_t y) {
            org_kde_kwin_fake_input_pointer_motion_absolute(
                fake, wl_fixed_from_int(static_cast<int>(x)), wl_fixed_from_int(static_cast<int>(y)));
            return wl_display_roundtrip(display) >= 0;
        },
        [=](wl_pointer_button_state state) {
            org_kde_kwin_fake_input_button(fake, BTN_LEFT, state);
            return wl_display_roundtrip(display) >= 0;
        },
    };
}

PointerDevice virtualPointer(wl_display* display, zwlr_virtual_pointer_v1* pointer, std::uint32_t width, std::uint32_t height)
{
    const auto frame = [=] {
        zwlr_virtual_pointer_v1_frame(pointer);
        return wl_display_roundtrip(display) >= 0;
    };
    return {
        [=](std::uint32_t x, std::uint32_t y) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y, width, height);
            return frame();
        },
        [=](wl_pointer_button_state state) {
            zwlr_virtual_pointer_v1_button(pointer, now(), BTN_LEFT, state);
            return frame();
        },
    };
}

// A hand's motion: the pointer held still a moment where it arrives (KWin moves the
// pointer's focus a moment after the motion), a drag carried across in small steps and held
// over its target before the release.
bool point(const PointerDevice& pointer, const std::string& step, const std::vector<std::uint32_t>& at)
{
    bool done = pointer.moveTo(at[0], at[1]);
    pause(150);
    if (step == "move")
        return done;
    done = done && pointer.button(WL_POINTER_BUTTON_STATE_PRESSED);
    if (step == "drag") {
        constexpr int steps = 20;
        for (int i = 1; i <= steps; ++i) {
            const auto along = [&](std::uint32_t from, std::uint32_t to) {
                return static_cast<std::uint32_t>(static_cast<int>(from) + (static_cast<int>(to) - static_cast<int>(from)) * i / steps);
            };
            done = done && pointer.moveTo(along(at[0], at[2]), along(at[1], at[3]));
            pause(30);
        }
        done = done && pointer.moveTo(at[2] - 1, at[3]) && pointer.moveTo(at[2], at[3]);
        pause(400);
    }
    return done && pointer.button(WL_POINTER_BUTTON_STATE_RELEASED);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string step = argc > 1 ? argv[1] : "";
    const bool pointing = ((step == "move" || step == "click") && argc == 6) || (step == "drag" && argc == 8);
    const auto keys = (step == "key" || step == "type") && argc == 3 ? keysOf(argv[2]) : decltype(keysOf("")) {};
    if (!pointing && keys.empty())
        return usage();
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "kestrane_wayland_input: no Wayland display (WAYLAND_DISPLAY)\n";
        return 1;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    std::vector<std::uint32_t> numbers;
    for (int i = 2; pointing && i < argc; ++i)
        numbers.push_back(static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)));
    bool done = false;
    if (globals.fake) {
        org_kde_kwin_fake_input_authenticate(globals.fake, "kestrane tests", "to stand in for the user's mouse and keyboard");
        done = pointing ? point(fakePointer(display, globals.fake), step, numbers) : typeKeys(display, globals.fake, keys);
    } else if (globals.pointers && globals.seat && pointing) {
        zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
        done = point(virtualPointer(display, pointer, numbers[numbers.size() - 2], numbers.back()), step, numbers);
        // sway 1.7 can crash when a virtual pointer goes while the window it has just entered
        // is still answering: it stays a moment.
        pause(100);
        zwlr_virtual_pointer_v1_destroy(pointer);
    } else {
        std::cerr << "kestrane_wayland_input: the compositor offers neither fake input nor, for the pointer, a virtual pointer\n";
    }
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return done ? 0 : 1;
}
