#include "onboarding/Onboarding.h"

#include "platform/MemoryDefaults.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kestrane;

namespace {
using Phase = OnboardingPhase;

// A binary fraction, so that elapsed times add up exactly.
constexpr double frame = 1.0 / 64;
const ScreenPerimeter screen = Onboarding::screenPerimeter(1000, 800);

class OnboardingTest : public ::testing::Test {
protected:
    MemoryDefaults defaults;
    int changes = 0;
    Onboarding flow { defaults, [this] { ++changes; } };

    // Steps frame by frame until the phase changes; returns the frames taken.
    int runPhase()
    {
        const Phase phase = flow.phase();
        int frames = 0;
        while (flow.phase() == phase && frames < 10000) {
            flow.step(frame, screen);
            ++frames;
        }
        return frames;
    }

    void runFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            flow.step(frame, screen);
    }

    void startTeaching()
    {
        flow.start();
        runPhase();
        runPhase();
        ASSERT_EQ(flow.phase(), Phase::teaching);
    }
};
} // namespace

TEST_F(OnboardingTest, PhasesLastTheirTimesAndTheWholeSequenceRunsThroughEveryLesson)
{
    flow.start();
    EXPECT_EQ(flow.phase(), Phase::settle);
    // 1.1 s is first reached on frame 71 (71 / 64 ≈ 1.109); elapsed restarts there.
    EXPECT_EQ(runPhase(), 71);
    EXPECT_EQ(flow.phase(), Phase::wake);
    EXPECT_EQ(flow.state().elapsed, 0);
    EXPECT_GT(flow.state().haze.value, 0.5);
    EXPECT_EQ(runPhase(), 250);
    EXPECT_EQ(flow.phase(), Phase::teaching);

    for (int lesson = 0; lesson < 5; ++lesson) {
        EXPECT_EQ(flow.state().step, lesson);
        EXPECT_EQ(flow.state().stepProgress, SpringValue::atRest(0));
        if (lesson < 4) {
            runFrames(295);
            EXPECT_EQ(flow.state().step, lesson + 1);
        } else {
            EXPECT_EQ(runPhase(), 295);
        }
    }
    EXPECT_EQ(flow.phase(), Phase::leaving);
    EXPECT_EQ(runPhase(), 96);
    EXPECT_EQ(flow.phase(), Phase::idle);
    EXPECT_NEAR(flow.state().clock, 29.5, 8 * frame);
    EXPECT_NEAR(flow.state().inkPresence.value, 0, 0.05);
}

TEST_F(OnboardingTest, InkFrontRunsPastTheFarPointThenHoldsAtItsLimit)
{
    flow.start();
    runPhase();
    runFrames(124);
    // Half the border in 3.1 s: the far point after 124 frames of wake.
    EXPECT_NEAR(flow.state().inkFrontValue, screen.length() / 2 * (124 * frame / 3.1), 1e-9);
    runPhase();
    EXPECT_EQ(flow.phase(), Phase::teaching);
    EXPECT_NEAR(flow.state().inkFrontValue, 2211.9, 0.1);
    // The first teaching frame pulls the front back to L / 2 + 420.
    const double limit = screen.length() / 2 + 420;
    EXPECT_NEAR(limit, 2175.36, 0.01);
    runFrames(1);
    EXPECT_DOUBLE_EQ(flow.state().inkFrontValue, limit);
    runFrames(200);
    EXPECT_DOUBLE_EQ(flow.state().inkFrontValue, limit);

    const InkField field = flow.field();
    EXPECT_EQ(field.front, limit);
    EXPECT_DOUBLE_EQ(field.body, flow.state().inkBody.value * 26);
    EXPECT_EQ(field.clock, flow.state().clock);
    EXPECT_EQ(field.presence, 1);
}

