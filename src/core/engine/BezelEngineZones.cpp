#include "engine/BezelEngine.h"
#include "platform/Defaults.h"

#include <algorithm>
#include <cmath>

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
} // namespace

std::optional<std::vector<Dropzone>> BezelEngine::storedZones(const Defaults& defaults)
{
    auto data = defaults.dataValue(zonesKey);
    if (!data)
        return std::nullopt;
    auto zones = decodeZones(*data);
    if (!zones || zones->empty())
        return std::nullopt;
    return zones;
}

std::vector<Dropzone> BezelEngine::loadZones(const Defaults& defaults)
{
    if (auto zones = storedZones(defaults))
        return *zones;
    return { Dropzone { Uuid::random(), "Pocket 1", firstRunAnchor, "shelf" } };
}

void BezelEngine::saveZones()
{
    std::vector<Dropzone> living;
    for (const BlobRuntime& blob : blobs) {
        if (blob.isLiving())
            living.push_back(blob.config);
    }
    services_.defaults.setData(zonesKey, encodeZones(living));
    zonesStored_ = true;
}

bool BezelEngine::canAddZone() const
{
    const auto living = std::count_if(blobs.begin(), blobs.end(), [](const BlobRuntime& b) { return b.isLiving(); });
    return static_cast<double>(living) * slotHeight <= size.height - bottomMargin - topLimit;
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
    for (const BlobRuntime& blob : blobs) {
        if (blob.isLiving())
            taken.push_back(blob.targetY);
    }
    const double slot = nearestFreeSlot(topLimit, taken, height).value_or(topLimit);

    BlobRuntime blob;
    blob.config = Dropzone { Uuid::random(), "Pocket " + std::to_string(blobs.size() + 1), slot / height, "shelf" };
    // Born out of the plus bulge: the next frame's placement glides it down to its slot.
    blob.y = SpringValue::atRest(plusCenter);
    blob.targetY = plusCenter;
    blob.amplitude = SpringValue::atRest(plusAmplitude.value);
    blob.life = SpringValue::atRest(0);
    const Uuid id = blob.config.id;
    blobs.push_back(std::move(blob));

    plusAmplitude.velocity -= addKick;
    plusAmplitude.isSettled = false;
    soloEditing = id;
    newlyAdded = id;
    markChanged();
    saveZones();
}

void BezelEngine::removeZone(const Uuid& id)
{
    BlobRuntime* target = mutableBlob(id);
    if (!target || target->isDying)
        return;
    target->isDying = true;
    lapseUndo(id);
    services_.pockets.deleteZone(id);
    if (dragSession && dragSession->blobID == id)
        dragSession.reset();
    markChanged();
    saveZones();
}

void BezelEngine::rename(const Uuid& id, const std::string& name)
{
    BlobRuntime* target = mutableBlob(id);
    if (!target)
        return;
    target->config.name = name;
    markChanged();
}

void BezelEngine::seedPositions()
{
    const double height = std::max(1.0, size.height);
    for (BlobRuntime& blob : blobs) {
        const double y = clampToPlacementRange(height * blob.config.anchor, height);
        blob.y = SpringValue::atRest(y);
        blob.targetY = y;
    }
}

void BezelEngine::cullDeadZones()
{
    std::erase_if(blobs, [](const BlobRuntime& blob) {
        return blob.isDying && blob.life.value < 0.005 && blob.amplitude.value < 0.2;
    });
}

} // namespace kestrane
