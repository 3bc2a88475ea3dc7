#include "preferences/Shortcut.h"

#include "preferences/KeyEvent.h"

#include <string_view>
#include <utility>

namespace kestrane {

Shortcut Shortcut::standard()
{
    return Shortcut { keyCode::d, modifier::control | modifier::option, "D" };
}

std::string Shortcut::display() const
{
    // The order is fixed whatever order the keys were pressed in.
    constexpr std::pair<std::uint64_t, std::string_view> symbols[] = {
        { modifier::control, "⌃" },
        { modifier::option, "⌥" },
        { modifier::shift, "⇧" },
        { modifier::command, "⌘" },
    };
    std::string text;
    for (const auto& [flag, symbol] : symbols)
        if (modifiers & flag)
            text += symbol;
    return text + label;
}

} // namespace kestrane
