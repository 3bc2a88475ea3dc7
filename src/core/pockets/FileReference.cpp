#include "pockets/FileReference.h"

#include "platform/Log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace kestrane {

namespace {
constexpr std::array<std::uint8_t, 4> magic { 'K', 'R', 'E', 'F' };
constexpr std::uint8_t firstVersion = 1;
constexpr std::uint8_t version = 2;
constexpr std::size_t versionOffset = 4;
constexpr std::size_t deviceOffset = 5;
constexpr std::size_t inodeOffset = 13;
constexpr std::size_t birthOffset = 21;

struct Layout {
    std::size_t pathSizeOffset;
    std::size_t headerSize;
};
constexpr Layout firstLayout { 21, 25 };
constexpr Layout layout { 29, 33 };

struct Identity {
    std::uint64_t device;
    std::uint64_t inode;
    std::uint64_t birth;
};

void appendLittleEndian(Bytes& bytes, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t readLittleEndian(const Bytes& bytes, std::size_t offset, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<std::uint64_t>(bytes[offset + static_cast<std::size_t>(i)]) << (8 * i);
    return value;
}

bool isUsablePath(std::string_view path)
{
    return path.starts_with('/') && path.find('\0') == std::string_view::npos;
}

// Nanoseconds since the Unix epoch, never 0 for a real time: 0 means "not known".
std::uint64_t birthStamp(const struct statx& info)
{
    if (!(info.stx_mask & STATX_BTIME))
        return 0;
    const auto stamp = static_cast<std::uint64_t>(info.stx_btime.tv_sec) * 1'000'000'000u + info.stx_btime.tv_nsec;
    return stamp == 0 ? 1 : stamp;
}

std::optional<Identity> identityInFolder(int folder, const char* name)
{
    struct statx info { };
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &info) != 0)
        return std::nullopt;
    return Identity { ::makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino, birthStamp(info) };
}

std::optional<Identity> identityAt(const std::filesystem::path& path)
{
    return identityInFolder(AT_FDCWD, path.c_str());
}

// File systems reuse the inode of a deleted file for the next one made, so where both
// birth times are known they must agree as well.
bool isSameFile(const FileReference& reference, const Identity& identity)
{
    const bool bornTogether = reference.birth == 0 || identity.birth == 0 || reference.birth == identity.birth;
    return reference.device == identity.device && reference.inode == identity.inode && bornTogether;
}

// Walks the folder's entries for the file under whatever name it has now.
std::optional<std::filesystem::path> findRenamed(const FileReference& reference)
{
    const std::filesystem::path folder = reference.path.parent_path();
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return std::nullopt;
    std::optional<std::filesystem::path> found;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const auto identity = identityInFolder(::dirfd(listing), entry->d_name);
        if (identity && isSameFile(reference, *identity)) {
            found = folder / name;
            break;
        }
    }
    ::closedir(listing);
    return found;
}

struct Missing {
    bool outOfReach;
    std::uint64_t folderDevice;
};

// How a path holds no file: missing from a folder that is there, or out of reach; absent
// when something is at the path.
std::optional<Missing> missingAt(const std::filesystem::path& file)
{
    struct statx info { };
    if (::statx(AT_FDCWD, file.c_str(), AT_SYMLINK_NOFOLLOW, 0, &info) == 0)
        return std::nullopt;
    if (errno != ENOENT)
        return Missing { true, 0 };
    const std::filesystem::path folder = file.parent_path();
    if (::statx(AT_FDCWD, folder.c_str(), 0, STATX_TYPE, &info) != 0 || !S_ISDIR(info.stx_mode))
        return Missing { true, 0 };
    return Missing { false, ::makedev(info.stx_dev_major, info.stx_dev_minor) };
}

bool isEmptyFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    return std::filesystem::is_empty(folder, error) && !error;
}

// Absolute and lexically normal, without the trailing "/" a folder path may carry.
std::filesystem::path normalPath(const std::filesystem::path& file)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(file, error).lexically_normal();
    if (error)
        return {};
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path;
}
} // namespace

Bytes FileReference::encode() const
{
    const std::string& text = path.native();
    Bytes bytes(magic.begin(), magic.end());
    bytes.reserve(layout.headerSize + text.size());
    bytes.push_back(version);
    appendLittleEndian(bytes, device, 8);
    appendLittleEndian(bytes, inode, 8);
    appendLittleEndian(bytes, birth, 8);
    appendLittleEndian(bytes, text.size(), 4);
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

std::optional<FileReference> FileReference::decode(const Bytes& bytes)
{
    if (bytes.size() < firstLayout.headerSize || !std::equal(magic.begin(), magic.end(), bytes.begin()))
        return std::nullopt;
    const std::uint8_t found = bytes[versionOffset];
    if (found != version && found != firstVersion)
        return std::nullopt;
    const Layout& shape = found == version ? layout : firstLayout;
    if (bytes.size() < shape.headerSize)
        return std::nullopt;
    const std::uint64_t pathSize = readLittleEndian(bytes, shape.pathSizeOffset, 4);
    if (bytes.size() - shape.headerSize != pathSize)
        return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data() + shape.headerSize), pathSize);
    if (!isUsablePath(text))
        return std::nullopt;
    const std::uint64_t birth = found == version ? readLittleEndian(bytes, birthOffset, 8) : 0;
    return FileReference { std::filesystem::path(text), readLittleEndian(bytes, deviceOffset, 8), readLittleEndian(bytes, inodeOffset, 8),
        birth };
}

std::optional<Bytes> FileReference::create(const std::filesystem::path& file)
{
    const std::filesystem::path path = normalPath(file);
    if (!isUsablePath(path.native()) || path.native().size() > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    const auto identity = identityAt(path);
    if (!identity)
        return std::nullopt;
    return FileReference { path, identity->device, identity->inode, identity->birth }.encode();
}

std::optional<FileReference::Resolution> FileReference::resolve(const Bytes& bookmark, const std::optional<std::filesystem::path>& followed)
{
    const auto reference = decode(bookmark);
    if (!reference) {
        logLine("Kestrane: a stored file reference could not be read");
        return std::nullopt;
    }
    if (const auto identity = identityAt(reference->path))
        return Resolution { reference->path, !isSameFile(*reference, *identity) };
    if (const auto identity = followed ? identityAt(*followed) : std::nullopt; identity && isSameFile(*reference, *identity))
        return Resolution { *followed, true };
    if (auto renamed = findRenamed(*reference))
        return Resolution { std::move(*renamed), true };
    // A file a held descriptor still finds somewhere exists, even if it moved on again.
    if (followed || reference->isOutOfReach())
        return Resolution { reference->path, false, false };
    return std::nullopt;
}

bool FileReference::isOutOfReach() const
{
    const auto missing = missingAt(path);
    if (!missing)
        return false;
    return missing->outOfReach || (missing->folderDevice != device && isEmptyFolder(path.parent_path()));
}

bool isOutOfReach(const std::filesystem::path& file)
{
    const auto missing = missingAt(file);
    return missing && missing->outOfReach;
}

} // namespace kestrane
