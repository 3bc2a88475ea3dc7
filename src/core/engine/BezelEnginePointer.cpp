#include "engine/BezelEngine.h"
#include "platform/Clock.h"
#include "preferences/HapticPattern.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double plusActiveProgress = 0.4;
constexpr double controlsMargin = 8;
constexpr double controlsSide = 54;
constexpr double controlsRightInset = 34;
constexpr double dragTimeReach = 120;
constexpr double clickMovementLimit = 5;
constexpr double clickTimeLimit = 0.5;

bool contains(const Rect& rect, Point point)
{
    return point.x >= rect.x && point.x <= rect.x + rect.width && point.y >= rect.y && point.y <= rect.y + rect.height;
}

Rect enlarged(const Rect& rect, double by)
{
    return { rect.x - by, rect.y - by, rect.width + 2 * by, rect.height + 2 * by };
}

double distance(Point a, Point b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}
} // namespace

void BezelEngine::updatePointer(std::optional<Point> point)
{
    const bool changed = point != pointer;
    pointer = point;
    if (changed && isSystemDragActive)
        updateDropTarget();
    if (dragSession && point)
        dragSession->moved = std::max(dragSession->moved, distance(dragSession->startPoint, *point));
}

void BezelEngine::notePointerMoved()
{
    if (!wantsOpen)
        return;
    ++pointerTick;
    markChanged();
}

std::optional<Rect> BezelEngine::controlsFrame() const
{
    if (editProgress.value <= 0.05)
        return std::nullopt;
    return Rect { size.width - controlsRightInset - controlsSide, size.height - editBarBottom() - controlsSide, controlsSide, controlsSide };
}

std::optional<HitTarget> BezelEngine::hitTest(Point point) const
{
    if (point.x < size.width - hitBandWidth)
        return std::nullopt;
    if (auto controls = controlsFrame(); controls && contains(enlarged(*controls, controlsMargin), point))
        return std::nullopt;
    if (editProgress.value > plusActiveProgress && std::abs(point.y - plusCenter) <= hitHalfHeight)
        return HitTarget::plus();
    const BlobRuntime* nearest = nullptr;
    double nearestDistance = 0;
    for (const BlobRuntime& pocket : blobs) {
        const double d = std::abs(point.y - pocket.y.value);
        if (pocket.isDying || d > hitHalfHeight)
            continue;
        // Strictly nearer only, so the earlier pocket wins a tie.
        if (!nearest || d < nearestDistance) {
            nearest = &pocket;
            nearestDistance = d;
        }
    }
    if (!nearest)
        return std::nullopt;
    return HitTarget::pocket(nearest->config.id);
}

bool BezelEngine::wantsMouseEvents() const
{
    if (isSystemDragActive)
        return pointer && pointer->x >= size.width - dragTimeReach;
    if (services_.introduction.isRunning() || isEditing || dragSession || editProgress.value > 0.01 || wantsOpen || openProgress.value > 0.01)
        return true;
    if (!pointer)
        return false;
    const auto target = hitTest(*pointer);
    const Uuid* id = target ? target->blobID() : nullptr;
    const BlobRuntime* hit = id ? pocket(*id) : nullptr;
    return hit && hit->itemCount >= 1;
}

void BezelEngine::mouseDown(Point point)
{
    const auto target = hitTest(point);
    const Uuid* id = target ? target->blobID() : nullptr;
    if (id && !isEditing)
        beginPullCount(*id, point);
    if (!id || !isEditing || !isEditable(*id))
        return;
    const BlobRuntime* pressed = pocket(*id);
    if (!pressed)
        return;
    dragSession = DragSession { *id, point.y - pressed->y.value, point, services_.uptime.now(), 0 };
    markChanged();
    services_.haptics.perform(HapticPattern::levelChange);
}

void BezelEngine::mouseUp(Point point)
{
    endPullCount();
    const auto target = hitTest(point);
    if (dragSession) {
        const DragSession session = *dragSession;
        dragSession.reset();
        markChanged();
        if (session.moved >= clickMovementLimit || services_.uptime.now() - session.startTime >= clickTimeLimit) {
            settleDrag(session.blobID);
            services_.haptics.perform(HapticPattern::levelChange);
            saveZones();
            return;
        }
        saveZones();
    }
    if (!target) {
        if (isEditing)
            endSoloEditing();
        else
            closeDrawer();
        return;
    }
    if (target->isPlus()) {
        if (isEditing)
            addZone();
        return;
    }
    const Uuid id = *target->blobID();
    if (soloEditing && *soloEditing != id)
        endSoloEditing();
    if (!isEditable(id) && services_.pockets.itemCount(id) >= 1)
        toggleOpen(id);
}

void BezelEngine::settleDrag(const Uuid& id)
{
    BlobRuntime* dropped = mutablePocket(id);
    if (!dropped)
        return;
    const double height = std::max(1.0, size.height);
    const double y = dropped->targetY;
    std::vector<double> others;
    for (const BlobRuntime& pocket : blobs) {
        if (&pocket != dropped && pocket.isLiving())
            others.push_back(pocket.targetY);
    }
    const auto slot = nearestFreeSlot(y, others, height);
    if (slot && std::abs(*slot - y) > 0.5) {
        dropped->config.anchor = *slot / height;
        dropped->targetY = *slot;
    }
}

} // namespace kestrane
