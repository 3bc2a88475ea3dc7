#include "engine/BezelEngine.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double rowPitch = 46;
constexpr int visibleRows = 6;
constexpr double extraHeight = 36;
constexpr double singleItemHeight = 112;
constexpr double drawerWidth = 214;
constexpr double screenMargin = 16;
constexpr double contentInset = 18;
constexpr double contentSideTrim = 12;
constexpr double minimumContentWidth = 90;
constexpr double openThreshold = 0.001;
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
    resetPurgeGesture();
    openZone = id;
    openItems.clear();
    wantsOpen = true;
    markChanged();
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

void BezelEngine::removeOpenItem(const Uuid& itemID)
{
    if (!openZone)
        return;
    services_.pockets.remove(itemID, *openZone);
    std::erase_if(openItems, [&](const auto& item) { return item->id == itemID; });
    refreshCounts();
    if (openItems.empty())
        closeDrawer();
}

std::optional<Rect> BezelEngine::drawerFrame() const
{
    const BlobRuntime* open = openZone ? blob(*openZone) : nullptr;
    if (!open)
        return std::nullopt;
    const int n = std::max(static_cast<int>(openItems.size()), open->itemCount);
    if (n < 1)
        return std::nullopt;
    const double h = openHeightValue.value > 1 ? openHeightValue.value
        : n == 1                               ? singleItemHeight
                                               : std::min(n, visibleRows) * rowPitch + extraHeight;
    const double lo = h / 2 + screenMargin;
    const double hi = std::max(lo, size.height - h / 2 - screenMargin);
    const double centre = std::min(std::max(open->y.value, lo), hi);
    return Rect { size.width - drawerWidth, centre - h / 2, drawerWidth, h };
}

std::optional<Rect> BezelEngine::openContentRect() const
{
    const auto frame = drawerFrame();
    const auto node = openLayoutNode();
    if (!frame || !node)
        return std::nullopt;
    const BlobRuntime* open = blob(*openZone);
    const int n = std::min(visibleRows, std::max(static_cast<int>(openItems.size()), open ? open->itemCount : 0));
    const double c = std::min(n * rowPitch, frame->height - contentInset);
    const double middle = frame->y + frame->height / 2;
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
    if (!openZone || !(openProgress.value > openThreshold))
        return std::nullopt;
    const BlobRuntime* open = blob(*openZone);
    return open ? node(*open, false) : std::nullopt;
}

std::optional<BezelNode> BezelEngine::openPocketNode() const
{
    if (!openZone || !(openProgress.value > openThreshold))
        return std::nullopt;
    const BlobRuntime* open = blob(*openZone);
    return open ? node(*open, true) : std::nullopt;
}

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
