#pragma once

// Words used across the program, and the names from the documents that stand for them:
// - pocket: what the user sees and drops onto. Dropzone is a pocket's stored placement and
//   name, BlobRuntime its animated bulge on the edge (in blobs, moved by stepBlobs); every
//   name with Zone or blob in it (addZone, openZone, blobID, ...) means a pocket.
// - clearing: taking all of a pocket's items out at once (purgePast, commitPurge and the other
//   purge names); they are held (lift, liftedItems) until put back (undoClear) or the hold
//   ends (discardLifted).
// - introduction: the first-run teaching (Onboarding, OnboardingView, intro, replayIntro),
//   taught in lessons; its haze is IntroductionHaze, which the documents call ClearBlurView.
// - Alt and Super: the modifiers the documents call Option and Command.

#include "engine/BezelState.h"
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

// What lies under a point of the edge: a pocket, by its id, or the plus bulge.
struct HitTarget {
    struct Plus {
        bool operator==(const Plus&) const = default;
    };
    std::variant<Uuid, Plus> target;

    static HitTarget pocket(const Uuid& id) { return { id }; }
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

// What a pull hands to the desktop to drag out: the newest items of the pocket.
struct PullOffer {
    Uuid pocket;
    ResolvedPocketItems items;
};

// The model and physics of the edge: one animated bulge per pocket plus the global
// animated values, all advanced by step() once per display frame.
class BezelEngine : private BezelState {
public:
    static constexpr const char* pocketsKey = "kestrane.zones.v1";
    static constexpr double topLimit = 166;
    static constexpr double bottomMargin = 64;
    static constexpr double plusCenter = 62;
    // A pocket takes the pointer within this band along the right edge, this far above and
    // below its centre.
    static constexpr double hitBandWidth = 56;
    static constexpr double hitHalfHeight = 54;
    // Below this opening progress a drawer is not drawn and its pocket is let go.
    static constexpr double drawerShownProgress = 0.001;
    // How long a clearing charge holds once the scrolling pauses: the gap that ends the gesture.
    static constexpr double clearingHold = 0.45;

    explicit BezelEngine(EngineServices services);

    // Frame step and idling.
    void step(double dt);
    bool isQuiescent() const;
    void updateBottomInset(double inset);
    // The first real size also fits the loaded pockets to the screen, once.
    void setSize(Size size);
    // Bumped by every performed step and every change a view must show.
    std::uint64_t revision() const { return revision_; }
    // Something the edge shows changed outside the engine.
    void requestStep() { markChanged(); }

    // Pockets.
    void saveZones();
    bool canAddZone() const;
    void addZone();
    // False when only one pocket lives: the last pocket is never removed.
    bool canRemovePocket() const;
    // A pocket holding items (or a clearing that can be undone) can be put back until the
    // next such removal or the quit; an empty one goes for good.
    void removeZone(const Uuid& id);
    // Brings the pocket removed last back at its place, with its items.
    void undoRemoval();
    void rename(const Uuid& id, const std::string& name);
    // The pocket just added, whose name field takes the keyboard once; cleared on reading.
    std::optional<Uuid> takeNewlyAdded() { return std::exchange(newlyAdded, std::nullopt); }
    static std::optional<double> nearestFreeSlot(double y, const std::vector<double>& avoiding, double height);
    void seedPositions();
    void cullDeadZones();

    // Shape.
    std::optional<BezelNode> node(const BlobRuntime& pocket, bool sagging) const;
    std::vector<BezelNode> nodes() const;
    static BezelNode plusNode(double amplitude);

    // Pointer, hit testing and dragging pockets.
    void updatePointer(std::optional<Point> point);
    void notePointerMoved();
    std::optional<HitTarget> hitTest(Point point) const;
    std::optional<Rect> controlsFrame() const;
    bool wantsMouseEvents() const;
    // Outside edit mode a press on a pocket holding items starts counting a pull.
    void mouseDown(Point point);
    // While a pull is counted the depth follows the pointer down; moving off the edge
    // takes the items, which the desktop then drags out and hands back to finishPull.
    std::optional<PullOffer> mouseDragged(Point point);
    void mouseUp(Point point);
    void settleDrag(const Uuid& id);

