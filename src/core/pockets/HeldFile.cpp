#include "pockets/HeldFile.h"

#include "pockets/EjectableVolume.h"

#include <array>
#include <atomic>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrane {

namespace {
std::atomic<long> heldCount { 0 };

// Descriptors left for everything else the program opens: windows, sockets, the index.
bool mayHoldAnother()
{
    struct rlimit limit { };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return false;
    const auto soft = static_cast<long>(std::min<rlim_t>(limit.rlim_cur, LONG_MAX / 2));
    return heldCount.load() < soft - (256 + soft / 8);
}

constexpr std::string_view deletedSuffix = " (deleted)";
} // namespace

HeldFile::HeldFile(int descriptor, std::uint64_t device, std::uint64_t inode)
    : descriptor_(descriptor)
    , device_(device)
    , inode_(inode)
{
    ++heldCount;
}

HeldFile::~HeldFile()
{
    ::close(descriptor_);
    --heldCount;
}

std::shared_ptr<const HeldFile> HeldFile::open(const FileReference& reference)
{
    if (!mayHoldAnother())
        return nullptr;
    const int descriptor = ::open(reference.path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat info { };
    if (::fstat(descriptor, &info) != 0 || info.st_dev != reference.device || info.st_ino != reference.inode
        || isOnEjectableVolume(descriptor)) {
        ::close(descriptor);
        return nullptr;
    }
    return std::shared_ptr<const HeldFile>(new HeldFile(descriptor, info.st_dev, info.st_ino));
}

bool HeldFile::raiseDescriptorLimit()
{
    struct rlimit limit { };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return false;
    if (limit.rlim_cur == limit.rlim_max)
        return true;
    limit.rlim_cur = limit.rlim_max;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

std::optional<std::filesystem::path> HeldFile::currentPath() const
{
    if (isDeleted())
        return std::nullopt;
    std::array<char, PATH_MAX> target {};
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor_);
    const ssize_t size = ::readlink(link.c_str(), target.data(), target.size());
    if (size <= 0 || static_cast<std::size_t>(size) == target.size())
        return std::nullopt;
    const std::string_view path(target.data(), static_cast<std::size_t>(size));
    if (!path.starts_with('/') || path.ends_with(deletedSuffix))
        return std::nullopt;
    return std::filesystem::path(path);
}

bool HeldFile::isDeleted() const
{
    struct stat info { };
    return ::fstat(descriptor_, &info) != 0 || info.st_nlink == 0;
}

bool HeldFile::holds(const FileReference& reference) const
{
    return reference.device == device_ && reference.inode == inode_;
}

} // namespace kestrane
