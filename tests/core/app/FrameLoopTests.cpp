#include "app/FrameLoop.h"
#include "engine/EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class FrameLoopTest : public EngineFixture {
protected:
    Dropzone pocket = zone("A", 0.5);
    std::unique_ptr<FrameLoop> loop;
    FrameInput input;

    void SetUp() override
    {
        storeZones({ pocket });
        makeEngine();
        loop = std::make_unique<FrameLoop>(*engine, introduction);
        input.mouse = Point { 200, 200 };
        input.local = input.mouse;
    }

    FrameOutput tick(double seconds = frame)
    {
        input.now += seconds;
        return loop->tick(input, [](double) {});
    }
};
} // namespace

TEST_F(FrameLoopTest, StepsAreCappedAndARepeatedTimeDoesNothing)
{
    tick(1);
    EXPECT_FALSE(loop->tick(input, [](double) {}).stepped);
    double introductionDt = 0;
    input.now += 2;
    loop->tick(input, [&](double dt) { introductionDt = dt; });
    EXPECT_EQ(introductionDt, 0.05);
}

TEST_F(FrameLoopTest, AStillEdgeSlowsDownOnThe31stTickAndWakesOnMotion)
{
    // The first sample of the pointer counts as a move.
    tick();
    for (int i = 0; i < 200 && !engine->isQuiescent(); ++i)
        tick();
    FrameOutput output;
    int stillTicks = 0;
    do {
        output = tick();
        ++stillTicks;
    } while (!output.idle && stillTicks < 100);
    EXPECT_EQ(stillTicks, 31);

    input.mouse = Point { 201, 200 };
    EXPECT_FALSE(tick().idle);
    tick();
    input.pressHeld = true;
    EXPECT_FALSE(tick().idle);
}

TEST_F(FrameLoopTest, ClicksKeepReachingTheEdgeForTwelveFramesAfterItStopsWantingThem)
{
    putItems(pocket.id, 1);
    engine->refreshCounts();
    input.local = Point { 1430, 450 };
    FrameOutput output = tick();
    ASSERT_EQ(output.clickable.size(), 1u);
    EXPECT_EQ(output.clickable[0], (Rect { 1440 - 56, 450 - 54, 56, 108 }));

    input.local = Point { 200, 200 };
    for (int frameAfter = 1; frameAfter <= 11; ++frameAfter)
        EXPECT_FALSE(tick().clickable.empty()) << frameAfter;
    EXPECT_TRUE(tick().clickable.empty());

    // Edit mode takes the whole screen once it has begun to show.
    engine->setEditing(true);
    tick();
    tick();
    EXPECT_EQ(tick().clickable, (std::vector<Rect> { { 0, 0, 1440, 900 } }));
}

TEST_F(FrameLoopTest, AForeignDragIsSeenFromTheDragSelectionAndEndsHalfASecondAfterRelease)
{
    input.buttonsDown = true;
    tick();
    // Holding a button without anything taking the selection is no drag.
    for (int i = 0; i < 20; ++i)
        tick();
    EXPECT_FALSE(engine->state().isSystemDragActive);

    input.dragSelectionChanges = 1;
    tick(0.03);
    tick(0.03);
    EXPECT_TRUE(engine->state().isSystemDragActive);
    EXPECT_TRUE(tick().clickable.empty()) << "the drag is still far from the edge";
    input.local = Point { 1340, 300 };
    EXPECT_EQ(tick().clickable, (std::vector<Rect> { { 1440 - 120, 0, 120, 900 } }));

    input.buttonsDown = false;
    tick(0.25);
    tick(0.25);
    EXPECT_TRUE(engine->state().isSystemDragActive);
    tick(0.05);
    EXPECT_FALSE(engine->state().isSystemDragActive);
}
