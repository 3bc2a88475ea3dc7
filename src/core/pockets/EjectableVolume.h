#pragma once

namespace kestrane {

// Whether the file open as descriptor lies on a volume that may be ejected or that lives
// elsewhere: a removable disk (or a partition, encrypted or assembled volume on one), a
// USB, card-reader or FireWire disk, a loop or network block device, a network or FUSE
// file system. When unsure, true.
bool isOnEjectableVolume(int descriptor);

} // namespace kestrane
