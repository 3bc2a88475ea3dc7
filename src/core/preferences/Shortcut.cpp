#include "preferences/Shortcut.h"

#include "preferences/KeyEvent.h"

#include <string_view>
#include <utility>

namespace kestrane {

Shortcut Shortcut::standard()
{
    return Shortcut { keyCode::d, modifier::control | modifier::alt, "D" };
}

std::string Shortcut::display() const
{
    // The order is fixed whatever order the keys were pressed in.
    constexpr std::pair<std::uint64_t, std::string_view> symbols[] = {
        { modifier::control, "Ctrl+" },
        { modifier::alt, "Alt+" },
        { modifier::shift, "Shift+" },
        { modifier::super, "Super+" },
    };
    std::string text;
    for (const auto& [flag, name] : symbols)
        if (modifiers & flag)
            text += name;
    return text + label;
}

} // namespace kestrane
