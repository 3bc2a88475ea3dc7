#include "engine/BezelEngine.h"
#include "preferences/HapticPattern.h"

#include <algorithm>

namespace kestrane {

namespace {
constexpr double pullBounce = 520;
// The counter needs this much bulge to sit on.
constexpr double fullCounterAmplitude = 54;
} // namespace

void BezelEngine::beginPullCount(const Uuid& zone)
{
    const int total = services_.pockets.itemCount(zone);
    if (total < 1)
        return;
    pullCountZone = zone;
    pullTotal = total;
    pullDepth = 1;
    markChanged();
}

void BezelEngine::setPullDepth(std::int64_t depth)
{
    if (!pullCountZone)
        return;
    const std::int64_t clamped = std::min(std::max<std::int64_t>(depth, 1), pullTotal);
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

void BezelEngine::beginPull(const Uuid& zone)
{
    pullingZone = zone;
    bounce(zone, pullBounce);
    markChanged();
}

std::optional<PullCounter> BezelEngine::pullCounter() const
{
    const BlobRuntime* counted = pullCountZone ? blob(*pullCountZone) : nullptr;
    if (!counted || pullTotal < 1)
        return std::nullopt;
    const double a = counted->amplitude.value;
    const double presence = std::clamp(a / fullCounterAmplitude, 0.0, 1.0);
    if (presence <= 0.5)
        return std::nullopt;
    return PullCounter { { size.width - a / 2, counted->y.value }, pullDepth, pullTotal, presence };
}

} // namespace kestrane
