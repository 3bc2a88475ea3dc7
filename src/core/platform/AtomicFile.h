#pragma once

#include <filesystem>
#include <string_view>

namespace kestrane {

// Replaces the file at path with contents so that a reader, or the file after a crash at
// any moment, sees either the old contents or the new ones, never a mixture. The parent
// folder must exist. A path that is a symlink is written through to its final target, and
// the link is kept. Returns false (and leaves the old file as it was) on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

} // namespace kestrane
