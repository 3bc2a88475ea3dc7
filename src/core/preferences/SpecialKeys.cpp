#include "preferences/SpecialKeys.h"

#include <algorithm>

namespace kestrane {

const std::array<SpecialKey, 25> specialKeys { {
    { 49, "Space" },
    { 36, "Return" },
    { 48, "Tab" },
    { 51, "Delete" },
    { 117, "Fwd Delete" },
    { 123, "←" },
    { 124, "→" },
    { 125, "↓" },
    { 126, "↑" },
    { 115, "Home" },
    { 119, "End" },
    { 116, "Page Up" },
    { 121, "Page Down" },
    { 122, "F1" },
    { 120, "F2" },
    { 99, "F3" },
    { 118, "F4" },
    { 96, "F5" },
    { 97, "F6" },
    { 98, "F7" },
    { 100, "F8" },
    { 101, "F9" },
    { 109, "F10" },
    { 103, "F11" },
    { 111, "F12" },
} };

std::optional<std::string_view> specialKeyLabel(std::uint16_t keyCode)
{
    const auto found =
        std::find_if(specialKeys.begin(), specialKeys.end(), [keyCode](const SpecialKey& key) { return key.keyCode == keyCode; });
    if (found == specialKeys.end())
        return std::nullopt;
    return found->label;
}

} // namespace kestrane
