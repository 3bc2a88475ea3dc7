#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <set>

namespace kestrane {

// Keys seen while another program has the focus: the one global shortcut, grabbed on the
// root window, and the modifier keys going up and down, read from XInput2's raw events
// (which every client may listen to, like the desktop's own shortcut daemons).
class GlobalKeys final : public QAbstractNativeEventFilter {
public:
    struct Handlers {
        std::function<void()> shortcutPressed;
        // The modifier flags now held, in the stored flag bits.
        std::function<void(std::uint64_t flags)> modifiersChanged;
    };

    GlobalKeys(const X11Display& display, Handlers handlers);
    ~GlobalKeys() override;

    // Grabs keyCode with the modifier flags (stored forms) in place of the previous grab.
    // False when another program holds the combination or the key has no X equivalent.
    bool bindShortcut(std::uint16_t keyCode, std::uint64_t modifierFlags);
    // Whether raw modifier events arrive: the double tap works everywhere then.
    bool listensToModifiers() const { return xinputOpcode_ != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void ungrab();
    void selectRawKeys();
    void handleRawKey(std::uint32_t keycode, bool pressed);
    std::uint64_t modifierFlagFor(std::uint32_t keycode) const;

    const X11Display& display_;
    Handlers handlers_;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t grabbedKeycode_ = 0;
    std::uint16_t grabbedMods_ = 0;
    std::set<std::uint32_t> heldModifiers_;
};

} // namespace kestrane
