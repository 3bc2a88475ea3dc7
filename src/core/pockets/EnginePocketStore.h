#pragma once

#include "platform/Uuid.h"
#include "pockets/PocketItem.h"
#include "pockets/ResolvedPocketItem.h"

#include <functional>
#include <vector>

namespace kestrane {

class Pasteboard;

// What the engine asks of the pocket store.
class EnginePocketStore {
public:
    virtual ~EnginePocketStore() = default;
    virtual int itemCount(const Uuid& pocket) const = 0;
    // Deletes every item of a removed pocket, forgets the pocket and saves the index.
    virtual void deletePocket(const Uuid& pocket) = 0;
    // Stores what a drop offers at the end of the pocket; how many items were added.
    virtual int ingest(const Pasteboard& pasteboard, const Uuid& pocket) = 0;
    virtual void remove(const Uuid& item, const Uuid& pocket) = 0;
    // Takes out items a pull delivered to another program.
    virtual void releasePulled(const std::vector<Uuid>& itemIDs, const Uuid& pocket) = 0;
    // Takes every item out of the pocket, files kept, for a clearing that may be undone.
    virtual std::vector<PocketItem> lift(const Uuid& pocket) = 0;
    // Puts cleared items back ahead of whatever the pocket holds now.
    virtual void restore(std::vector<PocketItem> cleared, const Uuid& pocket) = 0;
    // Makes a clearing final: deletes the files the store wrote for those items.
    virtual void discardLifted(const std::vector<PocketItem>& cleared) = 0;
    // Calls completion on the main thread, or at once for an empty pocket.
    virtual void resolveAsync(const Uuid& pocket, std::function<void(ResolvedPocketItems)> completion) = 0;
    // The available items at once, for handing them to another program.
    virtual ResolvedPocketItems resolve(const Uuid& pocket) = 0;
    // Every pocket id the index holds at least one item for.
    virtual std::vector<Uuid> pocketsHoldingItems() const = 0;
};

} // namespace kestrane
