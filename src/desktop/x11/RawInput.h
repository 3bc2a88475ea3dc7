#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <vector>

namespace kestrane {

// XInput2 raw events on the root window from every master device: what the user does
// wherever the focus is, the way the desktop's own shortcut daemons see it. The program's
// only selection of XInput2 events on the root for the master devices on its connection (a
// second would replace this one); every part that needs them adds a listener here. Motion
// is not among them: PointerApproach watches it on a connection of its own.
class RawInput final : public QAbstractNativeEventFilter {
public:
    explicit RawInput(const X11Display& display);
    ~RawInput() override;

    // Listeners add up; each gets every event of its kind.
    void onKey(std::function<void(std::uint32_t keycode, bool pressed)> listener);
    // Wheel steps are button presses too.
    void onButtonPress(std::function<void()> listener);
    // Whether the X server delivers raw events at all.
    bool available() const { return opcode_ != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    const X11Display& display_;
    std::uint8_t opcode_ = 0;
    std::vector<std::function<void(std::uint32_t, bool)>> keyListeners_;
    std::vector<std::function<void()>> buttonListeners_;
};

} // namespace kestrane