    // Drop intake. A drag from another program is begun when it takes over the drag
    // selection, follows the payload while over the overlay, and ends when it leaves,
    // drops or is let go.
    void beginSystemDrag();
    void updateDragPayload(Point point);
    // The drag the window receives left it; a system drag may go on.
    void leaveDragPayload();
    void endSystemDrag();
    void updateDropTarget();
    bool acceptDrop(const Pasteboard& pasteboard);
    // Stores what the pasteboard offers in this pocket with the swallow of a drop, for
    // content that comes without a drag (a paste, the command line); the items taken.
    int swallowInto(const Uuid& pocket, const Pasteboard& pasteboard);
    void refreshCounts();

    // Drawer.
    void toggleOpen(const Uuid& id);
    void openDrawer(const Uuid& id);
    void closeDrawer();
    // An item of the drawer was opened in its application: the drawer shuts and edit mode
    // ends, so that the application is in front and nothing covers it.
    void itemOpened();
    void removeOpenItem(const Uuid& itemID);
    // An item is dragged out of the open drawer: dropped back on its own pocket, it is
    // recognised as already there.
    void beginRowDrag();
    std::optional<Rect> drawerFrame() const;
    std::optional<Rect> openContentRect() const;
    std::optional<BezelNode> openLayoutNode() const;
    std::optional<BezelNode> openPocketNode() const;

    // Pull-out. moved: the receiver took the items rather than a copy of them.
    void finishPull(const PullOffer& offer, bool moved);
    std::optional<PullCounter> pullCounter() const;

    // Clearing and undo.
    void setClearingOverscroll(double overscroll, const Uuid& pocket);
    void commitPurge(const Uuid& pocket);
    void undoClear(const Uuid& pocket);
    void lapseUndo(const Uuid& id);
    void discardPendingUndo();

    // Edit mode and preferences.
    void setEditing(bool on);
    void setArranging(bool on);
    bool isEditable(const Uuid& id) const;
    void endSoloEditing();
    void setShowingPreferences(bool on);
    void setPrefHovering(PrefRow row, bool hovering);
    double prefsPresence() const;
    std::vector<BlurHalo> blurHalos() const;

    const BlobRuntime* pocket(const Uuid& id) const;
    const BezelState& state() const { return *this; }

private:
    // Sub-steps of the frame step, each in the file of its concern.
    void stepPreferences(double dt);
    void stepPurge(double dt);
    void stepDrawer(double dt);
    void resolveTargets();
    void stepBlobs(double dt);
    void stepPocket(BlobRuntime& pocket, double dt, const std::optional<Uuid>& draggedID, const std::optional<Point>& dragPoint);
    void stepPlus(double dt);
    void updateNearestPocket();
    double proximityTo(double y, Point from) const;
    bool isEditClosing() const;
    std::optional<Point> dragPoint() const;
    bool shouldSkipStep() const;
    BlobRuntime* mutablePocket(const Uuid& id);
    void markChanged();
    void resolveOpenItems(const Uuid& id);
    void loadZones();
    bool keepUnreadLayout();
    bool recoverUnplacedPockets(std::vector<Dropzone>& pockets);
    void fitPocketsToScreen();
    void mergePockets(const std::vector<Uuid>& from, const Uuid& into);
    void storePocketsOnceItemsLand();
    void bounce(const Uuid& id, double velocity);
    void resetClearingGesture();
    // Makes the pending removal final: the pocket's items and their files go.
    void lapseRemoval();
    // Living pockets, and the one whose removal can still be put back, keep their place.
    bool holdsPlace(const BlobRuntime& pocket) const;
    void beginPullCount(const Uuid& pocket, Point origin);
    void setPullDepth(std::int64_t depth);
    void endPullCount();
    std::optional<PullOffer> takeNewest(const Uuid& pocket);
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
    bool pocketsStored_ = false;
    // The stored layout holds something that was not read (a pocket left out, or the whole
    // value): it is copied aside before it is first rewritten.
    bool layoutToKeepAside_ = false;
    // The layout is fitted to the screen once, when its real size first arrives.
    bool screenKnown_ = false;
    // Where the press that started the pull count was.
    Point pullOrigin_;
};

} // namespace kestrane
