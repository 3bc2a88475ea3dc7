#pragma once

#include "platform/Uuid.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kestrane {

// An item in the form that can be opened or dragged out: where its content is now. Shared
// by the drawer, the drag-out code and the pull gesture, which hold it while they use the
// file. Linux grants no per-file access that would have to be ended, so `scoped` only
// records that the location came from a file reference rather than a path. An item that is
// not available is out of reach for now (its volume is not mounted): path is where it was,
// and it must not be handed to another application.
struct ResolvedPocketItem {
    Uuid id;
    std::filesystem::path path;
    bool scoped = false;
    bool available = true;
    // What the user knows it by: a file's name as it is now, or the name of content the
    // store keeps under a generated file name.
    std::string name;
    // The file is one the store wrote itself, under a generated name.
    bool managed = false;
};

using ResolvedPocketItems = std::vector<std::shared_ptr<const ResolvedPocketItem>>;

} // namespace kestrane
