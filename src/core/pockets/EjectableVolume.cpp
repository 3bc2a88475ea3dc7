#include "pockets/EjectableVolume.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace kestrane {

namespace fs = std::filesystem;

namespace {
// Network, cluster and FUSE file systems (a FUSE mount may be anything, sshfs included).
constexpr std::array<unsigned long, 14> remoteFileSystems {
    NFS_SUPER_MAGIC, SMB_SUPER_MAGIC, CIFS_SUPER_MAGIC, SMB2_SUPER_MAGIC, CODA_SUPER_MAGIC, AFS_SUPER_MAGIC, AFS_FS_MAGIC, NCP_SUPER_MAGIC,
    V9FS_MAGIC, CEPH_SUPER_MAGIC, FUSE_SUPER_MAGIC, OCFS2_SUPER_MAGIC, 0x0BD00BD0 /* Lustre */, 0x01161970 /* GFS2 */
};

// Path components in /sys/devices of buses whose disks come and go, and of block devices
// backed by an image file or by another machine.
constexpr std::array<std::string_view, 7> ejectableBuses { "usb", "mmc", "memstick", "fw", "loop", "nbd", "session" };

constexpr int deepestStack = 8;

bool isOnEjectableBus(const fs::path& node)
{
    return std::any_of(node.begin(), node.end(), [](const fs::path& component) {
        const std::string name = component.string();
        return std::any_of(ejectableBuses.begin(), ejectableBuses.end(), [&](std::string_view bus) { return name.starts_with(bus); });
    });
}

// node: a block device's folder under /sys/devices.
bool isEjectableDisk(const fs::path& node, int depth)
{
    std::error_code error;
    // A partition carries no flags of its own: its whole disk is the folder above.
    const fs::path disk = fs::exists(node / "partition", error) ? node.parent_path() : node;
    std::string removable;
    std::ifstream(disk / "removable") >> removable;
    if (removable == "1" || isOnEjectableBus(disk))
        return true;
    // An encrypted or assembled volume is as ejectable as any disk beneath it.
    for (const auto& under : fs::directory_iterator(disk / "slaves", error)) {
        std::error_code unresolved;
        const fs::path target = fs::canonical(under.path(), unresolved);
        if (unresolved || depth >= deepestStack || isEjectableDisk(target, depth + 1))
            return true;
    }
    return false;
}

bool isEjectableDevice(dev_t device)
{
    // Anonymous devices (tmpfs, btrfs, overlay) have no disk to ask: their file system
    // type decided already.
    if (::major(device) == 0)
        return false;
    static std::mutex lock;
    static std::map<dev_t, bool> known;
    const std::scoped_lock guard(lock);
    if (auto found = known.find(device); found != known.end())
        return found->second;
    std::error_code error;
    const fs::path node = fs::canonical("/sys/dev/block/" + std::to_string(::major(device)) + ":" + std::to_string(::minor(device)), error);
    const bool ejectable = error || isEjectableDisk(node, 0);
    known.emplace(device, ejectable);
    return ejectable;
}
} // namespace

bool isOnEjectableVolume(int descriptor)
{
    struct statfs volume { };
    struct stat info { };
    if (::fstatfs(descriptor, &volume) != 0 || ::fstat(descriptor, &info) != 0)
        return true;
    const auto type = static_cast<unsigned long>(volume.f_type);
    if (std::find(remoteFileSystems.begin(), remoteFileSystems.end(), type) != remoteFileSystems.end())
        return true;
    return isEjectableDevice(info.st_dev);
}

} // namespace kestrane
