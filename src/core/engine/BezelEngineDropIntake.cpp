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

void BezelEngine::leaveDragPayload()
{
    if (dragPayload) {
        dragPayload.reset();
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
        for (const BlobRuntime& pocket : blobs) {
            const double d = std::abs(position->y - pocket.y.value);
            if (pocket.isDying || d > dropReach)
                continue;
            if (!candidate || d < best) {
                candidate = pocket.config.id;
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

int BezelEngine::swallowInto(const Uuid& pocket, const Pasteboard& pasteboard)
{
    BlobRuntime* swallowing = mutablePocket(pocket);
    if (!swallowing || swallowing->isDying)
        return 0;
    const int taken = services_.pockets.ingest(pasteboard, pocket);
    if (taken < 1)
        return 0;
    lapseUndo(pocket);
    swallowing->itemCount = services_.pockets.itemCount(pocket);
    swallowing->swallow = SpringValue { 0.64, 16.1, false };
    swallowing->amplitude.velocity += swallowKick;
    swallowing->amplitude.isSettled = false;
    storePocketsOnceItemsLand();
    if (wantsOpen && openZone == pocket)
        resolveOpenItems(pocket);
    markChanged();
    services_.haptics.perform(HapticPattern::levelChange);
    return taken;
}

void BezelEngine::refreshCounts()
{
    for (BlobRuntime& pocket : blobs)
        pocket.itemCount = services_.pockets.itemCount(pocket.config.id);
    storePocketsOnceItemsLand();
    markChanged();
}

// On a first run the pockets exist only in memory; once one holds items, the next launch
// must know its id or the items would be orphaned.
void BezelEngine::storePocketsOnceItemsLand()
{
    if (pocketsStored_)
        return;
    const bool holdsItems = std::any_of(blobs.begin(), blobs.end(), [](const BlobRuntime& b) { return b.isLiving() && b.itemCount > 0; });
    if (holdsItems)
        saveZones();
}

void BezelEngine::bounce(const Uuid& id, double velocity)
{
    if (BlobRuntime* kicked = mutablePocket(id)) {
        kicked->amplitude.velocity += velocity;
        kicked->amplitude.isSettled = false;
    }
}

} // namespace kestrane
