#include "engine/BezelEngine.h"

#include <algorithm>

namespace kestrane {

namespace {
constexpr double rowPitch = 46;
constexpr int visibleRows = 6;
constexpr double extraHeight = 36;
constexpr double singleItemHeight = 112;
} // namespace

void BezelEngine::stepDrawer(double dt)
{
    if (openZone) {
        if (const BlobRuntime* open = blob(*openZone)) {
            const int n = std::min(visibleRows, std::max(static_cast<int>(openItems.size()), open->itemCount));
            const double target = std::max(singleItemHeight, n * rowPitch + extraHeight);
            // The height starts at 0 and is never reset, so the first opening starts at its size.
            if (openHeightValue.value == 0)
                openHeightValue = SpringValue::atRest(target);
            openHeightValue.step(target, dt, 0.52, 0.86);
        }
    }
    if (wantsOpen)
        openProgress.step(1, dt, 0.52, 0.92);
    else
        openProgress.step(0, dt, 0.3, 1.0);
    // The only place where the drawer's pocket is let go.
    if (!wantsOpen && openProgress.value < 0.001 && openZone) {
        openZone.reset();
        openItems.clear();
    }
}

} // namespace kestrane
