#pragma once

#include "platform/Defaults.h"

#include <map>
#include <variant>

namespace kestrane {

// Defaults kept in memory only: for tests and for runs that must not touch the user's files.
class MemoryDefaults final : public Defaults {
public:
    using Value = std::variant<bool, std::int64_t, std::string, Bytes>;

    std::optional<bool> boolValue(std::string_view key) const override;
    std::optional<std::int64_t> integerValue(std::string_view key) const override;
    std::optional<std::string> stringValue(std::string_view key) const override;
    std::optional<Bytes> dataValue(std::string_view key) const override;

    void setBool(std::string_view key, bool value) override;
    void setInteger(std::string_view key, std::int64_t value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setData(std::string_view key, const Bytes& value) override;
    void remove(std::string_view key) override;
    bool copy(std::string_view from, std::string_view to) override;

    int writeCount() const { return writes_; }
    bool contains(std::string_view key) const override { return values_.find(key) != values_.end(); }

private:
    template <typename T> const T* find(std::string_view key) const;
    void store(std::string_view key, Value value);

    std::map<std::string, Value, std::less<>> values_;
    int writes_ = 0;
};

} // namespace kestrane
