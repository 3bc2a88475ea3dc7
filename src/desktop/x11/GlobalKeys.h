#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <vector>

namespace kestrane {

// The one global shortcut, grabbed on the root window so that it works whichever program
// has the focus.
class GlobalKeys final : public QAbstractNativeEventFilter {
public:
    GlobalKeys(const X11Display& display, std::function<void()> shortcutPressed);
    ~GlobalKeys() override;

    // Grabs keyCode with the modifier flags (stored forms) in place of the previous grab, on
    // every X key code that now gives its symbol; called again when the keymap changes.
    // False when another program holds the combination or the key has no X equivalent.
    bool bindShortcut(std::uint16_t keyCode, std::uint64_t modifierFlags);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void ungrab();
    bool grab() const;

    const X11Display& display_;
    std::function<void()> shortcutPressed_;
    std::vector<std::uint8_t> grabbedKeycodes_;
    std::uint16_t grabbedMods_ = 0;
};

} // namespace kestrane
