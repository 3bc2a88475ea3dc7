#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <unistd.h>

namespace kestrane {

namespace fs = std::filesystem;

namespace {

bool writeAll(int fd, std::string_view contents)
{
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

enum class Durability { now, later };

// Past this many files, one flush of the file system that holds them is much cheaper than
// a flush of each: it commits the file system's journal once rather than once a file.
constexpr std::size_t filesFlushedOneByOne = 16;

// Opens path and applies flush to it; what is gone has nothing to flush.
bool flushOpened(const fs::path& path, int flags, int (*flush)(int))
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    const bool flushed = flush(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return flushed;
}

bool syncFile(const fs::path& file)
{
    return flushOpened(file, O_RDONLY, ::fsync);
}

// A folder that cannot be flushed (as some file systems refuse) is no reason to fail a write.
void syncFolder(const fs::path& folder)
{
    flushOpened(folder, O_RDONLY | O_DIRECTORY, ::fsync);
}

bool syncFileSystemOf(const fs::path& folder)
{
    return flushOpened(folder, O_RDONLY | O_DIRECTORY, ::syncfs);
}

// The file a write to path lands on: path itself, or the final target of the chain of
// symlinks it starts (which need not exist yet). Absent for a loop or an unreadable link.
std::optional<fs::path> finalTarget(fs::path path)
{
    constexpr int maxLinks = 40;
    for (int links = 0; links <= maxLinks; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            return std::nullopt;
        path = path.parent_path() / target;
    }
    return std::nullopt;
}

// Through a symlink (as dotfile setups keep their settings), the temporary file goes beside
// the final target and replaces it, so the link stays in place.
bool replaceFile(const fs::path& destination, std::string_view contents, Durability durability)
{
    const std::optional<fs::path> path = finalTarget(destination);
    if (!path)
        return false;
    const fs::path folder = path->has_parent_path() ? path->parent_path() : fs::path(".");
    std::string name = ".";
    name += path->filename().string();
    name += ".XXXXXX";
    std::string temporary = (folder / name).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, contents) && (durability == Durability::later || ::fsync(fd) == 0);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (durability == Durability::now)
        syncFolder(folder);
    return true;
}

} // namespace

bool writeFileAtomically(const fs::path& path, std::string_view contents)
{
    return replaceFile(path, contents, Durability::now);
}

bool writeFileAtomicallyUnsynced(const fs::path& path, std::string_view contents)
{
    return replaceFile(path, contents, Durability::later);
}

bool syncFiles(const std::vector<fs::path>& files)
{
    std::set<fs::path> folders;
    for (const fs::path& file : files)
        folders.insert(file.has_parent_path() ? file.parent_path() : fs::path("."));
    if (files.size() > filesFlushedOneByOne)
        return std::all_of(folders.begin(), folders.end(), syncFileSystemOf);
    if (!std::all_of(files.begin(), files.end(), syncFile))
        return false;
    std::for_each(folders.begin(), folders.end(), syncFolder);
    return true;
}

} // namespace kestrane
