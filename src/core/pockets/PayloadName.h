#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrane {

// Where a managed payload lives, given the name the index holds for it. The index is read
// from disk, so the name is untrusted: only a plain name directly inside the payload folder
// is accepted. Anything holding "/" or NUL, or that is empty, "." or "..", is absent and
// must never be opened or deleted.
std::optional<std::filesystem::path> managedPayloadPath(const std::filesystem::path& payloadDirectory, std::string_view filename);

} // namespace kestrane
