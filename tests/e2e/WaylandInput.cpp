// The mouse of a Wayland session, for tests: a virtual pointer of the compositor's seat.
//   kestrane_wayland_input move|click X Y WIDTH HEIGHT
// puts the pointer at (X, Y) of the WIDTH × HEIGHT output; a click then holds still a
// moment, as a hand does, and presses and releases the first button. The compositor has
// handled it all when the program exits with status 0; 1 when it cannot, 2 for a bad
// command line.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->pointers =
            static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
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

} // namespace

int main(int argc, char** argv)
{
    const std::string step = argc == 6 ? argv[1] : "";
    if (step != "move" && step != "click") {
        std::cerr << "usage: kestrane_wayland_input move|click X Y WIDTH HEIGHT\n";
        return 2;
    }
    const auto number = [&](int i) { return static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)); };
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "kestrane_wayland_input: no Wayland display (WAYLAND_DISPLAY)\n";
        return 1;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.pointers || !globals.seat) {
        std::cerr << "kestrane_wayland_input: the compositor offers no virtual pointer or seat\n";
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
    const auto frame = [&] {
        zwlr_virtual_pointer_v1_frame(pointer);
        return wl_display_roundtrip(display) >= 0;
    };
    zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), number(2), number(3), number(4), number(5));
    bool done = frame();
    if (step == "click") {
        pause(150);
        for (const auto state : { WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED }) {
            zwlr_virtual_pointer_v1_button(pointer, now(), BTN_LEFT, state);
            done = done && frame();
        }
    }
    // sway 1.7 can crash when a virtual pointer goes while the window it has just entered
    // is still answering: it stays a moment.
    pause(100);
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return done ? 0 : 1;
}
