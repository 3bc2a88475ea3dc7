#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace kestrane {

// Replaces the file at path with contents so that a reader, or the file after a crash at
// any moment, sees either the old contents or the new ones, never a mixture. The parent
// folder must exist. A path that is a symlink is written through to its final target, and
// the link is kept. Returns false (and leaves the old file as it was) on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

// The same without waiting for the disk: readers still see the old contents or the new, but
// a crash of the whole system may lose the file, or leave it empty, until syncFiles() has
// made it durable. For files written in bursts, so that they wait for the disk together.
bool writeFileAtomicallyUnsynced(const std::filesystem::path& path, std::string_view contents);

// Makes the files, and their names in their folders, durable. A file that is gone by then
// is skipped. Returns false (with errno set) when any of them may not be.
bool syncFiles(const std::vector<std::filesystem::path>& files);

} // namespace kestrane
