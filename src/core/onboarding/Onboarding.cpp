#include "onboarding/Onboarding.h"

#include "platform/Defaults.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace kestrane {

namespace {
constexpr double settleDuration = 1.1;
constexpr double wakeDuration = 3.9;
constexpr double lessonDuration = 4.6;
constexpr double leavingDuration = 1.5;

// The front takes this long to run half the border (to the middle of the left edge)
// while waking, and the whole border while teaching.
constexpr double frontRunTime = 3.1;
// How far past the far point of the border the front may run while teaching: enough for
// its fading rim to clear the far point, so the band is whole.
constexpr double frontOvershoot = 420;

constexpr double teachingBody = 0.66;

constexpr SpringMotion readingMotion { 1.1, 1.0 };
constexpr SpringMotion hazeInMotion { 0.9, 1.0 };
constexpr SpringMotion hazeOutMotion { 0.8, 1.0 };
constexpr SpringMotion wakeBodyMotion { 1.3, 0.92 };
constexpr SpringMotion teachingBodyMotion { 1.4, 0.95 };
constexpr SpringMotion revealMotion { 0.85, 0.9 };
constexpr SpringMotion presenceOutMotion { 1.1, 1.0 };
constexpr SpringMotion concealMotion { 0.4, 1.0 };
} // namespace

Onboarding::Onboarding(Defaults& defaults, std::function<void()> changed)
    : defaults_(defaults)
    , changed_(std::move(changed))
{
}

// Runs change and tells the view once if anything it reads is different afterwards.
template <typename Change> void Onboarding::changing(Change change)
{
    const IntroductionState before = state_;
    change();
    if (changed_ && !(state_ == before))
        changed_();
}

void Onboarding::start()
{
    if (isRunning())
        return;
    changing([this] {
        // Marked at once, so that quitting in the middle does not replay it next launch.
        markSeen();
        enter(Phase::settle);
        state_.clock = 0;
        state_.step = 0;
        state_.stepProgress = SpringValue::atRest(0);
        state_.haze = SpringValue::atRest(0);
        state_.inkBody = SpringValue::atRest(0);
        state_.inkFrontValue = 0;
        state_.inkPresence = SpringValue::atRest(1);
    });
}

void Onboarding::advance()
{
    if (state_.phase != Phase::teaching)
        return;
    changing([this] { nextLesson(); });
}

void Onboarding::finish()
{
    if (state_.phase == Phase::idle || state_.phase == Phase::leaving)
        return;
    changing([this] { beginLeaving(); });
}

void Onboarding::step(double dt, const ScreenPerimeter& perimeter)
{
    if (state_.phase == Phase::idle)
        return;
    if (!std::isfinite(dt) || dt < 0) {
        logLine("Kestrane: introduction step ignored the frame time " + std::to_string(dt));
        return;
    }
    changing([&] {
        state_.elapsed += dt;
        state_.clock += dt;
        state_.reading.step(state_.phase == Phase::teaching ? 1 : 0, dt, readingMotion);
        stepPhase(dt, perimeter.length());
    });
}

InkField Onboarding::field() const
{
    return { state_.inkFrontValue, state_.inkBody.value * bodyWidth, state_.clock, state_.inkPresence.value };
}

const Onboarding::Lesson& Onboarding::currentLesson() const
{
    const int last = static_cast<int>(introductionLessons.size()) - 1;
    return introductionLessons[static_cast<std::size_t>(std::clamp(state_.step, 0, last))];
}

bool Onboarding::wasSeen() const
{
    return defaults_.boolSetting(seenKey).value_or(false);
}

ScreenPerimeter Onboarding::screenPerimeter(double width, double height)
{
    return { width, height, cornerRadius };
}

void Onboarding::enter(Phase phase)
{
    state_.phase = phase;
    state_.elapsed = 0;
}

void Onboarding::markSeen()
{
    defaults_.setBool(seenKey, true);
}

void Onboarding::nextLesson()
{
    // The lesson clock is not restarted: a lesson reached by a click is shown only for
    // what remains of the current lesson's time.
    if (state_.step + 1 < static_cast<int>(introductionLessons.size())) {
        state_.step += 1;
        state_.stepProgress = SpringValue::atRest(0);
        return;
    }
    beginLeaving();
}

void Onboarding::beginLeaving()
{
    enter(Phase::leaving);
    markSeen();
}

// Each phase moves its springs and the ink front first, then tests its time limit, so
// the frame that crosses the limit still moves everything.
void Onboarding::stepPhase(double dt, double borderLength)
{
    switch (state_.phase) {
    case Phase::settle:
        stepSettle(dt);
        return;
    case Phase::wake:
        stepWake(dt, borderLength);
        return;
    case Phase::teaching:
        stepTeaching(dt, borderLength);
        return;
    case Phase::leaving:
        stepLeaving(dt);
        return;
    case Phase::idle:
        return;
    }
}

void Onboarding::stepSettle(double dt)
{
    state_.haze.step(1, dt, hazeInMotion);
    if (state_.elapsed >= settleDuration)
        enter(Phase::wake);
}

void Onboarding::stepWake(double dt, double borderLength)
{
    state_.haze.step(1, dt, hazeInMotion);
    state_.inkBody.step(1, dt, wakeBodyMotion);
    // Half the border per run time, with no limit: it is past the far point when waking ends.
    state_.inkFrontValue += dt * (borderLength * 0.5 / frontRunTime);
    if (state_.elapsed >= wakeDuration)
        enter(Phase::teaching);
}

void Onboarding::stepTeaching(double dt, double borderLength)
{
    state_.haze.step(1, dt, hazeInMotion);
    state_.inkBody.step(teachingBody, dt, teachingBodyMotion);
    // On long borders waking leaves the front beyond the limit; the first frame here pulls it back.
    const double limit = borderLength * 0.5 + frontOvershoot;
    state_.inkFrontValue = std::min(state_.inkFrontValue + dt * (borderLength / frontRunTime), limit);
    state_.stepProgress.step(1, dt, revealMotion);
    if (state_.elapsed >= lessonDuration) {
        state_.elapsed = 0;
        nextLesson();
    }
}

void Onboarding::stepLeaving(double dt)
{
    state_.haze.step(0, dt, hazeOutMotion);
    state_.inkPresence.step(0, dt, presenceOutMotion);
    state_.stepProgress.step(0, dt, concealMotion);
    if (state_.elapsed >= leavingDuration)
        enter(Phase::idle);
}

} // namespace kestrane
