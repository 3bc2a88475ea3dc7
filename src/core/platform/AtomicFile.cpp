#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
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

void syncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

} // namespace

// Through a symlink (as dotfile setups keep their settings), the temporary file goes beside
// the final target and replaces it, so the link stays in place.
bool writeFileAtomically(const fs::path& destination, std::string_view contents)
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
    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path->c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

} // namespace kestrane
