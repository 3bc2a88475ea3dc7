#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

using Bytes = std::vector<std::uint8_t>;

// The user-defaults store: typed values by key. A read answers nothing when the key is
// missing or holds a value of another type; contains tells the two apart. Every write is
// stored at once.
class Defaults {
public:
    virtual ~Defaults() = default;

    virtual std::optional<bool> boolValue(std::string_view key) const = 0;
    virtual std::optional<std::int64_t> integerValue(std::string_view key) const = 0;
    virtual std::optional<std::string> stringValue(std::string_view key) const = 0;
    virtual std::optional<Bytes> dataValue(std::string_view key) const = 0;
    // Whether the key holds a value of any type.
    virtual bool contains(std::string_view key) const = 0;

    virtual void setBool(std::string_view key, bool value) = 0;
    virtual void setInteger(std::string_view key, std::int64_t value) = 0;
    virtual void setString(std::string_view key, std::string_view value) = 0;
    virtual void setData(std::string_view key, const Bytes& value) = 0;
    virtual void remove(std::string_view key) = 0;
    // Stores the value held under from, whatever its type, under to as well; false when
    // from holds nothing or the store refused the change.
    virtual bool copy(std::string_view from, std::string_view to) = 0;

    // A setting the program reads: a value of another type is ignored with one log line
    // (and left as stored), so that the caller's default applies.
    std::optional<bool> boolSetting(std::string_view key) const;

    // Copies the value under key, whatever its type, to a key of its own beside it,
    // "<key>.unreadable-<UTC time>", before the caller replaces a value it could not read.
    // Answers that key, or nothing when key holds nothing or the copy was refused.
    std::optional<std::string> keepAside(std::string_view key);
};

} // namespace kestrane
