#pragma once

#include "preferences/KeyEvent.h"

#include <string>

namespace kestrane {

// The name a recorded key is shown by: its special name if it has one, else its
// characters trimmed of whitespace and upper-cased, else "Key " and its code.
std::string shortcutLabel(const KeyEvent& event);

} // namespace kestrane
