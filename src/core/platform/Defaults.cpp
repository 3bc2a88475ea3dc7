#include "platform/Defaults.h"

#include "platform/Log.h"
#include "platform/UtcTime.h"

namespace kestrane {

std::optional<bool> Defaults::boolSetting(std::string_view key) const
{
    std::optional<bool> value = boolValue(key);
    if (!value && contains(key))
        logLine("Kestrane: setting " + std::string(key) + " is not true or false; its default applies");
    return value;
}

std::optional<std::string> Defaults::keepAside(std::string_view key)
{
    if (!contains(key))
        return std::nullopt;
    // Never replaces a copy kept earlier, even one kept in the same second.
    const std::string base = std::string(key) + ".unreadable-" + formatUtcNow("%Y%m%dT%H%M%SZ");
    std::string aside = base;
    for (int n = 2; contains(aside); ++n)
        aside = base + "-" + std::to_string(n);
    if (!copy(key, aside))
        return std::nullopt;
    return aside;
}

} // namespace kestrane
