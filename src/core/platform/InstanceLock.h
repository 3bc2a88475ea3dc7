#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kestrane {

// One writer per data folder: an exclusive lock, held until this object goes. The kernel
// drops it when the process ends, however it ends, so a crashed copy never leaves a stale
// lock behind.
//
// The lock file lies in the data folder itself, where every name of the folder and every
// runtime folder meet. A data folder this user cannot write (read-only, or on a read-only
// mount) has its lock in the runtime folder instead, named from the folder's resolved
// path: no copy can write that folder, so copies with different runtime folders may then
// run side by side without harm.
class InstanceLock {
public:
    enum class Status {
        taken,
        // Another process holds the lock on this folder.
        held,
        // Neither the data folder nor the runtime folder can hold a lock file; nothing can
        // write the data folder either. reason() says why.
        unavailable,
        // The folder or the lock file cannot be trusted or used; reason() says why.
        refused,
    };

    // Creates the data folder (0700) when it is missing and tries the lock without waiting.
    InstanceLock(const std::filesystem::path& dataFolder, const std::optional<std::filesystem::path>& runtimeFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Once more without waiting, when the lock was held.
    void retry();

    Status status() const { return status_; }
    // One diagnostic line when unavailable or refused; empty otherwise.
    const std::string& reason() const { return reason_; }
    // The data folder with every link above it resolved: one folder, one name.
    const std::filesystem::path& resolvedFolder() const { return resolved_; }
    // Whether the lock file lies in the data folder, which this user can write.
    bool inDataFolder() const { return inDataFolder_; }

    static constexpr const char* fileName = "instance.lock";
    // Sixteen hex digits naming a resolved data folder in the runtime folder.
    static std::string folderKey(const std::filesystem::path& resolvedFolder);

private:
    bool refuse(const std::string& why);
    bool openFolder(const std::filesystem::path& dataFolder);
    bool openLockFile(int folder, const std::string& name, const std::string& shown);
    bool openInRuntimeFolder(const std::filesystem::path& runtimeFolder);

    int folder_ = -1;
    int file_ = -1;
    Status status_ = Status::refused;
    std::string reason_;
    std::filesystem::path resolved_;
    bool inDataFolder_ = false;
};

} // namespace kestrane
