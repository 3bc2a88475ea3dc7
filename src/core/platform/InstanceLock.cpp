#include "platform/InstanceLock.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
std::string systemError(int error)
{
    return std::strerror(error);
}
} // namespace

InstanceLock::InstanceLock(const fs::path& dataFolder, const std::optional<fs::path>& runtimeFolder)
{
    if (!openFolder(dataFolder))
        return;
    // AT_EACCESS asks for this user, and a read-only mount answers EROFS.
    inDataFolder_ = ::faccessat(folder_, ".", W_OK, AT_EACCESS) == 0;
    const bool opened = inDataFolder_ ? openLockFile(folder_, fileName, std::string("the lock file ") + fileName + " in the data folder")
                                      : openInRuntimeFolder(runtimeFolder.value_or(fs::path()));
    if (!opened)
        return;
    status_ = Status::held;
    retry();
}

InstanceLock::~InstanceLock()
{
    if (file_ >= 0)
        ::close(file_);
    if (folder_ >= 0)
        ::close(folder_);
}

std::string InstanceLock::folderKey(const fs::path& resolvedFolder)
{
    // FNV-1a: the same digits from every build, as every copy must find the same name.
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const char byte : resolvedFolder.string())
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3;
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016" PRIx64, hash);
    return digits;
}

bool InstanceLock::refuse(const std::string& why)
{
    status_ = Status::refused;
    reason_ = "Kestrane: " + why;
    return false;
}

bool InstanceLock::openFolder(const fs::path& dataFolder)
{
    const std::string shown = "the data folder " + dataFolder.string();
    std::error_code error;
    fs::create_directories(dataFolder.parent_path(), error);
    if (::mkdir(dataFolder.c_str(), 0700) != 0 && errno != EEXIST)
        return refuse(shown + " cannot be created: " + systemError(errno));
    struct stat folder { };
    if (::lstat(dataFolder.c_str(), &folder) != 0)
        return refuse(shown + " cannot be read: " + systemError(errno));
    if (S_ISLNK(folder.st_mode))
        return refuse(shown + " is a symbolic link; it must be a real folder");
    if (!S_ISDIR(folder.st_mode))
        return refuse(shown + " is not a folder");
    folder_ = ::open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder_ < 0)
        return refuse(shown + " cannot be opened: " + systemError(errno));
    resolved_ = fs::canonical(dataFolder, error);
    if (error)
        resolved_ = dataFolder.lexically_normal();
    return true;
}

// Opened through the folder's descriptor, so the folder checked above is the one used.
// Only a regular file of this user is trusted: another user who could open the file
// could hold the lock and keep the program from starting.
bool InstanceLock::openLockFile(int folder, const std::string& name, const std::string& shown)
{
    file_ = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file_ < 0 && errno == ELOOP)
        return refuse(shown + " is a symbolic link");
    if (file_ < 0)
        return refuse(shown + " cannot be opened: " + systemError(errno));
    struct stat file { };
    if (::fstat(file_, &file) != 0)
        return refuse(shown + " cannot be read: " + systemError(errno));
    if (!S_ISREG(file.st_mode))
        return refuse(shown + " is not a regular file");
    if (file.st_uid != ::geteuid())
        return refuse(shown + " belongs to another user");
    return true;
}

bool InstanceLock::openInRuntimeFolder(const fs::path& runtimeFolder)
{
    const int folder = runtimeFolder.empty() ? -1 : ::open(runtimeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 || ::faccessat(folder, ".", W_OK, AT_EACCESS) != 0) {
        if (folder >= 0)
            ::close(folder);
        status_ = Status::unavailable;
        reason_ =
            "Kestrane: the data folder " + resolved_.string() + " is read-only and XDG_RUNTIME_DIR names no writable folder for its lock";
        return false;
    }
    const std::string name = "kestrane-" + folderKey(resolved_) + ".lock";
    const bool opened = openLockFile(folder, name, "the lock file " + name + " in the runtime folder");
    ::close(folder);
    return opened;
}

void InstanceLock::retry()
{
    if (status_ != Status::held)
        return;
    if (::flock(file_, LOCK_EX | LOCK_NB) == 0) {
        status_ = Status::taken;
        return;
    }
    if (errno != EWOULDBLOCK)
        refuse("the lock file of the data folder cannot be locked: " + systemError(errno));
}

} // namespace kestrane
