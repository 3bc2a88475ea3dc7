#pragma once

#include "pockets/FileReference.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace kestrane {

// A descriptor opened with O_PATH on a referenced file. It reads nothing and locks nothing,
// but it stays on the file wherever the file is renamed or moved within its volume, so the
// file can be found again after a move to another folder. Closed when the last holder lets
// go; safe to read from any thread.
class HeldFile {
public:
    // Absent when the file at the reference's path is not the one referred to, lies on a
    // removable or network volume (a held descriptor would keep it from being ejected or
    // unmounted), or the process is near its limit of open descriptors.
    static std::shared_ptr<const HeldFile> open(const FileReference& reference);
    // Lifts the soft limit of open descriptors to the hard limit, so that every referenced
    // file can be held. Call once at start, before other threads exist. False when the
    // limit could not be raised.
    static bool raiseDescriptorLimit();

    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Where the file is now; absent once it was deleted.
    std::optional<std::filesystem::path> currentPath() const;
    bool isDeleted() const;
    bool holds(const FileReference& reference) const;

private:
    HeldFile(int descriptor, std::uint64_t device, std::uint64_t inode);

    int descriptor_;
    std::uint64_t device_;
    std::uint64_t inode_;
};

} // namespace kestrane
