#include "engine/BezelEngine.h"
#include "geometry/PocketShape.h"
#include "platform/Defaults.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <set>
#include <string>

namespace kestrane {

namespace {
constexpr double slotHeight = 104;
constexpr double minimumSpacing = 103.5;
constexpr double searchStep = 4;
constexpr double refusedAddKick = 420;
constexpr double addKick = 260;
constexpr double firstRunAnchor = 0.34;

double clampToPlacementRange(double y, double height)
{
    const double bottom = height - BezelEngine::bottomMargin;
    if (bottom < BezelEngine::topLimit)
        return BezelEngine::topLimit;
    return std::clamp(y, BezelEngine::topLimit, bottom);
}

// What is stored under the layout key, and whether some of it could not be read: then a
// copy is kept before the layout is rewritten. Each problem is one line.
struct StoredLayout {
    std::vector<Dropzone> pockets;
    bool partlyUnread = false;
};

StoredLayout storedPockets(const Defaults& defaults)
{
    if (!defaults.contains(BezelEngine::pocketsKey))
        return {};
    const std::string prefix = std::string("Kestrane: stored pocket layout ") + BezelEngine::pocketsKey + ": ";
    auto data = defaults.dataValue(BezelEngine::pocketsKey);
    if (!data) {
        logLine(prefix + "not bytes in Base64; the pockets are rebuilt from their items");
        return { {}, true };
    }
    DecodedPockets decoded = decodePockets(*data);
    for (const std::string& problem : decoded.problems)
        logLine(prefix + problem);
    return { std::move(decoded.pockets), !decoded.problems.empty() };
}

// Two pockets with one id would show the same items twice, and only the first could be
// moved or removed: the later copies go.
bool dropRepeatedIds(std::vector<Dropzone>& pockets)
{
    std::set<Uuid> seen;
    const auto repeated = std::erase_if(pockets, [&](const Dropzone& pocket) { return !seen.insert(pocket.id).second; });
    if (repeated > 0)
        logLine("Kestrane: the stored pocket layout names a pocket more than once; the later copies were dropped");
    return repeated > 0;
}

std::optional<double> freeSlotBeside(const std::vector<Dropzone>& pockets, double height)
{
    std::vector<double> taken;
    for (const Dropzone& pocket : pockets)
        taken.push_back(clampToPlacementRange(height * pocket.anchor, height));
    return BezelEngine::nearestFreeSlot(BezelEngine::topLimit, taken, height);
}

// Places that keep every wish that is free; when the search finds no room for one, the
// pockets are packed a slot apart from the top in the order of their wishes, which the
// capacity rule guarantees to fit.
std::vector<double> slotsApart(const std::vector<double>& wishes, double height)
{
    std::vector<double> placed;
    for (double wish : wishes) {
        const auto slot = BezelEngine::nearestFreeSlot(wish, placed, height);
        if (!slot)
            break;
        placed.push_back(*slot);
    }
    if (placed.size() == wishes.size())
        return placed;
    std::vector<std::size_t> order(wishes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return wishes[a] < wishes[b]; });
    for (std::size_t rank = 0; rank < order.size(); ++rank)
        placed[order[rank]] = BezelEngine::topLimit + slotHeight * static_cast<double>(rank);
    return placed;
}

// Moves living pockets that lie closer than a slot to an earlier one; whether any moved.
bool spreadApart(std::vector<BlobRuntime>& blobs, double height)
{
    std::vector<BlobRuntime*> living;
    std::vector<double> wishes;
    for (BlobRuntime& pocket : blobs) {
        if (pocket.isLiving()) {
            living.push_back(&pocket);
            wishes.push_back(clampToPlacementRange(height * pocket.config.anchor, height));
        }
    }
    const std::vector<double> slots = slotsApart(wishes, height);
    bool moved = false;
    for (std::size_t i = 0; i < living.size(); ++i) {
        if (slots[i] != wishes[i]) {
            living[i]->config.anchor = slots[i] / height;
            moved = true;
        }
    }
    return moved;
}

// Whether the capacity rule lets one more pocket join `living` others.
bool roomForAnother(std::size_t living, double height)
{
    return static_cast<double>(living) * slotHeight <= height - BezelEngine::bottomMargin - BezelEngine::topLimit;
}
} // namespace

