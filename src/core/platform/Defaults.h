#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

using Bytes = std::vector<std::uint8_t>;

// The user-defaults store: typed values by key. A missing key (or one holding a value of
// another type) reads as false, 0 or absent. Every write is stored at once.
class Defaults {
public:
    virtual ~Defaults() = default;

    virtual bool boolValue(std::string_view key) const = 0;
    virtual std::int64_t integerValue(std::string_view key) const = 0;
    virtual std::optional<std::string> stringValue(std::string_view key) const = 0;
    virtual std::optional<Bytes> dataValue(std::string_view key) const = 0;
    // Whether the key holds a value of any type.
    virtual bool contains(std::string_view key) const = 0;

    virtual void setBool(std::string_view key, bool value) = 0;
    virtual void setInteger(std::string_view key, std::int64_t value) = 0;
    virtual void setString(std::string_view key, std::string_view value) = 0;
    virtual void setData(std::string_view key, const Bytes& value) = 0;
    virtual void remove(std::string_view key) = 0;
};

} // namespace kestrane
