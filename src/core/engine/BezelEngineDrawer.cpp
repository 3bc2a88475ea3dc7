#include "engine/BezelEngine.h"
#include "geometry/PocketShape.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double contentInset = 18;
constexpr double contentSideTrim = 12;
constexpr double minimumContentWidth = 90;
constexpr SpringMotion heightMotion { 0.52, 0.86 };
constexpr SpringMotion openingMotion { 0.52, 0.92 };
constexpr SpringMotion closingMotion { 0.3, 1.0 };
} // namespace

void BezelEngine::toggleOpen(const Uuid& id)
{
    if (openZone == id) {
        // A drawer that is already closing is left to finish.
        closeDrawer();
        return;
    }
    openDrawer(id);
}

void BezelEngine::openDrawer(const Uuid& id)
{
    if (services_.pockets.itemCount(id) < 1)
        return;
    if (wantsOpen && openZone == id)
        return;
    resetClearingGesture();
    openZone = id;
    openItems.clear();
    wantsOpen = true;
    markChanged();
    resolveOpenItems(id);
}

void BezelEngine::resolveOpenItems(const Uuid& id)
{
    services_.pockets.resolveAsync(id, [weak = std::weak_ptr<BezelEngine*>(self_), id](ResolvedPocketItems items) {
        auto alive = weak.lock();
        if (!alive)
            return;
        BezelEngine& engine = **alive;
        // The user switched pockets, or the drawer closed, while the items resolved.
        if (engine.openZone != id)
            return;
        if (items.empty()) {
            engine.closeDrawer();
            engine.refreshCounts();
            return;
        }
        engine.openItems = std::move(items);
        engine.markChanged();
    });
}

void BezelEngine::closeDrawer()
{
    if (!wantsOpen)
        return;
    wantsOpen = false;
    purgePast = 0;
    markChanged();
}

void BezelEngine::itemOpened()
{
    closeDrawer();
    setEditing(false);
}

void BezelEngine::removeOpenItem(const Uuid& item)
{
    if (!openZone)
        return;
    // A copy: callers may pass the id of an open item, which the erase below destroys.
    const Uuid itemID = item;
    services_.pockets.remove(itemID, *openZone);
    std::erase_if(openItems, [&](const auto& open) { return open->id == itemID; });
    refreshCounts();
    if (openItems.empty())
        closeDrawer();
}

void BezelEngine::beginRowDrag()
{
    dragOriginZone = openZone ? *openZone : Uuid::random();
    markChanged();
}

std::optional<Rect> BezelEngine::drawerFrame() const
{
    const BlobRuntime* open = openZone ? pocket(*openZone) : nullptr;
    if (!open)
        return std::nullopt;
    if (std::max(static_cast<int>(openItems.size()), open->itemCount) < 1)
        return std::nullopt;
    const double h = openDrawerHeight(open->itemCount);
    const double centre = drawerCentre(open->y.value, h / 2);
    return Rect { size.width - drawerWidth, centre - h / 2, drawerWidth, h };
}

double BezelEngine::openDrawerHeight(int pocketItemCount) const
{
    if (openHeightValue.value > 1)
        return openHeightValue.value;
    return drawerHeight(std::max(static_cast<int>(openItems.size()), pocketItemCount));
}

double BezelEngine::drawerCentre(double pocketY, double halfHeight) const
{
    const double lo = halfHeight + drawerScreenMargin;
    const double hi = std::max(lo, size.height - halfHeight - drawerScreenMargin);
    return std::min(hi, std::max(lo, pocketY));
}

std::optional<Rect> BezelEngine::openContentRect() const
{
    const auto drawerRect = drawerFrame();
    const auto node = openLayoutNode();
    if (!drawerRect || !node)
        return std::nullopt;
    const BlobRuntime* open = pocket(*openZone);
    const int n = std::min(drawerVisibleRows, std::max(static_cast<int>(openItems.size()), open ? open->itemCount : 0));
    const double c = std::min(n * drawerRowPitch, drawerRect->height - contentInset);
    const double middle = drawerRect->y + drawerRect->height / 2;
    const double lowerEdge = middle + c / 2;
    const double d = std::abs(lowerEdge - node->center);
    const double reach = node->core + (lowerEdge >= node->center ? node->falloffBottom : node->falloffTop);
    double w = minimumContentWidth;
    // The rows are as wide as the bulge is at their lower edge, less a margin.
    if (reach > 0 && d < reach) {
        const double e = node->squircleExponent;
        const double p = std::pow(std::max(0.0, 1 - std::pow(d / reach, e)), 1 / e);
        w = std::max(minimumContentWidth, drawerWidth * p - contentSideTrim);
    }
    return Rect { size.width - w, middle - c / 2, w, c };
}

std::optional<BezelNode> BezelEngine::openLayoutNode() const
{
    if (!openZone || !(openProgress.value > drawerShownProgress))
        return std::nullopt;
    const BlobRuntime* open = pocket(*openZone);
    return open ? node(*open, false) : std::nullopt;
}

std::optional<BezelNode> BezelEngine::openPocketNode() const
{
    if (!openZone || !(openProgress.value > drawerShownProgress))
        return std::nullopt;
    const BlobRuntime* open = pocket(*openZone);
    return open ? node(*open, true) : std::nullopt;
}

void BezelEngine::stepDrawer(double dt)
{
    if (openZone) {
        if (const BlobRuntime* open = pocket(*openZone)) {
            const double target = drawerHeight(std::max(static_cast<int>(openItems.size()), open->itemCount));
            // The height starts at 0 and is never reset, so the first opening starts at its size.
            if (openHeightValue.value == 0)
                openHeightValue = SpringValue::atRest(target);
            openHeightValue.step(target, dt, heightMotion);
        }
    }
    if (wantsOpen)
        openProgress.step(1, dt, openingMotion);
    else
        openProgress.step(0, dt, closingMotion);
    // The only place where the drawer's pocket is let go.
    if (!wantsOpen && openProgress.value < drawerShownProgress && openZone) {
        openZone.reset();
        openItems.clear();
    }
}

} // namespace kestrane