void BezelEngine::loadZones()
{
    StoredLayout stored = storedPockets(services_.defaults);
    std::vector<Dropzone>& pockets = stored.pockets;
    pocketsStored_ = !pockets.empty();
    bool repaired = dropRepeatedIds(pockets);
    layoutToKeepAside_ = stored.partlyUnread || repaired;
    repaired = recoverUnplacedPockets(pockets) || repaired;
    if (pockets.empty())
        pockets.push_back(Dropzone { Uuid::random(), "Pocket 1", firstRunAnchor, "shelf" });
    for (Dropzone& config : pockets) {
        BlobRuntime pocket;
        pocket.itemCount = services_.pockets.itemCount(config.id);
        pocket.amplitude = SpringValue::atRest(heft(pocket.itemCount));
        pocket.config = std::move(config);
        blobs.push_back(std::move(pocket));
    }
    needsPositionSeed = true;
    if (repaired)
        saveZones();
}

// Items whose pocket has no stored placement could never be reached from the edge (a lost or
// unreadable layout): each such pocket is placed again, at a free slot for the size known so far;
// fitPocketsToScreen settles it on the real screen.
bool BezelEngine::recoverUnplacedPockets(std::vector<Dropzone>& pockets)
{
    const double height = std::max(1.0, size.height);
    const std::size_t before = pockets.size();
    for (const Uuid& pocket : services_.pockets.pocketsHoldingItems()) {
        if (std::any_of(pockets.begin(), pockets.end(), [&](const Dropzone& config) { return config.id == pocket; }))
            continue;
        const double slot = freeSlotBeside(pockets, height).value_or(topLimit);
        pockets.push_back(Dropzone { pocket, "Pocket " + std::to_string(pockets.size() + 1), slot / height, "shelf" });
    }
    const std::size_t recovered = pockets.size() - before;
    if (recovered > 0)
        logLine("Kestrane: pockets that hold items but were missing from the layout got a place again: " + std::to_string(recovered));
    return recovered > 0;
}

// Run once, when the real screen size first arrives: pockets beyond what the screen holds
// (the capacity rule of addZone) hand their items to the last pocket that stays, and
// pockets that would cover one another (stacked on one spot, or placed for another
// height) move apart.
void BezelEngine::fitPocketsToScreen()
{
    const double height = size.height;
    std::size_t living = 0;
    std::optional<Uuid> last;
    std::vector<Uuid> overflow;
    for (const BlobRuntime& pocket : blobs) {
        if (!pocket.isLiving())
            continue;
        if (last && !roomForAnother(living, height)) {
            overflow.push_back(pocket.config.id);
            continue;
        }
        ++living;
        last = pocket.config.id;
    }
    if (!overflow.empty()) {
        mergePockets(overflow, *last);
        logLine("Kestrane: pockets that did not fit on the screen gave their items to the last pocket: " + std::to_string(overflow.size()));
    }
    if (spreadApart(blobs, height) || !overflow.empty()) {
        markChanged();
        saveZones();
    }
}

