#include "engine/BezelEngine.h"
#include "preferences/HapticPattern.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double dropStrip = 260;
constexpr double dropReach = 88;
constexpr double returnHomeBounce = 420;
constexpr double swallowKick = 240;
} // namespace

void BezelEngine::beginSystemDrag()
{
    if (isSystemDragActive)
        return;
    isSystemDragActive = true;
    markChanged();
}

void BezelEngine::updateDragPayload(Point point)
{
    if (dragPayload != point) {
        dragPayload = point;
        markChanged();
    }
    updateDropTarget();
}

void BezelEngine::endSystemDrag()
{
    const bool changed = dragPayload || isSystemDragActive || dropTarget || dragOriginZone;
    dragPayload.reset();
    isSystemDragActive = false;
    dropTarget.reset();
    dragOriginZone.reset();
    if (changed)
        markChanged();
}

void BezelEngine::updateDropTarget()
{
    std::optional<Point> position = dragPayload;
    if (!position && isSystemDragActive)
        position = pointer;
    std::optional<Uuid> candidate;
    if (position && position->x >= size.width - dropStrip) {
        double best = 0;
        for (const BlobRuntime& blob : blobs) {
            const double d = std::abs(position->y - blob.y.value);
            if (blob.isDying || d > dropReach)
                continue;
            if (!candidate || d < best) {
                candidate = blob.config.id;
                best = d;
            }
        }
    }
    if (candidate == dropTarget)
        return;
    dropTarget = candidate;
    if (candidate)
        services_.haptics.perform(HapticPattern::alignment);
    markChanged();
}

bool BezelEngine::acceptDrop(const Pasteboard& pasteboard)
{
    if (!dropTarget)
        return false;
    const Uuid target = *dropTarget;
    auto found = std::find_if(blobs.begin(), blobs.end(), [&](const BlobRuntime& b) { return b.config.id == target; });
    // A pocket removed during the drag is still fading out; its items would be orphaned.
    if (found == blobs.end() || found->isDying)
        return false;

    // Items pulled out of a pocket and dropped back onto it are already there.
    if (const std::optional<Uuid> origin = pullingZone ? pullingZone : dragOriginZone) {
        if (pullingZone)
            pullReturnedHome = true;
        if (*origin == target) {
            dropTarget.reset();
            bounce(target, returnHomeBounce);
            services_.haptics.perform(HapticPattern::levelChange);
            markChanged();
            return true;
        }
        pullReturnedHome = false;
    }

    if (swallowInto(target, pasteboard) < 1)
        return false;
    dropTarget.reset();
    return true;
}

int BezelEngine::swallowInto(const Uuid& zone, const Pasteboard& pasteboard)
{
    BlobRuntime* swallowing = mutableBlob(zone);
    if (!swallowing || swallowing->isDying)
        return 0;
    const int taken = services_.pockets.ingest(pasteboard, zone);
    if (taken < 1)
        return 0;
    lapseUndo(zone);
    swallowing->itemCount = services_.pockets.itemCount(zone);
    swallowing->swallow = SpringValue { 0.64, 16.1, false };
    swallowing->amplitude.velocity += swallowKick;
    swallowing->amplitude.isSettled = false;
    storeZonesOnceItemsLand();
    if (wantsOpen && openZone == zone)
        resolveOpenItems(zone);
    markChanged();
    services_.haptics.perform(HapticPattern::levelChange);
    return taken;
}

void BezelEngine::refreshCounts()
{
    for (BlobRuntime& blob : blobs)
        blob.itemCount = services_.pockets.itemCount(blob.config.id);
    storeZonesOnceItemsLand();
    markChanged();
}

// On a first run the pockets exist only in memory; once one holds items, the next launch
// must know its id or the items would be orphaned.
void BezelEngine::storeZonesOnceItemsLand()
{
    if (zonesStored_)
        return;
    const bool holdsItems = std::any_of(blobs.begin(), blobs.end(), [](const BlobRuntime& b) { return b.isLiving() && b.itemCount > 0; });
    if (holdsItems)
        saveZones();
}

void BezelEngine::bounce(const Uuid& id, double velocity)
{
    if (BlobRuntime* kicked = mutableBlob(id)) {
        kicked->amplitude.velocity += velocity;
        kicked->amplitude.isSettled = false;
    }
}

} // namespace kestrane
