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

    // Handles on every referenced file of every pocket that can be held: slow, for a
    // background thread.
    static Changes holdAll(const PocketMap& pockets);
    // Takes the handles of items still in pockets that hold none yet (a resolution that
    // ran meanwhile knows better).
    void addUnheld(const Changes& handles, const PocketMap& pockets);
    // The handle of each item of list, in its order; null where none is held.
    std::vector<Handle> handlesFor(const std::vector<PocketItem>& list) const;
    // Takes changes made for list's items; for items no longer in list, holds nothing.
    void apply(const Changes& changes, const std::vector<PocketItem>& list);
    void release(const Uuid& item);
    // Lets go of files deleted meanwhile, so that their space is freed.
    void releaseDeleted();

    // The handle change that follows the file a reference names now; absent when held is
    // already on it.
    static std::optional<Handle> follow(const Bytes& bookmark, const Handle& held);

private:
    std::unordered_map<Uuid, Handle> handles_;
};

} // namespace kestrane
