#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kestrane {

// Why nothing may be written into or deleted from folder: it is a symbolic link, which
// could lead the store's writes and deletions anywhere on disk. Absent for a real folder
// and for a missing one (writing there then fails on its own).
std::optional<std::string> linkedFolderRefusal(const std::filesystem::path& folder);

} // namespace kestrane
