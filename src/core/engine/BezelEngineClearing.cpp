#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "preferences/HapticPattern.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrane {

namespace {
constexpr double minimumRise = 0.5;
constexpr double fullChargeRise = 150;
constexpr double decaySeconds = 0.55;
constexpr double commitKick = -260;
constexpr double undoKick = 620;
constexpr SpringMotion chargeMotion { 0.1, 1.0 };
} // namespace

void BezelEngine::resetClearingGesture()
{
    purgePast = 0;
    purgeCharge = 0;
    purgeDetent = 0;
    purgeZone.reset();
}

void BezelEngine::setClearingOverscroll(double overscroll, const Uuid& pocket)
{
    // A stray over-scroll must never clear a pocket that is not the open one.
    if (openZone != pocket || !wantsOpen || pullingZone || isSystemDragActive)
        return;
    purgeZone = pocket;
    const double v = std::max(overscroll, 0.0);
    const double rise = v - purgePast;
    purgePast = v;
    if (services_.clearingTrace) {
        char line[96];
        std::snprintf(line, sizeof line, "PURGE past=%.1f rise=%.1f charge=%.2f", v, rise, purgeCharge);
        services_.clearingTrace(line);
    }
    if (rise > minimumRise) {
        purgeCharge = std::clamp(purgeCharge + rise / fullChargeRise, 0.0, 1.0);
        purgeLastRise = services_.uptime.now();
        markChanged();
    }
}

void BezelEngine::stepPurge(double dt)
{
    const bool stale = !wantsOpen || !purgeZone || purgeZone != openZone;
    if (purgeCharge > 0 && (stale || services_.uptime.now() - purgeLastRise > clearingHold)) {
        purgeCharge = std::max(0.0, purgeCharge - dt / decaySeconds);
        needsStep = true;
    }
    clearing.step(std::pow(purgeCharge, 1.35), dt, chargeMotion);
    const int detent = purgeCharge >= 0.999 ? 3 : purgeCharge > 0.62 ? 2 : purgeCharge > 0.3 ? 1 : 0;
    if (detent > purgeDetent)
        services_.haptics.perform(HapticPattern::alignment);
    purgeDetent = detent;
    if (purgeCharge >= 0.999 && clearing.value >= 0.995 && purgeZone)
        commitPurge(*purgeZone);
}

void BezelEngine::commitPurge(const Uuid& pocket)
{
    resetClearingGesture();
    std::vector<PocketItem> cleared = services_.pockets.lift(pocket);
    if (cleared.empty()) {
        markChanged();
        return;
    }
    // Only the latest clearing of a pocket can be undone.
    lapseUndo(pocket);
    liftedItems[pocket] = std::move(cleared);
    closeDrawer();
    refreshCounts();
    bounce(pocket, commitKick);
    services_.haptics.perform(HapticPattern::levelChange);
    markChanged();
}

void BezelEngine::undoClear(const Uuid& pocket)
{
    auto pending = liftedItems.find(pocket);
    if (pending == liftedItems.end() || pending->second.empty())
        return;
    std::vector<PocketItem> items = std::move(pending->second);
    liftedItems.erase(pending);
    services_.pockets.restore(std::move(items), pocket);
    refreshCounts();
    bounce(pocket, undoKick);
    services_.haptics.perform(HapticPattern::levelChange);
    markChanged();
}

void BezelEngine::lapseUndo(const Uuid& id)
{
    auto pending = liftedItems.find(id);
    if (pending == liftedItems.end())
        return;
    services_.pockets.discardLifted(pending->second);
    liftedItems.erase(pending);
    markChanged();
}

void BezelEngine::discardPendingUndo()
{
    lapseRemoval();
    for (const auto& [pocket, items] : liftedItems)
        services_.pockets.discardLifted(items);
    liftedItems.clear();
}

void BezelEngine::undoRemoval()
{
    const std::optional<Uuid> id = std::exchange(removedPocket, std::nullopt);
    BlobRuntime* pocket = id ? mutablePocket(*id) : nullptr;
    if (!pocket)
        return;
    pocket->isDying = false;
    // Its place was kept, but a pocket dragged onto it meanwhile moves it to the nearest free one.
    pocket->targetY = std::max(1.0, size.height) * pocket->config.anchor;
    settleDrag(*id);
    refreshCounts();
    bounce(*id, undoKick);
    services_.haptics.perform(HapticPattern::levelChange);
    markChanged();
    saveZones();
}

void BezelEngine::lapseRemoval()
{
    const std::optional<Uuid> id = std::exchange(removedPocket, std::nullopt);
    if (!id)
        return;
    // The stored layout no longer lists the pocket; its files go once the index without its
    // items is on disk. The faded pocket is culled at the next step.
    lapseUndo(*id);
    services_.pockets.deletePocket(*id);
    markChanged();
}

} // namespace kestrane
