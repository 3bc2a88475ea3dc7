#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrane {

// A key whose name reads better than its characters (or that has none).
struct SpecialKey {
    std::uint16_t keyCode;
    std::string_view label;
};

extern const std::array<SpecialKey, 25> specialKeys;

std::optional<std::string_view> specialKeyLabel(std::uint16_t keyCode);

} // namespace kestrane
