#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

namespace kestrane {

// The whole content of a regular file; absent when it is missing, not a regular file,
// longer than maxBytes (errno EFBIG) or cannot be read (errno tells why).
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

} // namespace kestrane
