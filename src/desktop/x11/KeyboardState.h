#pragma once

#include "preferences/KeyEvent.h"
#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <vector>

namespace kestrane {

// The X modifier behind each stored modifier flag: Alt and Super on their usual Mod1 and Mod4.
struct ModifierMask {
    std::uint64_t flag;
    std::uint16_t mask;
};
inline constexpr ModifierMask modifierMasks[] = { { modifier::control, XCB_MOD_MASK_CONTROL },
    { modifier::option, XCB_MOD_MASK_1 }, { modifier::shift, XCB_MOD_MASK_SHIFT }, { modifier::command, XCB_MOD_MASK_4 } };

// The modifiers held and Caps Lock, as the X server's keyboard extension keeps them. Being
// told the whole state at each change, rather than adding up key presses and releases,
// nothing can stay held after a release that was never seen.
class KeyboardState final : public QAbstractNativeEventFilter {
public:
    // `changed` gets the stored modifier flags at each change: the modifiers held or
    // latched, and Caps Lock while it is locked.
    KeyboardState(const X11Display& display, std::function<void(std::uint64_t flags)> changed);
    ~KeyboardState() override;

    bool isControlKey(std::uint32_t keycode) const;
    // Reads again which keys act as Control, for when the keymap changes.
    void refreshControlKeys();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    const X11Display& display_;
    std::function<void(std::uint64_t)> changed_;
    std::uint8_t xkbEvent_ = 0;
    std::uint64_t flags_ = 0;
    std::vector<std::uint8_t> controlKeys_;
};

} // namespace kestrane
