#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kestrane {

// The whole content of a regular file; absent when it is missing, not a regular file, or
// cannot be read (errno tells why).
std::optional<std::string> readWholeFile(const std::filesystem::path& file);

} // namespace kestrane
