#include "platform/XdgPaths.h"

#include <cstdlib>

namespace kestrane {

namespace {
std::optional<std::filesystem::path> absoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    std::filesystem::path path(value);
    if (!path.is_absolute())
        return std::nullopt;
    return path;
}

std::optional<std::filesystem::path> baseFolder(const char* variable, const char* underHome)
{
    if (auto path = absoluteVariable(variable))
        return path;
    if (auto home = absoluteVariable("HOME"))
        return *home / underHome;
    return std::nullopt;
}
} // namespace

std::optional<std::filesystem::path> xdgConfigHome()
{
    return baseFolder("XDG_CONFIG_HOME", ".config");
}
std::optional<std::filesystem::path> xdgDataHome()
{
    return baseFolder("XDG_DATA_HOME", ".local/share");
}
std::optional<std::filesystem::path> xdgRuntimeDirectory()
{
    return absoluteVariable("XDG_RUNTIME_DIR");
}

} // namespace kestrane
