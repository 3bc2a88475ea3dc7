#pragma once

#include <cstdint>
#include <string>

namespace kestrane {

// The global shortcut that toggles edit mode.
struct Shortcut {
    std::uint16_t keyCode = 0;
    // Only Control, Alt, Shift and Super (modifier::shortcutFlags).
    std::uint64_t modifiers = 0;
    // The key's name as shown to the user.
    std::string label;

    // Ctrl+Alt+D.
    static Shortcut standard();

    // The modifiers in the order Ctrl Alt Shift Super, then the label: "Ctrl+Alt+D".
    std::string display() const;

    bool operator==(const Shortcut&) const = default;
};

} // namespace kestrane
