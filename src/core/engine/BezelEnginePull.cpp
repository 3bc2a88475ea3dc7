#include "engine/BezelEngine.h"
#include "preferences/HapticPattern.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double pullBounce = 520;
// Each step of this many points down takes one more item.
constexpr double depthStep = 26;
// Moving this far towards the screen's inside starts the drag out.
constexpr double pullOutDistance = 14;
// The counter needs this much bulge to sit on.
constexpr double fullCounterAmplitude = 54;
} // namespace

void BezelEngine::beginPullCount(const Uuid& pocket, Point origin)
{
    const int total = services_.pockets.itemCount(pocket);
    if (total < 1)
        return;
    pullCountZone = pocket;
    pullOrigin_ = origin;
    pullTotal = total;
    pullDepth = 1;
    markChanged();
}

void BezelEngine::setPullDepth(std::int64_t depth)
{
    if (!pullCountZone)
        return;
    const std::int64_t clamped = std::clamp<std::int64_t>(depth, 1, pullTotal);
    if (clamped == pullDepth)
        return;
    const bool rose = clamped > pullDepth;
    pullDepth = clamped;
    if (rose)
        services_.haptics.perform(clamped == pullTotal ? HapticPattern::levelChange : HapticPattern::alignment);
    markChanged();
}

void BezelEngine::endPullCount()
{
    if (!pullCountZone)
        return;
    pullCountZone.reset();
    pullDepth = 0;
    pullTotal = 0;
    markChanged();
}

std::optional<PullOffer> BezelEngine::mouseDragged(Point point)
{
    if (isEditing || !pullCountZone)
        return std::nullopt;
    setPullDepth(static_cast<std::int64_t>(std::floor((point.y - pullOrigin_.y) / depthStep)) + 1);
    if (pullOrigin_.x - point.x <= pullOutDistance)
        return std::nullopt;
    const Uuid pocket = *pullCountZone;
    return takeNewest(pocket);
}

std::optional<PullOffer> BezelEngine::takeNewest(const Uuid& pocket)
{
    ResolvedPocketItems items = services_.pockets.resolve(pocket);
    const auto take = std::min<std::size_t>(items.size(), static_cast<std::size_t>(pullDepth));
    items.erase(items.begin(), items.end() - static_cast<std::ptrdiff_t>(take));
    endPullCount();
    if (items.empty()) {
        refreshCounts();
        return std::nullopt;
    }
    pullingZone = pocket;
    bounce(pocket, pullBounce);
    markChanged();
    return PullOffer { pocket, std::move(items) };
}

void BezelEngine::finishPull(const PullOffer& offer, bool moved)
{
    // Dropped back onto its own pocket, the items stay where they are.
    if (moved && !pullReturnedHome) {
        std::vector<Uuid> pulled;
        for (const auto& item : offer.items)
            pulled.push_back(item->id);
        services_.pockets.releasePulled(pulled, offer.pocket);
    }
    refreshCounts();
    pullingZone.reset();
    pullReturnedHome = false;
}

std::optional<PullCounter> BezelEngine::pullCounter() const
{
    const BlobRuntime* counted = pullCountZone ? pocket(*pullCountZone) : nullptr;
    if (!counted || pullTotal < 1)
        return std::nullopt;
    const double a = counted->amplitude.value;
    const double presence = std::clamp(a / fullCounterAmplitude, 0.0, 1.0);
    if (presence <= 0.5)
        return std::nullopt;
    return PullCounter { { size.width - a / 2, counted->y.value }, pullDepth, pullTotal, presence };
}

} // namespace kestrane
