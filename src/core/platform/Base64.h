#pragma once

#include "platform/Defaults.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// Standard Base64 (RFC 4648, with padding).
std::string encodeBase64(const Bytes& bytes);
// Absent when the text is not well-formed padded Base64.
std::optional<Bytes> decodeBase64(std::string_view text);

} // namespace kestrane
