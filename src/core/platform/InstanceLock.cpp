#include "platform/InstanceLock.h"

#include <cerrno>
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

InstanceLock::InstanceLock(const fs::path& dataFolder)
{
    if (openFolder(dataFolder) && openLockFile())
        lock();
}

InstanceLock::~InstanceLock()
{
    if (file_ >= 0)
        ::close(file_);
    if (folder_ >= 0)
        ::close(folder_);
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
    struct stat folder {};
    if (::lstat(dataFolder.c_str(), &folder) != 0)
        return refuse(shown + " cannot be read: " + systemError(errno));
    if (S_ISLNK(folder.st_mode))
        return refuse(shown + " is a symbolic link; it must be a real folder");
    if (!S_ISDIR(folder.st_mode))
        return refuse(shown + " is not a folder");
    folder_ = ::open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder_ < 0)
        return refuse(shown + " cannot be opened: " + systemError(errno));
    return true;
}

// Opened through the folder's descriptor, so the folder checked above is the one used.
// Only a regular file of this user is trusted: another user who could open the file
// could hold the lock and keep the program from starting.
bool InstanceLock::openLockFile()
{
    const std::string shown = std::string("the lock file ") + fileName + " in the data folder";
    file_ = ::openat(folder_, fileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file_ < 0 && errno == ELOOP)
        return refuse(shown + " is a symbolic link");
    if (file_ < 0)
        return refuse(shown + " cannot be opened: " + systemError(errno));
    struct stat file {};
    if (::fstat(file_, &file) != 0)
        return refuse(shown + " cannot be read: " + systemError(errno));
    if (!S_ISREG(file.st_mode))
        return refuse(shown + " is not a regular file");
    if (file.st_uid != ::geteuid())
        return refuse(shown + " belongs to another user");
    return true;
}

void InstanceLock::lock()
{
    if (::flock(file_, LOCK_EX | LOCK_NB) == 0) {
        status_ = Status::taken;
        return;
    }
    if (errno == EWOULDBLOCK) {
        status_ = Status::held;
        return;
    }
    refuse(std::string("the lock file ") + fileName + " in the data folder cannot be locked: " + systemError(errno));
}

} // namespace kestrane
