#pragma once

#include "preferences/KeyEvent.h"

#include <cstdint>
#include <optional>
#include <string>

class QKeyEvent;

namespace kestrane {

// Keys are stored by their virtual key codes (Escape 53, Q 12, D 2, …) and modifier flags;
// these translate between them and what X11, xkbcommon and Qt report (keysyms are the
// same in X11 and xkbcommon).
std::optional<std::uint32_t> keysymForKeyCode(std::uint16_t keyCode);
std::optional<std::uint16_t> keyCodeForQtKey(int qtKey);

// The press as the recorder and the keyboard handling see it; absent for keys that have
// no virtual key code (a lone modifier, say).
std::optional<KeyEvent> keyEventFrom(const QKeyEvent& event);
// The same for a keysym as the keyboard produced it, with the modifier flags held and the
// text the key typed.
std::optional<KeyEvent> keyEventFromKeysym(std::uint32_t keysym, std::uint64_t modifierFlags, const std::string& text);

} // namespace kestrane