void BezelEngine::mergePockets(const std::vector<Uuid>& from, const Uuid& into)
{
    std::vector<PocketItem> items = services_.pockets.lift(into);
    for (const Uuid& pocket : from) {
        std::vector<PocketItem> more = services_.pockets.lift(pocket);
        items.insert(items.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        services_.pockets.deletePocket(pocket);
    }
    services_.pockets.restore(std::move(items), into);
    std::erase_if(blobs, [&](const BlobRuntime& pocket) { return std::find(from.begin(), from.end(), pocket.config.id) != from.end(); });
    BlobRuntime& target = *mutablePocket(into);
    target.itemCount = services_.pockets.itemCount(into);
    target.amplitude = SpringValue::atRest(heft(target.itemCount));
}

void BezelEngine::saveZones()
{
    if (!keepUnreadLayout())
        return;
    std::vector<Dropzone> living;
    for (const BlobRuntime& pocket : blobs) {
        if (pocket.isLiving())
            living.push_back(pocket.config);
    }
    services_.defaults.setData(pocketsKey, encodePockets(living));
    pocketsStored_ = true;
}

// A stored layout that was not read in full is copied aside before its first rewrite, so
// that what could not be read is never lost. Answers whether the layout may be rewritten.
bool BezelEngine::keepUnreadLayout()
{
    if (!layoutToKeepAside_)
        return true;
    const std::optional<std::string> aside = services_.defaults.keepAside(pocketsKey);
    if (!aside) {
        logLine(std::string("Kestrane: stored pocket layout ") + pocketsKey + " could not be copied aside, so it is not rewritten");
        return false;
    }
    logLine(std::string("Kestrane: stored pocket layout ") + pocketsKey + " is rewritten; as stored, it is kept as " + *aside);
    layoutToKeepAside_ = false;
    return true;
}

bool BezelEngine::holdsPlace(const BlobRuntime& pocket) const
{
    return pocket.isLiving() || pocket.config.id == removedPocket;
}

// A removal that can be put back keeps its pocket's room, so that putting it back always fits.
bool BezelEngine::canAddZone() const
{
    const auto placed = std::count_if(blobs.begin(), blobs.end(), [this](const BlobRuntime& b) { return holdsPlace(b); });
    return roomForAnother(static_cast<std::size_t>(placed), size.height);
}

bool BezelEngine::canRemovePocket() const
{
    return std::count_if(blobs.begin(), blobs.end(), [](const BlobRuntime& b) { return b.isLiving(); }) > 1;
}

std::optional<double> BezelEngine::nearestFreeSlot(double y, const std::vector<double>& avoiding, double height)
{
    const double bottom = height - bottomMargin;
    const double wish = clampToPlacementRange(y, height);
    auto isFree = [&](double p) {
        return std::all_of(avoiding.begin(), avoiding.end(), [&](double a) { return std::abs(a - p) >= minimumSpacing; });
    };
    if (isFree(wish))
        return wish;
    if (bottom - topLimit < searchStep)
        return std::nullopt;
    for (double k = searchStep; k <= bottom - topLimit; k += searchStep) {
        // Upward wins a tie at equal distance.
        for (double p : { wish - k, wish + k }) {
            if (p >= topLimit && p <= bottom && isFree(p))
                return p;
        }
    }
    return std::nullopt;
}

void BezelEngine::addZone()
{
    if (!canAddZone()) {
        plusAmplitude.velocity -= refusedAddKick;
        plusAmplitude.isSettled = false;
        markChanged();
        return;
    }
    const double height = std::max(1.0, size.height);
    std::vector<double> taken;
    for (const BlobRuntime& pocket : blobs) {
        if (holdsPlace(pocket))
            taken.push_back(pocket.targetY);
    }
    const double slot = nearestFreeSlot(topLimit, taken, height).value_or(topLimit);

    BlobRuntime pocket;
    pocket.config = Dropzone { Uuid::random(), "Pocket " + std::to_string(blobs.size() + 1), slot / height, "shelf" };
    // Born out of the plus bulge: the next frame's placement glides it down to its slot.
    pocket.y = SpringValue::atRest(plusCenter);
    pocket.targetY = plusCenter;
    pocket.amplitude = SpringValue::atRest(plusAmplitude.value);
    pocket.life = SpringValue::atRest(0);
    const Uuid id = pocket.config.id;
    blobs.push_back(std::move(pocket));

    plusAmplitude.velocity -= addKick;
    plusAmplitude.isSettled = false;
    soloEditing = id;
    newlyAdded = id;
    markChanged();
    saveZones();
}

void BezelEngine::removeZone(const Uuid& id)
{
    BlobRuntime* target = mutablePocket(id);
    if (!target || target->isDying || !canRemovePocket())
        return;
    target->isDying = true;
    if (dragSession && dragSession->blobID == id)
        dragSession.reset();
    if (services_.pockets.itemCount(id) > 0 || liftedItems.contains(id)) {
        // Only the latest removal can be put back. The items stay in the store, and so in
        // the index on disk, until the removal is final: after a crash they come back in a
        // pocket of their own.
        lapseRemoval();
        removedPocket = id;
    } else {
        services_.pockets.deletePocket(id);
    }
    markChanged();
    saveZones();
}

void BezelEngine::rename(const Uuid& id, const std::string& name)
{
    BlobRuntime* target = mutablePocket(id);
    if (!target)
        return;
    target->config.name = name;
    markChanged();
}

void BezelEngine::seedPositions()
{
    const double height = std::max(1.0, size.height);
    for (BlobRuntime& pocket : blobs) {
        const double y = clampToPlacementRange(height * pocket.config.anchor, height);
        pocket.y = SpringValue::atRest(y);
        pocket.targetY = y;
    }
}

void BezelEngine::cullDeadZones()
{
    std::erase_if(blobs,
        [this](const BlobRuntime& pocket) { return !holdsPlace(pocket) && pocket.life.value < 0.005 && pocket.amplitude.value < 0.2; });
}

} // namespace kestrane
