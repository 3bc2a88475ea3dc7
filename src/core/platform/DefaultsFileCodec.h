#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// The settings file holds one JSON object. Its size and nesting are bounded, so that no
// file, however hostile, can exhaust memory or the stack; the writer keeps to the same
// bounds, so it never writes what the reader would refuse.
inline constexpr std::size_t defaultsFileMaxBytes = 1024 * 1024;
inline constexpr int defaultsFileMaxDepth = 64;
inline constexpr const char* defaultsFileTooLarge = "it is larger than 1 MiB";

struct DefaultsFileDecodeResult {
    std::optional<nlohmann::json> values; // an object
    const char* problem = nullptr; // why values is absent, as a clause for the log line
};

DefaultsFileDecodeResult decodeDefaultsFile(std::string_view text);

// The file's text for values, absent when it would not fit the bounds.
std::optional<std::string> encodeDefaultsFile(const nlohmann::json& values);

} // namespace kestrane
