// The mouse of a Wayland session, for tests: a virtual pointer of the compositor's seat,
// driven by a sequence of steps on the command line, each done in order:
//   move X Y    puts the pointer at (X, Y) on the (single) output
//   press       presses the first button; release releases it
//   click X Y   moves to (X, Y), holds still a moment as a hand does, presses and releases
//   wait MS     pauses for MS milliseconds
// The compositor has handled every step when the program exits (status 0); a step it
// cannot take ends the program with status 1 or, for a bad command line, 2.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Session {
    wl_seat* seat = nullptr;
    wl_output* output = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    std::uint32_t width = 0, height = 0;
};

void onMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
{
    auto* session = static_cast<Session*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        session->width = static_cast<std::uint32_t>(width);
        session->height = static_cast<std::uint32_t>(height);
    }
}
void ignoreGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*, const char*, std::int32_t) { }
void ignoreDone(void*, wl_output*) { }
void ignoreScale(void*, wl_output*, std::int32_t) { }
const wl_output_listener outputListener { ignoreGeometry, onMode, ignoreDone, ignoreScale, nullptr, nullptr };

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    auto* session = static_cast<Session*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !session->seat)
        session->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0 && !session->output) {
        session->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        wl_output_add_listener(session->output, &outputListener, session);
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        session->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void ignoreGlobalRemoval(void*, wl_registry*, std::uint32_t) { }
const wl_registry_listener registryListener { onGlobal, ignoreGlobalRemoval };

std::uint32_t now()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class VirtualPointer {
public:
    VirtualPointer(wl_display* display, const Session& session)
        : display_(display)
        , session_(session)
        , pointer_(zwlr_virtual_pointer_manager_v1_create_virtual_pointer(session.pointers, session.seat))
    {
    }
    ~VirtualPointer() { zwlr_virtual_pointer_v1_destroy(pointer_); }

    bool moveTo(std::uint32_t x, std::uint32_t y)
    {
        zwlr_virtual_pointer_v1_motion_absolute(pointer_, now(), x, y, session_.width, session_.height);
        return frame();
    }
    bool button(bool down)
    {
        zwlr_virtual_pointer_v1_button(pointer_, now(), BTN_LEFT, down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        return frame();
    }

private:
    bool frame()
    {
        zwlr_virtual_pointer_v1_frame(pointer_);
        return wl_display_roundtrip(display_) >= 0;
    }

    wl_display* display_;
    const Session& session_;
    zwlr_virtual_pointer_v1* pointer_;
};

void pause(long milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Runs the steps; 2 for a step it does not know or that lacks its numbers.
int run(VirtualPointer& pointer, const std::vector<std::string>& steps)
{
    std::size_t next = 0;
    const auto number = [&] {
        if (next == steps.size())
            throw std::invalid_argument("missing number");
        return std::stoul(steps[next++]);
    };
    while (next < steps.size()) {
        const std::string step = steps[next++];
        bool done = true;
        if (step == "move" || step == "click") {
            const auto x = number(), y = number();
            done = pointer.moveTo(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
            if (step == "click") {
                pause(150);
                done = done && pointer.button(true) && pointer.button(false);
            }
        } else if (step == "press" || step == "release")
            done = pointer.button(step == "press");
        else if (step == "wait")
            pause(static_cast<long>(number()));
        else
            throw std::invalid_argument("unknown step " + step);
        if (!done)
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "kestrane_wayland_input: no Wayland display (WAYLAND_DISPLAY)\n";
        return 1;
    }
    Session session;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &session);
    wl_display_roundtrip(display); // the globals
    wl_display_roundtrip(display); // the output's mode
    if (!session.pointers || !session.seat || session.width == 0) {
        std::cerr << "kestrane_wayland_input: the compositor offers no virtual pointer, seat or output\n";
        return 1;
    }
    int status = 0;
    {
        VirtualPointer pointer(display, session);
        try {
            status = run(pointer, std::vector<std::string>(argv + 1, argv + argc));
            // sway 1.7 can crash when a virtual pointer goes while the window it has just
            // entered is still answering: it stays a moment.
            pause(100);
        } catch (const std::exception& error) {
            std::cerr << "kestrane_wayland_input: bad steps (" << error.what() << ")\n";
            status = 2;
        }
    }
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
