#pragma once

#include "engine/BlobRuntime.h"
#include "engine/EngineServices.h"
#include "engine/SpringValue.h"
#include "geometry/BezelNode.h"
#include "geometry/Point.h"
#include "platform/Uuid.h"
#include "pockets/PocketItem.h"
#include "pockets/ResolvedPocketItem.h"
#include "preferences/PrefRow.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace kestrane {

class Pasteboard;

// What lies under a point of the edge: a pocket, by its zone id, or the plus bulge.
struct HitTarget {
    struct Plus {
        bool operator==(const Plus&) const = default;
    };
    std::variant<Uuid, Plus> target;

    static HitTarget blob(const Uuid& id) { return { id }; }
    static HitTarget plus() { return { Plus {} }; }
    const Uuid* blobID() const { return std::get_if<Uuid>(&target); }
    bool isPlus() const { return std::holds_alternative<Plus>(target); }
    bool operator==(const HitTarget&) const = default;
};

// The pull counter drawn on a bulge: how many items the pull would take, out of how many.
struct PullCounter {
    Point center;
    std::int64_t depth = 0;
    std::int64_t total = 0;
    double presence = 0;
    bool operator==(const PullCounter&) const = default;
};

// A rectangle the edit mode blurs behind.
struct BlurHalo {
    int id = 0;
    Rect rect;
    double presence = 0;
    bool operator==(const BlurHalo&) const = default;
};

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
    // A pocket takes the pointer within this band along the right edge, this far above and
    // below its centre.
    static constexpr double hitBandWidth = 56;
    static constexpr double hitHalfHeight = 54;
    // Below this opening progress a drawer is not drawn and its pocket is let go.
    static constexpr double drawerShownProgress = 0.001;

    explicit BezelEngine(EngineServices services);

    // Frame step and idling.
    void step(double dt);
    bool isQuiescent() const;
    void updateBottomInset(double inset);
    // The first real size also fits the loaded pockets to the screen, once.
    void setSize(Size size);
    // Bumped by every performed step and every change a view must show.
    std::uint64_t revision() const { return revision_; }

    // Zones.
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

    // Pointer, hit testing and dragging pockets.
    void updatePointer(std::optional<Point> point);
    void notePointerMoved();
    std::optional<HitTarget> hitTest(Point point) const;
    std::optional<Rect> controlsFrame() const;
    bool wantsMouseEvents() const;
    void mouseDown(Point point);
    void mouseUp(Point point);
    void settleDrag(const Uuid& id);

    // Drop intake.
    void updateDropTarget();
    bool acceptDrop(const Pasteboard& pasteboard);
    void refreshCounts();

    // Drawer.
    void toggleOpen(const Uuid& id);
    void openDrawer(const Uuid& id);
    void closeDrawer();
    void removeOpenItem(const Uuid& itemID);
    std::optional<Rect> drawerFrame() const;
    std::optional<Rect> openContentRect() const;
    std::optional<BezelNode> openLayoutNode() const;
    std::optional<BezelNode> openPocketNode() const;

    // Pull-out counter.
    void beginPullCount(const Uuid& zone);
    void setPullDepth(std::int64_t depth);
    void endPullCount();
    void beginPull(const Uuid& zone);
    std::optional<PullCounter> pullCounter() const;

    // Clearing and undo.
    void setPurgeOverscroll(double overscroll, const Uuid& zone);
    void commitPurge(const Uuid& zone);
    void undoClear(const Uuid& zone);
    void lapseUndo(const Uuid& id);
    void discardPendingUndo();

    // Edit mode and preferences.
    void setEditing(bool on);
    void setArranging(bool on);
    bool isEditable(const Uuid& id) const;
    void endSoloEditing();
    void setShowingPreferences(bool on);
    double prefsPresence() const;
    std::vector<BlurHalo> blurHalos() const;

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
    SpringValue purge;
    std::optional<Uuid> purgeZone;
    double purgePast = 0;
    double purgeCharge = 0;
    double purgeLastRise = 0;
    int purgeDetent = 0;
    std::map<Uuid, std::vector<PocketItem>> liftedItems;
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
    void loadZones();
    bool recoverUnplacedPockets(std::vector<Dropzone>& zones);
    void fitZonesToScreen();
    void mergePockets(const std::vector<Uuid>& from, const Uuid& into);
    void storeZonesOnceItemsLand();
    void bounce(const Uuid& id, double velocity);
    void resetPurgeGesture();
    // The open drawer's height (its spring, or where it settles before that first moves)
    // and the centre it is held at, clear of the screen's ends.
    double openDrawerHeight(int pocketItemCount) const;
    double drawerCentre(double pocketY, double halfHeight) const;
    // How far edit mode's bottom bar and controls sit above the screen's bottom.
    double editBarBottom() const;

    EngineServices services_;
    // Lets asynchronous results find out whether the engine still exists.
    std::shared_ptr<BezelEngine*> self_ = std::make_shared<BezelEngine*>(this);
    std::uint64_t revision_ = 0;
    // False while the pockets exist only in memory (a first run): items must never land
    // in a pocket whose id the next launch would not know.
    bool zonesStored_ = false;
    // The layout is fitted to the screen once, when its real size first arrives.
    bool screenKnown_ = false;
};

} // namespace kestrane
