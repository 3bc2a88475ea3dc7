#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "preferences/HapticPattern.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double holdSeconds = 0.45;
constexpr double decaySeconds = 0.55;
} // namespace

void BezelEngine::stepPurge(double dt)
{
    const bool stale = !wantsOpen || !purgeZone || purgeZone != openZone;
    if (purgeCharge > 0 && (stale || services_.uptime.now() - purgeLastRise > holdSeconds)) {
        purgeCharge = std::max(0.0, purgeCharge - dt / decaySeconds);
        needsStep = true;
    }
    purge.step(std::pow(purgeCharge, 1.35), dt, 0.1, 1.0);
    const int detent = purgeCharge >= 0.999 ? 3 : purgeCharge > 0.62 ? 2 : purgeCharge > 0.3 ? 1 : 0;
    if (detent > purgeDetent)
        services_.haptics.perform(HapticPattern::alignment);
    purgeDetent = detent;
}

void BezelEngine::lapseUndo(const Uuid& id)
{
    liftedItems.erase(id);
}

} // namespace kestrane
