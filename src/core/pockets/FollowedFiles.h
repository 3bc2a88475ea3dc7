#pragma once

#include "pockets/HeldFile.h"
#include "pockets/PocketItem.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace kestrane {

// The files a store's references name, held by item id so that they are followed while
// the program runs. Main thread only; a background resolution gets the handles of its
// items (handlesFor) and reads them while this table changes, since a handle closes only
// when its last holder lets go.
class FollowedFiles {
public:
    using Handle = std::shared_ptr<const HeldFile>;
    // By item: the handle to hold from now on, or null to hold none.
    using Changes = std::vector<std::pair<Uuid, Handle>>;

    // Holds every referenced file of every pocket that can be held.
    void followAll(const PocketMap& pockets);
    // The handle of each item of list, in its order; null where none is held.
    std::vector<Handle> handlesFor(const std::vector<PocketItem>& list) const;
    // Takes changes made for list's items; for items no longer in list, holds nothing.
    void apply(const Changes& changes, const std::vector<PocketItem>& list);
    void release(const Uuid& item);
    // Lets go of files deleted meanwhile, so that their space is freed.
    void releaseDeleted();
    std::size_t size() const { return handles_.size(); }

    // The handle change that follows the file a reference names now; absent when held is
    // already on it.
    static std::optional<Handle> follow(const Bytes& bookmark, const Handle& held);

private:
    std::unordered_map<Uuid, Handle> handles_;
};

} // namespace kestrane
