#include "onboarding/Onboarding.h"

#include "platform/MemoryDefaults.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kestrane;

namespace {
using Phase = IntroductionPhase;

// A binary fraction, so that elapsed times add up exactly.
constexpr double frame = 1.0 / 64;
const ScreenPerimeter screen = Onboarding::screenPerimeter(1000, 800);

class OnboardingTest : public ::testing::Test {
protected:
    MemoryDefaults defaults;
    int changes = 0;
    Onboarding flow { defaults, [this] { ++changes; } };

    // Steps until the phase changes; returns the frames taken.
    int runPhase()
    {
        const Phase phase = flow.phase();
        int frames = 0;
        for (; flow.phase() == phase && frames < 10000; ++frames)
            flow.step(frame, screen);
        return frames;
    }

    void runFrames(int count)
    {
        while (count-- > 0)
            flow.step(frame, screen);
    }
};
} // namespace

TEST_F(OnboardingTest, PhasesLastTheirTimesAndTheInkFrontRunsPastTheFarPointThenHoldsAtItsLimit)
{
    flow.start();
    // 1.1 s is first reached on frame 71 (71 / 64 ≈ 1.109); elapsed restarts there.
    EXPECT_EQ(runPhase(), 71);
    // Half the border in 3.1 s, for the 3.9 s of waking: past the far point at its end.
    EXPECT_EQ(runPhase(), 250);
    EXPECT_NEAR(flow.state().inkFrontValue, 2211.9, 0.1);
    // From the first teaching frame on, the front is held at L / 2 + 420.
    for (int lesson = 0; lesson < 4; ++lesson) {
        EXPECT_EQ(flow.state().step, lesson);
        runFrames(1);
        EXPECT_NEAR(flow.state().inkFrontValue, 2175.36, 0.01);
        runFrames(294);
        EXPECT_EQ(flow.state().stepProgress, SpringValue::atRest(0));
    }
    EXPECT_EQ(flow.field(), (InkField { flow.state().inkFrontValue, flow.state().inkBody.value * 26, flow.state().clock, 1 }));
    EXPECT_EQ(runPhase(), 295);
    EXPECT_EQ(runPhase(), 96);
    EXPECT_EQ(flow.phase(), Phase::idle);
    EXPECT_NEAR(flow.state().clock, 29.5, 8 * frame);
}

TEST_F(OnboardingTest, ClicksCountOnlyWhileTeachingAndDoNotRestartTheLessonClock)
{
    flow.advance();
    flow.finish();
    flow.step(frame, screen);
    EXPECT_TRUE(flow.phase() == Phase::idle && changes == 0);

    // The view is told once per change; ignored clicks and broken frames change nothing.
    flow.start();
    runFrames(10);
    const IntroductionState settling = flow.state();
    flow.advance();
    flow.step(std::numeric_limits<double>::quiet_NaN(), screen);
    flow.step(-1, screen);
    EXPECT_EQ(flow.state(), settling);
    EXPECT_EQ(changes, 11);
    runPhase();
    runPhase();

    // A click at 3 s moves on; the next lesson then ends by itself 1.6 s later.
    runFrames(192);
    flow.advance();
    EXPECT_EQ(std::pair(flow.state().step, flow.state().elapsed), std::pair(1, 3.0));
    runFrames(103);
    EXPECT_EQ(flow.state().step, 2);

    for (int click = 0; click < 3; ++click)
        flow.advance();
    EXPECT_EQ(flow.phase(), Phase::leaving);
    const IntroductionState leaving = flow.state();
    flow.advance();
    flow.finish();
    flow.start();
    EXPECT_EQ(flow.state(), leaving);
}

TEST_F(OnboardingTest, EscapeWhileWakingFadesTheInkButKeepsItsBodyAndAReplayStartsAfresh)
{
    EXPECT_FALSE(flow.wasSeen());
    flow.start();
    EXPECT_EQ(defaults.boolValue("kestrane.onboarding.seen.v1"), true);
    defaults.setBool(Onboarding::seenKey, false);
    runPhase();
    runFrames(60);
    flow.finish();
    EXPECT_EQ(flow.phase(), Phase::leaving);
    EXPECT_TRUE(flow.wasSeen()) << "marked again when it ends";
    const IntroductionState left = flow.state();
    runFrames(40);
    EXPECT_EQ(std::pair(flow.state().inkBody, flow.state().inkFrontValue), std::pair(left.inkBody, left.inkFrontValue));
    EXPECT_LT(std::max(flow.state().inkPresence.value, flow.state().haze.value), 0.6);
    EXPECT_EQ(runPhase(), 56);
    EXPECT_FALSE(static_cast<const EngineIntroduction&>(flow).isRunning());

    // Everything but the text's fade starts as on a first run.
    flow.start();
    Onboarding firstRun { defaults };
    firstRun.start();
    IntroductionState expected = firstRun.state();
    expected.reading = flow.state().reading;
    EXPECT_EQ(flow.state(), expected);
    EXPECT_EQ(expected.inkPresence, SpringValue::atRest(1));
}
