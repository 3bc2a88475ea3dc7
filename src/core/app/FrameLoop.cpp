#include "app/FrameLoop.h"

#include "engine/BezelEngine.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
double distance(const std::optional<Point>& a, const std::optional<Point>& b)
{
    if (!a || !b)
        return a || b ? INFINITY : 0;
    return std::hypot(a->x - b->x, a->y - b->y);
}
} // namespace

FrameLoop::FrameLoop(BezelEngine& engine, const EngineIntroduction& introduction)
    : engine_(engine)
    , introduction_(introduction)
{
}

double FrameLoop::elapsed(double now)
{
    const double dt = std::clamp(now - lastTickTime_, 0.0, largestStep);
    lastTickTime_ = now;
    return dt;
}

void FrameLoop::beforeStep(const FrameInput& input, FrameOutput& output)
{
    moved_ = distance(input.mouse, lastMouse_) > movementThreshold;
    lastMouse_ = input.mouse;
    detectSystemDrag(input);
    if (moved_)
        engine_.notePointerMoved();
    engine_.updatePointer(input.local);
    output.pointerMoved = moved_;
}

void FrameLoop::stepEngine(double dt)
{
    engine_.step(dt);
}

void FrameLoop::afterStep(const FrameInput& input, bool viewsMoving, FrameOutput& output)
{
    followWheel(input);
    output.stepped = true;
    const bool ignoring = ignoresMouse(input);
    output.clickable = ignoring ? std::vector<Rect> {} : clickableRegion();
    output.clickableUnseen = ignoring ? clickableRegion(true) : output.clickable;
    if (reachesBeyondPockets())
        output.covered = clickableRegion();
    output.wholeScreen = needsWholeScreen();
    const bool still = engine_.isQuiescent() && !viewsMoving && !moved_ && !input.pressHeld && !introduction_.isRunning() && !wheelGesture_;
    idleTicks_ = still ? idleTicks_ + 1 : 0;
    output.idle = idleTicks_ >= idleThreshold;
    output.asleep = output.idle && !input.buttonsDown && !engine_.state().isSystemDragActive;
}

// Scrolling on past the end clears the pocket and closes its drawer, but the wheel goes on
// turning a moment: the overlay keeps the screen until the wheel has been still for the
// gap that ends a clearing gesture, so those notches never reach the windows below.
void FrameLoop::followWheel(const FrameInput& input)
{
    if (input.lastWheel > lastWheel_) {
        lastWheel_ = input.lastWheel;
        if (engine_.state().wantsOpen || lastWheel_ < wheelGestureEnd_)
            wheelGestureEnd_ = lastWheel_ + BezelEngine::clearingHold;
    }
    wheelGesture_ = input.now < wheelGestureEnd_;
}

// A drag started in another program sends us nothing until it reaches the overlay, but it
// takes over the drag selection while a button is held.
void FrameLoop::detectSystemDrag(const FrameInput& input)
{
    if (input.buttonsDown) {
        lastButtonDownTime_ = input.now;
        if (!lastButtonsDown_) {
            lastButtonsDown_ = true;
            dragProbeBaseline_ = input.dragSelectionChanges;
            lastDragProbe_ = input.now;
        }
    } else {
        lastButtonsDown_ = false;
    }

    if (!input.buttonsDown && engine_.state().isSystemDragActive) {
        if (engine_.state().dragPayload || input.now - lastButtonDownTime_ <= dragEndDelay)
            return;
        engine_.endSystemDrag();
    } else if (input.buttonsDown && !engine_.state().isSystemDragActive) {
        if (input.now - lastDragProbe_ <= dragProbeInterval)
            return;
        lastDragProbe_ = input.now;
        if (input.dragSelectionChanges == dragProbeBaseline_)
            return;
        engine_.beginSystemDrag();
    }
}

// After the engine stops wanting the mouse, clicks are still taken for a few frames so a
// click that is on its way is not lost to the application below.
bool FrameLoop::ignoresMouse(const FrameInput& input)
{
    if (input.pressHeld && !engine_.state().isSystemDragActive)
        return ignoring_;
    if (engine_.wantsMouseEvents() || wheelGesture_) {
        liveGrace_ = transparencyGrace;
        ignoring_ = false;
    } else if (liveGrace_ >= 1) {
        --liveGrace_;
        ignoring_ = liveGrace_ == 0;
    } else {
        ignoring_ = true;
    }
    return ignoring_;
}

bool FrameLoop::reachesBeyondPockets() const
{
    return needsWholeScreen() || engine_.state().isSystemDragActive;
}

bool FrameLoop::needsWholeScreen() const
{
    const BezelState& state = engine_.state();
    const bool drawerShut = !state.wantsOpen && state.openProgress.value <= 0.01;
    return introduction_.isRunning() || !drawerShut || state.isEditing || state.editProgress.value > 0.01 || wheelGesture_;
}

// Where clicks land on the overlay when it takes clicks at all.
std::vector<Rect> FrameLoop::clickableRegion(bool unseen) const
{
    const BezelState& state = engine_.state();
    const Size size = state.size;
    const Rect everywhere { 0, 0, size.width, size.height };
    if (introduction_.isRunning() || wheelGesture_)
        return { everywhere };
    const bool drawerShut = !state.wantsOpen && state.openProgress.value <= 0.01;
    if (drawerShut && !state.isSystemDragActive) {
        if (state.editProgress.value > 0.01)
            return { everywhere };
        constexpr double band = BezelEngine::hitBandWidth;
        constexpr double half = BezelEngine::hitHalfHeight;
        std::vector<Rect> pockets;
        for (const BlobRuntime& pocket : state.blobs) {
            if (pocket.isDying)
                continue;
            const double width = unseen && pocket.itemCount < 1 ? edgeSliver : band;
            pockets.push_back({ size.width - width, pocket.y.value - half, width, 2 * half });
        }
        return pockets;
    }
    if (state.isSystemDragActive)
        return { { size.width - systemDragReach, 0, systemDragReach, size.height } };
    return { everywhere };
}

} // namespace kestrane
