#pragma once

#include <cstdint>
#include <string>

namespace kestrane {

// Modifier flags as stored with a shortcut (the stored form never changes with the
// desktop's own key masks; the desktop layer translates into these bits).
namespace modifier {
constexpr std::uint64_t capsLock = 0x10000;
constexpr std::uint64_t shift = 0x20000;
constexpr std::uint64_t control = 0x40000;
constexpr std::uint64_t alt = 0x80000;
constexpr std::uint64_t super = 0x100000;
// The only flags a shortcut keeps.
constexpr std::uint64_t shortcutFlags = control | alt | shift | super;
} // namespace modifier

// Virtual key codes the recorder, the drawer and text fields treat specially.
namespace keyCode {
constexpr std::uint16_t a = 0;
constexpr std::uint16_t d = 2;
constexpr std::uint16_t q = 12;
constexpr std::uint16_t escape = 53;
constexpr std::uint16_t v = 9;
constexpr std::uint16_t returnKey = 36;
constexpr std::uint16_t keypadEnter = 76;
constexpr std::uint16_t backspace = 51;
constexpr std::uint16_t home = 115;
constexpr std::uint16_t end = 119;
constexpr std::uint16_t forwardDelete = 117;
constexpr std::uint16_t leftArrow = 123;
constexpr std::uint16_t rightArrow = 124;
constexpr std::uint16_t downArrow = 125;
constexpr std::uint16_t upArrow = 126;
} // namespace keyCode

// One key press as the recorder sees it: the virtual key code, the modifier flags held,
// and the key's characters as typed without modifiers (UTF-8, empty if none).
struct KeyEvent {
    std::uint16_t keyCode = 0;
    std::uint64_t modifierFlags = 0;
    std::string charactersIgnoringModifiers;
};

} // namespace kestrane
