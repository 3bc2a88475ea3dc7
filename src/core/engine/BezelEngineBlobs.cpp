#include "engine/BezelEngine.h"
#include "engine/EngineMotions.h"
#include "geometry/Easing.h"
#include "geometry/PocketShape.h"
#include "preferences/HapticPattern.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double wallTolerance = 0.5;
constexpr double proximityReach = 132;
constexpr double proximityOvershoot = 4;
constexpr double nearestReach = 132;
constexpr double brushThreshold = 0.6;
constexpr double dragReach = 260;
constexpr double editSwell = 22;
constexpr double heldSwell = 30;
constexpr double countedSwell = 54;
// A pocket whose drawer is opened past this no longer leans toward a drag.
constexpr double leanEndsOpenProgress = 0.05;
constexpr double plusReach = 150;
constexpr SpringMotion draggedMotion { 0.14, 0.9 };
constexpr SpringMotion makingRoomMotion { 0.42, 0.78 };
constexpr SpringMotion settlingMotion { 0.34, 0.7 };
constexpr SpringMotion lifeMotion { 0.4, 0.74 };
constexpr SpringMotion gulpMotion { 0.46, 0.56 };
} // namespace

bool BezelEngine::isEditClosing() const
{
    return !isEditing && editProgress.value > 0.01;
}

std::optional<Point> BezelEngine::dragPoint() const
{
    if (dragPayload)
        return dragPayload;
    if (isSystemDragActive && pointer)
        return pointer;
    return std::nullopt;
}

void BezelEngine::resolveTargets()
{
    const double height = std::max(1.0, size.height);
    const double bottom = height - bottomMargin;
    for (BlobRuntime& pocket : blobs) {
        if (pocket.isDying) {
            pocket.targetY = pocket.y.value;
            continue;
        }
        const bool isDragged = dragSession && dragSession->blobID == pocket.config.id;
        const double raw = isDragged && pointer ? pointer->y - dragSession->grabOffset : height * pocket.config.anchor;
        pocket.targetY = bottom < topLimit ? topLimit : std::clamp(raw, topLimit, bottom);
        // The stored anchor follows the clamp and the drag.
        pocket.config.anchor = pocket.targetY / height;
        const bool againstWall = pocket.targetY <= topLimit + wallTolerance || pocket.targetY >= bottom - wallTolerance;
        if (againstWall && !pocket.wasAgainstWall && isDragged)
            services_.haptics.perform(HapticPattern::alignment);
        pocket.wasAgainstWall = againstWall;
    }
}

double BezelEngine::proximityTo(double y, Point from) const
{
    const double dx = size.width - from.x;
    if (dx < -proximityOvershoot || dx > proximityReach)
        return 0;
    const double a = std::clamp((std::abs(from.y - y) - 26) / 60, 0.0, 1.0);
    const double b = std::clamp((dx - 34) / 98, 0.0, 1.0);
    return std::clamp((1 - smoothstep(a)) * (1 - smoothstep(b)), 0.0, 1.0);
}

void BezelEngine::updateNearestPocket()
{
    nearestPocket.reset();
    if (!pointer || pointer->x < size.width - nearestReach)
        return;
    double best = 0;
    for (const BlobRuntime& pocket : blobs) {
        if (pocket.isDying)
            continue;
        const double distance = std::abs(pointer->y - pocket.y.value);
        // Strictly closer only, so the earlier pocket wins a tie.
        if (!nearestPocket || distance < best) {
            nearestPocket = pocket.config.id;
            best = distance;
        }
    }
}

void BezelEngine::stepBlobs(double dt)
{
    updateNearestPocket();
    std::optional<Uuid> draggedID;
    if (dragSession)
        draggedID = dragSession->blobID;
    const std::optional<Point> point = dragPoint();
    for (BlobRuntime& pocket : blobs)
        stepPocket(pocket, dt, draggedID, point);
}

void BezelEngine::stepPocket(BlobRuntime& pocket, double dt, const std::optional<Uuid>& draggedID, const std::optional<Point>& dragPointNow)
{
    const Uuid& id = pocket.config.id;
    const bool isDragged = draggedID == id;

    if (isDragged)
        pocket.y.step(pocket.targetY, dt, draggedMotion);
    else if (dragSession)
        pocket.y.step(pocket.targetY, dt, makingRoomMotion);
    else
        pocket.y.step(pocket.targetY, dt, settlingMotion);
    pocket.life.step(pocket.isDying ? 0 : 1, dt, lifeMotion);
    pocket.swallow.step(0, dt, gulpMotion);

    const double y = pocket.y.value;
    const double restingSwell = heft(pocket.itemCount);
    const double base = std::max(restingSwell, editSwell * editProgress.value);
    const double p = pointer ? proximityTo(y, *pointer) : 0;
    pocket.proximity = p;

    double swell = base;
    if (p > 0)
        swell = pocket.itemCount == 0 ? std::max(base, base + 7 * p) : std::max(base, base + (20 - restingSwell) * p);

    if (pullCountZone == id) {
        const double c = pullCount.value;
        swell = c <= 0 ? std::max(swell, 0.0) : std::max(swell, countedSwell * std::min(c, 1.0));
    }

    double leanWeight = 0;
    const bool noLean = openZone == id && openProgress.value > leanEndsOpenProgress;
    if (!noLean && dragPointNow && dragPointNow->x >= size.width - dragReach) {
        const double t = (std::abs(dragPointNow->y - y) - 26) / 103;
        leanWeight = 1 - smoothstep(t);
        const double peak = dropTarget == id ? 42 : 20;
        swell = std::max(swell, leanWeight * peak);
    }
    if (isDragged || pullingZone == id)
        swell = std::max(swell, heldSwell);

    pocket.amplitude.step(swell * pocket.life.value, dt, isEditClosing() ? editClosingMotion : swellMotion);

    double leanTarget = 0;
    if (!noLean && dragPointNow && !isDragged && leanWeight > 0)
        leanTarget = leanWeight * std::clamp(0.4 * (dragPointNow->y - y), -14.0, 14.0);
    pocket.arrange.step(isEditable(id) ? 1 : 0, dt, editOpeningMotion);
    pocket.lean.step(leanTarget, dt, swellMotion);

    const bool brushed = p > brushThreshold && nearestPocket == id;
    if (brushed && !pocket.wasBrushed && !isEditing && !wantsOpen)
        services_.haptics.perform(HapticPattern::alignment);
    pocket.wasBrushed = brushed;
}

void BezelEngine::stepPlus(double dt)
{
    const double e = editProgress.value;
    double target = editSwell * e;
    if (e > 0.2 && pointer && pointer->x >= size.width - plusReach) {
        const double t = (std::abs(pointer->y - plusCenter) - 22) / 82;
        target += e * (1 - smoothstep(t)) * 10;
    }
    plusAmplitude.step(target, dt, isEditClosing() ? editClosingMotion : swellMotion);
}

} // namespace kestrane
