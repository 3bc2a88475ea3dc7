#pragma once

#include "platform/Defaults.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kestrane {

// A durable reference to a file or folder the user dropped: where it was and which file
// it was (device and inode), so that it can be found again after the common ways a file
// moves without leaving its folder.
//
// Stored form (the bytes are opaque to everyone else), all integers little-endian:
//   offset  size  field
//        0     4  magic "KREF"
//        4     1  version, 2
//        5     8  st_dev
//       13     8  st_ino
//       21     8  birth time in nanoseconds since the Unix epoch, 0 when unknown
//       29     4  length N of the path in bytes
//       33     N  the absolute, lexically normal path, without NUL bytes
// The bytes end exactly after the path; anything else does not decode. Version 1 is the
// same without the birth time and is still read.
struct FileReference {
    std::filesystem::path path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // Tells a file from a later one that was given its recycled inode; 0 when unknown.
    std::uint64_t birth = 0;

    // Where a reference leads now. isStale means the reference no longer describes the
    // file exactly: the caller should renew it with create(path). A file that is out of
    // reach (see isOutOfReach) is not available: path is where it was, and it may come back.
    struct Resolution {
        std::filesystem::path path;
        bool isStale = false;
        bool isAvailable = true;

        bool operator==(const Resolution&) const = default;
    };

    Bytes encode() const;
    static std::optional<FileReference> decode(const Bytes& bytes);

    // Absent when the file cannot be examined (missing, no permission, a path holding NUL).
    // A symbolic link is referred to itself, not its target.
    static std::optional<Bytes> create(const std::filesystem::path& file);

    // - the path still holds the same file: that path, not stale;
    // - the path holds another file (replaced in place, as editors save): that path, stale;
    // - the path holds nothing but followed (where a descriptor held on the file says it
    //   is now) holds it: followed, stale;
    // - the file is among its old folder's entries under another name: the new path, stale;
    // - the file is out of reach, or a held descriptor says it still exists: not available;
    // - otherwise (its folder is there and it is gone), and for bytes that do not decode:
    //   absent.
    // The path is checked first, so a backup copy an editor renamed aside is never chosen
    // over the file that took its place.
    static std::optional<Resolution> resolve(const Bytes& bookmark, const std::optional<std::filesystem::path>& followed = std::nullopt);

    // Whether a file missing from this reference's path may only be out of reach rather
    // than gone: see the free function; besides, a folder that is empty and on another
    // device than the file was is the mount point of a volume that is not mounted.
    bool isOutOfReach() const;

    bool operator==(const FileReference&) const = default;
};

// Whether a file that is not at its path may only be out of reach rather than gone: its
// folder is absent (an unmounted volume, a disconnected share) or cannot be examined, or
// the file cannot be examined for another reason than its absence.
bool isOutOfReach(const std::filesystem::path& file);

} // namespace kestrane
