#pragma once

#include "preferences/KeyEvent.h"
#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

namespace kestrane {

// The X modifier behind each stored modifier flag: Alt and Super on their usual Mod1 and Mod4.
struct ModifierMask {
    std::uint64_t flag;
    std::uint16_t mask;
};
inline constexpr ModifierMask modifierMasks[] = { { modifier::control, XCB_MOD_MASK_CONTROL }, { modifier::alt, XCB_MOD_MASK_1 },
    { modifier::shift, XCB_MOD_MASK_SHIFT }, { modifier::super, XCB_MOD_MASK_4 } };

// The modifiers held and Caps Lock, as the X server's keyboard extension keeps them. Being
// told the whole state at each change, rather than adding up key presses and releases,
// nothing can stay held after a release that was never seen. Also follows keymap changes,
// which move keys to other key codes. The program's only selection of keyboard extension
// events (a second selection of the same kinds would replace this one).
class KeyboardState final : public QAbstractNativeEventFilter {
public:
    // `changed` gets the stored modifier flags at each change: the modifiers held or
    // latched, and Caps Lock while it is locked.
    KeyboardState(const X11Display& display, std::function<void(std::uint64_t flags)> changed);
    ~KeyboardState() override;

    bool isControlKey(std::uint32_t keycode) const;
    // `listener` runs once after each burst of keymap changes (a layout switch sends
    // several), when the keys that act as Control are already read again.
    void onKeymapChanged(std::function<void()> listener);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void refreshControlKeys();
    bool isKeymapChange(const void* message) const;

    const X11Display& display_;
    std::function<void(std::uint64_t)> changed_;
    std::uint8_t xkbEvent_ = 0;
    std::uint64_t flags_ = 0;
    std::vector<std::uint8_t> controlKeys_;
    std::function<void()> keymapChanged_;
    QTimer keymapSettled_;
};

} // namespace kestrane
