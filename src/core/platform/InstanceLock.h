#pragma once

#include <filesystem>
#include <string>

namespace kestrane {

// One writer per data folder: an exclusive lock on a file beside the index, held until
// this object goes. The kernel drops it when the process ends, however it ends, so a
// crashed copy never leaves a stale lock behind.
class InstanceLock {
public:
    enum class Status {
        taken,
        // Another process holds the lock on this folder.
        held,
        // The folder or the lock file cannot be used; reason() says why.
        refused,
    };

    // Creates the data folder (0700) when it is missing and tries the lock without waiting.
    explicit InstanceLock(const std::filesystem::path& dataFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Status status() const { return status_; }
    // One diagnostic line when refused; empty otherwise.
    const std::string& reason() const { return reason_; }

    static constexpr const char* fileName = "instance.lock";

private:
    bool refuse(const std::string& why);
    bool openFolder(const std::filesystem::path& dataFolder);
    bool openLockFile();
    void lock();

    int folder_ = -1;
    int file_ = -1;
    Status status_ = Status::refused;
    std::string reason_;
};

} // namespace kestrane
