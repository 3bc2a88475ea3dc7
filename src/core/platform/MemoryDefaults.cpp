#include "platform/MemoryDefaults.h"

namespace kestrane {

template <typename T> const T* MemoryDefaults::find(std::string_view key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : std::get_if<T>(&it->second);
}

std::optional<bool> MemoryDefaults::boolValue(std::string_view key) const
{
    const bool* value = find<bool>(key);
    return value ? std::optional<bool>(*value) : std::nullopt;
}

std::optional<std::int64_t> MemoryDefaults::integerValue(std::string_view key) const
{
    const std::int64_t* value = find<std::int64_t>(key);
    return value ? std::optional<std::int64_t>(*value) : std::nullopt;
}

std::optional<std::string> MemoryDefaults::stringValue(std::string_view key) const
{
    const std::string* value = find<std::string>(key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::optional<Bytes> MemoryDefaults::dataValue(std::string_view key) const
{
    const Bytes* value = find<Bytes>(key);
    return value ? std::optional<Bytes>(*value) : std::nullopt;
}

void MemoryDefaults::store(std::string_view key, Value value)
{
    values_.insert_or_assign(std::string(key), std::move(value));
    ++writes_;
}

void MemoryDefaults::setBool(std::string_view key, bool value)
{
    store(key, value);
}
void MemoryDefaults::setInteger(std::string_view key, std::int64_t value)
{
    store(key, value);
}
void MemoryDefaults::setString(std::string_view key, std::string_view value)
{
    store(key, std::string(value));
}
void MemoryDefaults::setData(std::string_view key, const Bytes& value)
{
    store(key, value);
}

void MemoryDefaults::remove(std::string_view key)
{
    auto it = values_.find(key);
    if (it == values_.end())
        return;
    values_.erase(it);
    ++writes_;
}

bool MemoryDefaults::copy(std::string_view from, std::string_view to)
{
    auto it = values_.find(from);
    if (it == values_.end())
        return false;
    store(to, Value(it->second));
    return true;
}

} // namespace kestrane
