#pragma once

#include "x11/X11Display.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

namespace kestrane {

// The one global shortcut, grabbed on the root window so that it works whichever program
// has the focus.
class GlobalKeys final : public QAbstractNativeEventFilter {
public:
    GlobalKeys(const X11Display& display, std::function<void()> shortcutPressed);
    ~GlobalKeys() override;

    // Grabs keyCode with the modifier flags (stored forms) in place of the previous grab.
    // False when another program holds the combination or the key has no X equivalent.
    bool bindShortcut(std::uint16_t keyCode, std::uint64_t modifierFlags);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void ungrab();

    const X11Display& display_;
    std::function<void()> shortcutPressed_;
    std::uint8_t grabbedKeycode_ = 0;
    std::uint16_t grabbedMods_ = 0;
};

} // namespace kestrane
