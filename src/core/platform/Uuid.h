#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// A 128-bit identifier, written as the canonical upper-case 8-4-4-4-12 string.
struct Uuid {
    std::array<std::uint8_t, 16> bytes {};

    static Uuid random();
    // Accepts the canonical 36-character form in either case; anything else is absent.
    static std::optional<Uuid> parse(std::string_view text);
    std::string string() const;

    auto operator<=>(const Uuid&) const = default;
};

} // namespace kestrane

template <> struct std::hash<kestrane::Uuid> {
    std::size_t operator()(const kestrane::Uuid& id) const noexcept
    {
        std::size_t h = 0;
        for (auto b : id.bytes)
            h = h * 131 + b;
        return h;
    }
};
