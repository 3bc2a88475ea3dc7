#pragma once

#include "engine/BlobRuntime.h"
#include "engine/SpringValue.h"
#include "geometry/Point.h"
#include "platform/Uuid.h"
#include "pockets/PocketItem.h"
#include "pockets/ResolvedPocketItem.h"
#include "preferences/PrefRow.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace kestrane {

// A pocket being dragged in edit mode.
struct DragSession {
    Uuid blobID;
    double grabOffset = 0;
    Point startPoint;
    double startTime = 0;
    double moved = 0;
    bool operator==(const DragSession&) const = default;
};

// Everything the engine animates and decides, as views and the frame loop read it. Only
// the engine writes it: everyone else calls the engine's operations.
struct BezelState {
    std::int64_t frame = 0;
    Size size { 1440, 900 };
    bool needsStep = true;
    std::vector<BlobRuntime> blobs;
    double bottomInset = 0;
    SpringValue editProgress;
    bool isEditing = false;
    SpringValue plusAmplitude;
    std::optional<Point> pointer;
    std::optional<Point> dragPayload;
    bool isSystemDragActive = false;
    std::optional<Uuid> dropTarget;
    std::optional<DragSession> dragSession;
    std::optional<Point> lastSteppedPointer;
    std::optional<Point> lastSteppedPayload;
    bool needsPositionSeed = true;
    std::optional<Uuid> openZone;
    bool wantsOpen = false;
    SpringValue openProgress;
    SpringValue openHeightValue;
    SpringValue arrangeProgress;
    ResolvedPocketItems openItems;
    std::int64_t pointerTick = 0;
    bool isArranging = false;
    std::optional<Uuid> soloEditing;
    bool isShowingPreferences = false;
    SpringValue prefsProgress;
    std::array<SpringValue, prefRowCount> prefsRows {};
    std::array<SpringValue, prefRowCount> prefsSwitches {};
    std::array<SpringValue, prefRowCount> prefsHovers {};
    std::array<bool, prefRowCount> prefsHovering {};
    SpringValue blurScope = SpringValue::atRest(1);
    bool pullReturnedHome = false;
    std::optional<Uuid> dragOriginZone;
    std::optional<Uuid> pullingZone;
    std::optional<Uuid> pullCountZone;
    std::int64_t pullDepth = 0;
    std::int64_t pullTotal = 0;
    SpringValue pullCount;
    SpringValue clearing;
    std::optional<Uuid> purgeZone;
    double purgePast = 0;
    double purgeCharge = 0;
    double purgeLastRise = 0;
    int purgeDetent = 0;
    std::map<Uuid, std::vector<PocketItem>> liftedItems;
    // The pocket removed last while it held something: its bulge stays, faded out, and its
    // items stay in the store until the removal is put back or made final.
    std::optional<Uuid> removedPocket;
    std::optional<Uuid> newlyAdded;
    std::optional<Uuid> nearestPocket;
};

} // namespace kestrane
