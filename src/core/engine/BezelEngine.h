#pragma once

#include "engine/BlobRuntime.h"
#include "engine/EngineServices.h"
#include "engine/PrefRow.h"
#include "engine/SpringValue.h"
#include "geometry/BezelNode.h"
#include "geometry/Point.h"
#include "platform/Uuid.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kestrane {

struct ResolvedPocketItem;

// A pocket being dragged in edit mode.
struct DragSession {
    Uuid blobID;
    double grabOffset = 0;
    Point startPoint;
    double startTime = 0;
    double moved = 0;
    bool operator==(const DragSession&) const = default;
};

// The model and physics of the edge: one animated blob per pocket plus the global
// animated values, all advanced by step() once per display frame.
class BezelEngine {
public:
    static constexpr const char* zonesKey = "kestrane.zones.v1";
    static constexpr double topLimit = 166;
    static constexpr double bottomMargin = 64;
    static constexpr double plusCenter = 62;

    explicit BezelEngine(EngineServices services);

    // Frame step and idling.
    void step(double dt);
    bool isQuiescent() const;
    void updateBottomInset(double inset);
    void setSize(Size size);
    // Bumped by every performed step and every change a view must show.
    std::uint64_t revision() const { return revision_; }

    // Zones.
    static std::vector<Dropzone> loadZones(const Defaults& defaults);
    static std::optional<std::vector<Dropzone>> storedZones(const Defaults& defaults);
    void saveZones();
    bool canAddZone() const;
    void addZone();
    void removeZone(const Uuid& id);
    void rename(const Uuid& id, const std::string& name);
    static std::optional<double> nearestFreeSlot(double y, const std::vector<double>& avoiding, double height);
    void seedPositions();
    void cullDeadZones();

    // Shape.
    std::optional<BezelNode> node(const BlobRuntime& blob, bool sagging) const;
    std::vector<BezelNode> nodes() const;

    // Drop intake.
    void refreshCounts();

    // Edit mode.
    bool isEditable(const Uuid& id) const;

    // Clearing.
    void lapseUndo(const Uuid& id);

    const BlobRuntime* blob(const Uuid& id) const;

    // State read by views and by the frame loop.
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
    std::vector<std::shared_ptr<const ResolvedPocketItem>> openItems;
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
    SpringValue purge;
    std::optional<Uuid> purgeZone;
    double purgePast = 0;
    double purgeCharge = 0;
    double purgeLastRise = 0;
    int purgeDetent = 0;
    std::map<Uuid, std::vector<Uuid>> liftedItems;
    bool debugPurge = false;
    std::optional<Uuid> newlyAdded;
    std::optional<Uuid> nearestPocket;

private:
    // Sub-steps of the frame step, each in the file of its concern.
    void stepPreferences(double dt);
    void stepPurge(double dt);
    void stepDrawer(double dt);
    void resolveTargets();
    void stepBlobs(double dt);
    void stepBlob(BlobRuntime& blob, double dt, const std::optional<Uuid>& draggedID, const std::optional<Point>& dragPoint);
    void stepPlus(double dt);
    void updateNearestPocket();
    double proximityTo(double y, Point from) const;
    bool isEditClosing() const;
    std::optional<Point> dragPoint() const;
    bool shouldSkipStep() const;
    BlobRuntime* mutableBlob(const Uuid& id);
    void markChanged();

    EngineServices services_;
    std::uint64_t revision_ = 0;
    // False while the pockets exist only in memory (a first run): items must never land
    // in a pocket whose id the next launch would not know.
    bool zonesStored_ = false;
};

} // namespace kestrane