TEST_F(OnboardingTest, ClicksCountOnlyWhileTeachingAndDoNotRestartTheLessonClock)
{
    flow.advance();
    flow.finish();
    EXPECT_EQ(flow.phase(), Phase::idle);
    EXPECT_EQ(changes, 0);

    flow.start();
    runFrames(10);
    const OnboardingState settling = flow.state();
    const int changesBefore = changes;
    flow.advance();
    EXPECT_EQ(flow.state(), settling);
    EXPECT_EQ(changes, changesBefore);
    runPhase();
    flow.advance();
    EXPECT_EQ(flow.phase(), Phase::wake);
    runPhase();

    // A click at 3 s moves on; the next lesson then ends by itself 1.6 s later.
    runFrames(192);
    flow.advance();
    EXPECT_EQ(flow.state().step, 1);
    EXPECT_EQ(flow.state().elapsed, 3);
    runFrames(103);
    EXPECT_EQ(flow.state().step, 2);

    flow.advance();
    flow.advance();
    EXPECT_EQ(flow.state().step, 4);
    flow.advance();
    EXPECT_EQ(flow.phase(), Phase::leaving);
    const OnboardingState leaving = flow.state();
    flow.advance();
    flow.finish();
    flow.start();
    EXPECT_EQ(flow.state(), leaving);
}

TEST_F(OnboardingTest, EscapeWhileWakingFadesTheInkButKeepsItsBody)
{
    flow.start();
    runPhase();
    runFrames(60);
    flow.finish();
    EXPECT_EQ(flow.phase(), Phase::leaving);
    EXPECT_EQ(flow.state().elapsed, 0);
    const double body = flow.state().inkBody.value;
    const double front = flow.state().inkFrontValue;
    runFrames(40);
    EXPECT_EQ(flow.state().inkBody.value, body);
    EXPECT_EQ(flow.state().inkFrontValue, front);
    EXPECT_LT(flow.state().inkPresence.value, 0.6);
    EXPECT_LT(flow.state().haze.value, 0.6);
    EXPECT_EQ(runPhase(), 56);
    EXPECT_FALSE(flow.isRunning());
}

TEST_F(OnboardingTest, ReplayStartsAgainFromTheFirstLesson)
{
    startTeaching();
    flow.advance();
    flow.advance();
    flow.finish();
    runPhase();
    ASSERT_EQ(flow.phase(), Phase::idle);

    flow.start();
    EXPECT_EQ(flow.phase(), Phase::settle);
    EXPECT_EQ(flow.state().step, 0);
    EXPECT_EQ(flow.state().clock, 0);
    EXPECT_EQ(flow.state().inkFrontValue, 0);
    EXPECT_EQ(flow.state().inkPresence, SpringValue::atRest(1));
    EXPECT_EQ(flow.state().inkBody, SpringValue::atRest(0));
    EXPECT_EQ(flow.state().haze, SpringValue::atRest(0));
    EXPECT_EQ(flow.field().front, 0);
}

TEST_F(OnboardingTest, SeenFlagIsSetWhenTheSequenceStarts)
{
    EXPECT_FALSE(flow.wasSeen());
    flow.start();
    EXPECT_TRUE(defaults.boolValue("kestrane.onboarding.seen.v1"));
    defaults.setBool(Onboarding::seenKey, false);
    flow.finish();
    EXPECT_TRUE(flow.wasSeen());
}

TEST_F(OnboardingTest, ViewIsToldOncePerChangeAndNeverWhileIdle)
{
    const EngineIntroduction& introduction = flow;
    flow.step(frame, screen);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(introduction.isRunning());

    flow.start();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(introduction.isRunning());
    runFrames(3);
    EXPECT_EQ(changes, 4);
    flow.start();
    EXPECT_EQ(changes, 4);

    // A broken frame time changes nothing.
    const OnboardingState before = flow.state();
    flow.step(std::numeric_limits<double>::quiet_NaN(), screen);
    flow.step(-1, screen);
    EXPECT_EQ(flow.state(), before);
    EXPECT_EQ(changes, 4);
}
