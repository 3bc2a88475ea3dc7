#include "geometry/PocketShape.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double drawerPadding = 36;
constexpr double shortestDrawer = 112;
} // namespace

double heft(int itemCount)
{
    if (itemCount <= 0)
        return 0;
    return 5.5 + 8.5 * (1 - std::exp(-(itemCount - 1) / 3.2));
}

double pocketFill(int itemCount)
{
    return itemCount < 1 ? 0 : std::clamp(itemCount * 0.125, 0.0, 1.0);
}

double bulgeSpread(double amplitude)
{
    return amplitude > 0 ? 0.62 + 0.38 * std::min(amplitude / 22, 1.8) : 0.62;
}

double drawerHeight(int itemCount)
{
    return std::max(shortestDrawer, std::min(itemCount, drawerVisibleRows) * drawerRowPitch + drawerPadding);
}

} // namespace kestrane
