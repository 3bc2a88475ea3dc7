#pragma once

#include "geometry/Point.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrane {

class BezelEngine;
class EngineIntroduction;

// What the desktop samples once per frame.
struct FrameInput {
    // Seconds on a monotonic clock.
    double now = 0;
    // The pointer in screen coordinates, absent when it is on no screen we know.
    std::optional<Point> mouse;
    // The pointer in the overlay's coordinates, absent when it is outside the overlay.
    std::optional<Point> local;
    bool buttonsDown = false;
    // How often the drag selection has changed hands since the program started.
    std::uint64_t dragSelectionChanges = 0;
    // A press the overlay received is in progress.
    bool pressHeld = false;
    // When the overlay last received a wheel event, on the same clock as now.
    double lastWheel = -1;
};

// What the desktop must do after the frame.
struct FrameOutput {
    bool stepped = false;
    bool pointerMoved = false;
    // Clicks reach the overlay only inside these rectangles (empty: nowhere).
    std::vector<Rect> clickable;
    // The same for a surface that learns where the pointer is only while it is over the
    // surface: while the clicks pass everywhere, the pockets that hold items still take
    // them, so that the pointer can be seen coming onto them, and an empty pocket keeps the
    // screen's last points beside it (`edgeSliver`), where a flung pointer or a drag stops.
    std::vector<Rect> clickableUnseen;
    // Where the overlay stands between the user and the desktop beyond the pockets (the
    // introduction, edit mode, a drawer, a drop strip), whether or not it takes clicks
    // this frame; empty when only the pockets matter.
    std::vector<Rect> covered;
    // The overlay needs the whole screen: a drawer, edit mode or the introduction.
    bool wholeScreen = false;
    // Few frames per second will do: nothing has moved for a while.
    bool idle = false;
    // No frame is needed until an event says something may move: idle, and no button is
    // held that may start a drag or end one.
    bool asleep = false;
};

// The per-frame logic of the overlay: elapsed time, a drag started in another program,
// the engine and introduction steps, where clicks may land and when to slow down.
class FrameLoop {
public:
    static constexpr double largestStep = 0.05;
    static constexpr double movementThreshold = 0.1;
    static constexpr int idleThreshold = 31;
    static constexpr double dragProbeInterval = 0.05;
    static constexpr double dragEndDelay = 0.5;
    static constexpr int transparencyGrace = 12;
    static constexpr double systemDragReach = 120;
    static constexpr double edgeSliver = 2;
    // How far from the right edge a pointer wakes a sleeping loop: beyond the farthest
    // reach of anything on the edge that answers the pointer.
    static constexpr double wakeReach = 300;

    FrameLoop(BezelEngine& engine, const EngineIntroduction& introduction);

    // stepViews is called with dt after the engine's step, and answers whether anything the
    // views animate on their own is still moving.
    template <typename StepViews> FrameOutput tick(const FrameInput& input, StepViews stepViews)
    {
        FrameOutput output;
        const double dt = elapsed(input.now);
        if (dt == 0)
            return output;
        beforeStep(input, output);
        stepEngine(dt);
        const bool viewsMoving = stepViews(dt);
        afterStep(input, viewsMoving, output);
        return output;
    }

    void restart(double now) { lastTickTime_ = now; }

private:
    double elapsed(double now);
    void beforeStep(const FrameInput& input, FrameOutput& output);
    void stepEngine(double dt);
    void afterStep(const FrameInput& input, bool viewsMoving, FrameOutput& output);
    void detectSystemDrag(const FrameInput& input);
    bool ignoresMouse(const FrameInput& input);
    std::vector<Rect> clickableRegion(bool unseen = false) const;
    void followWheel(const FrameInput& input);
    bool reachesBeyondPockets() const;
    bool needsWholeScreen() const;

    BezelEngine& engine_;
    const EngineIntroduction& introduction_;
    double lastTickTime_ = 0;
    std::optional<Point> lastMouse_;
    bool moved_ = false;
    int idleTicks_ = 0;
    int liveGrace_ = 0;
    bool ignoring_ = true;
    bool lastButtonsDown_ = false;
    std::uint64_t dragProbeBaseline_ = 0;
    double lastDragProbe_ = 0;
    double lastButtonDownTime_ = 0;
    double lastWheel_ = -1;
    // A wheel gesture that began over an open drawer lasts until then.
    double wheelGestureEnd_ = -1;
    bool wheelGesture_ = false;
};

} // namespace kestrane
