#pragma once

#include "engine/EngineIntroduction.h"
#include "geometry/InkField.h"
#include "geometry/ScreenPerimeter.h"
#include "onboarding/IntroductionLesson.h"
#include "onboarding/IntroductionState.h"

#include <functional>
#include <string_view>

namespace kestrane {

class Defaults;

// The first-run introduction as a state machine: the screen dims, ink seeps out of the
// middle of the right edge and runs round the border, then the lessons are taught one
// after another, each for a few seconds or until a click. Stepped once per display frame;
// it knows nothing about drawing.
class Onboarding final : public EngineIntroduction {
public:
    using Phase = IntroductionPhase;
    using Lesson = IntroductionLesson;

    static constexpr std::string_view seenKey = "kestrane.onboarding.seen.v1";
    // The corner radius of the screen outline the frame loop and the view hand over.
    static constexpr double cornerRadius = 52;
    // The ink band's thickness at a body spring value of 1.
    static constexpr double bodyWidth = 26;

    // changed is called once after any operation that changed a value the view reads.
    explicit Onboarding(Defaults& defaults, std::function<void()> changed = {});

    // Begins the sequence unless it is already running.
    void start();
    // Moves to the next lesson, or finishes after the last; ignored outside teaching.
    void advance();
    // Begins the closing fade; ignored when idle or already leaving.
    void finish();
    // Advances clocks, springs and phases by one frame; a no-op while idle.
    void step(double dt, const ScreenPerimeter& perimeter);

    InkField field() const;
    const IntroductionState& state() const { return state_; }
    Phase phase() const { return state_.phase; }
    bool isRunning() const override { return state_.phase != Phase::idle; }
    // The lesson the view shows: the current one, never past the last.
    const Lesson& currentLesson() const;
    bool wasSeen() const;

    static ScreenPerimeter screenPerimeter(double width, double height);

private:
    template <typename Change> void changing(Change change);
    void enter(Phase phase);
    void markSeen();
    void nextLesson();
    void beginLeaving();
    void stepPhase(double dt, double borderLength);
    void stepSettle(double dt);
    void stepWake(double dt, double borderLength);
    void stepTeaching(double dt, double borderLength);
    void stepLeaving(double dt);

    Defaults& defaults_;
    std::function<void()> changed_;
    IntroductionState state_;
};

} // namespace kestrane
