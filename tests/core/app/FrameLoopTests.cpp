#include "app/FrameLoop.h"
#include "engine/EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class FrameLoopTest : public EngineFixture {
protected:
    std::unique_ptr<FrameLoop> loop;
    FrameInput input { 0, Point { 200, 200 }, Point { 200, 200 } };
    Dropzone pocket;
    bool viewsMoving = false;

    void SetUp() override
    {
        pocket = startWithOnePocket(1);
        loop = std::make_unique<FrameLoop>(*engine, introduction);
    }

    FrameOutput tick(double seconds = frame)
    {
        input.now += seconds;
        return loop->tick(input, [&](double) { return viewsMoving; });
    }
};
} // namespace

TEST_F(FrameLoopTest, StepsAreCappedARepeatedTimeDoesNothingAndAStillEdgeIdles)
{
    EXPECT_TRUE(tick(1).stepped);
    EXPECT_FALSE(tick(0).stepped);
    double introductionDt = 0;
    input.now += 2;
    loop->tick(input, [&](double dt) {
        introductionDt = dt;
        return false;
    });
    EXPECT_EQ(introductionDt, 0.05);

    // A still edge slows down on the 31st tick and wakes on motion or a press.
    const auto ticksUntilIdle = [&] {
        int ticks = 1;
        for (; !tick().idle && ticks < 300; ++ticks) { }
        return ticks;
    };
    ticksUntilIdle();
    input.mouse = Point { 201, 200 };
    EXPECT_FALSE(tick().idle);
    EXPECT_EQ(ticksUntilIdle(), 31);
    input.pressHeld = true;
    EXPECT_FALSE(tick().idle);

    // Asleep only while no held button may be starting a drag.
    input.pressHeld = false;
    ticksUntilIdle();
    EXPECT_TRUE(tick().asleep);
    input.buttonsDown = true;
    const FrameOutput held = tick();
    EXPECT_TRUE(held.idle && !held.asleep);

    // An open drawer sleeps too once it and its views have settled.
    input.buttonsDown = false;
    engine->openDrawer(pocket.id);
    main.runUntilIdle();
    viewsMoving = true;
    EXPECT_EQ(ticksUntilIdle(), 300) << "a view still moving keeps the loop awake";
    viewsMoving = false;
    ticksUntilIdle();
    EXPECT_TRUE(tick().asleep && engine->state().openZone == pocket.id);
}

TEST_F(FrameLoopTest, ClicksKeepReachingTheEdgeForTwelveFramesAfterItStopsWantingThem)
{
    input.local = Point { 1430, 450 };
    EXPECT_EQ(tick().clickable, (std::vector<Rect> { { 1440 - 56, 450 - 54, 56, 108 } }));

    input.local = Point { 200, 200 };
    for (int frameAfter = 1; frameAfter <= 11; ++frameAfter)
        EXPECT_FALSE(tick().clickable.empty()) << frameAfter;
    const FrameOutput away = tick();
    EXPECT_TRUE(away.clickable.empty());
    EXPECT_EQ(away.clickableUnseen, (std::vector<Rect> { { 1440 - 56, 450 - 54, 56, 108 } })) << "a pocket holding items";
    store.items.erase(pocket.id);
    engine->refreshCounts();
    EXPECT_EQ(tick().clickableUnseen, (std::vector<Rect> { { 1440 - 2, 450 - 54, 2, 108 } })) << "the screen's last points by an empty one";

    // Edit mode takes the whole screen once it has begun to show.
    engine->setEditing(true);
    tick();
    EXPECT_EQ(tick().clickable, (std::vector<Rect> { { 0, 0, 1440, 900 } }));
}

TEST_F(FrameLoopTest, AForeignDragIsSeenFromTheDragSelectionAndEndsHalfASecondAfterRelease)
{
    // Holding a button without anything taking the selection is no drag.
    input.buttonsDown = true;
    for (int i = 0; i < 21; ++i)
        tick();
    EXPECT_FALSE(engine->state().isSystemDragActive);

    input.dragSelectionChanges = 1;
    tick(0.03);
    tick(0.03);
    EXPECT_TRUE(engine->state().isSystemDragActive);
    input.local = Point { 1340, 300 };
    EXPECT_EQ(tick().clickable, (std::vector<Rect> { { 1440 - 120, 0, 120, 900 } }));
    // A drag the window received leaves it: its target goes, the drag goes on.
    engine->updateDragPayload({ 1430, 450 });
    EXPECT_TRUE(engine->state().dropTarget);
    engine->leaveDragPayload();
    EXPECT_FALSE(engine->state().dragPayload || engine->state().dropTarget);
    EXPECT_TRUE(engine->state().isSystemDragActive);

    input.buttonsDown = false;
    for (const auto& [seconds, active] : { std::pair { 0.25, true }, { 0.25, true }, { 0.05, false } }) {
        tick(seconds);
        EXPECT_EQ(engine->state().isSystemDragActive, active);
    }
}

// Scrolling on past the end clears the pocket and closes the drawer; the notches that
// follow stay with the overlay until the wheel pauses for the gesture's gap.
TEST_F(FrameLoopTest, AWheelTurnedOverADrawerKeepsTheScreenUntilItPauses)
{
    const std::vector<Rect> everywhere { { 0, 0, 1440, 900 } };
    input.lastWheel = input.now;
    EXPECT_FALSE(tick().wholeScreen) << "a wheel elsewhere is no gesture of ours";

    engine->openDrawer(engine->state().blobs.front().config.id);
    input.lastWheel = input.now;
    tick();
    engine->closeDrawer();
    for (int notch = 0; notch < 40; ++notch) {
        input.lastWheel = input.now;
        const FrameOutput output = tick(0.12);
        EXPECT_TRUE(output.wholeScreen && output.clickable == everywhere && !output.idle) << notch;
    }
    // The last notch came 0.12 s before the last frame.
    EXPECT_TRUE(tick(0.3).wholeScreen);
    input.now = input.lastWheel + BezelEngine::clearingHold;
    EXPECT_FALSE(tick(0).wholeScreen) << "the screen is free again a hold after the last notch";
}
