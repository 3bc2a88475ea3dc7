#include "EngineFixture.h"

#include <cmath>

using namespace kestrane;
using namespace kestrane::testing;

class EngineStep : public EngineFixture {
protected:
    BezelEngine& makeWith(std::vector<Dropzone> zones)
    {
        storeZones(zones);
        return makeEngine();
    }
    void settle() { run(3); }
};

TEST_F(EngineStep, FirstStepPlacesEveryBlobAtItsClampedAnchor)
{
    makeWith({ zone("A", 0.5), zone("Top", 0.01), zone("Bottom", 0.99) });
    engine->step(frame);
    EXPECT_EQ(engine->blobs[0].y, SpringValue::atRest(450));
    EXPECT_EQ(engine->blobs[1].y.value, 166);
    EXPECT_EQ(engine->blobs[2].y.value, 836);
    EXPECT_EQ(engine->blobs[1].config.anchor, 166.0 / 900);

    // On a screen too short for the range every pocket keeps to the top limit.
    makeWith({ zone("A", 0.9) });
    engine->setSize({ 800, 200 });
    engine->step(frame);
    EXPECT_EQ(engine->blobs[0].y.value, 166);
}

TEST_F(EngineStep, RestingSwellFollowsTheItemCount)
{
    Dropzone one = zone("One", 0.3), four = zone("Four", 0.7);
    putItems(one.id, 1);
    putItems(four.id, 4);
    makeWith({ one, four });
    settle();
    EXPECT_EQ(engine->blobs[0].amplitude.value, 5.5);
    EXPECT_NEAR(engine->blobs[1].amplitude.value, 10.6, 0.1);
    EXPECT_TRUE(engine->isQuiescent());
}

TEST_F(EngineStep, PointerProximitySwellsTheNearestPocketOnly)
{
    Dropzone empty = zone("Empty", 0.3), filled = zone("Filled", 0.7);
    putItems(filled.id, 1);
    makeWith({ empty, filled });
    engine->step(frame);

    engine->pointer = Point { 1420, 270 };
    settle();
    EXPECT_EQ(engine->blobs[0].proximity, 1);
    EXPECT_EQ(engine->blobs[0].amplitude.value, 7);
    EXPECT_EQ(engine->nearestPocket, empty.id);

    engine->pointer = Point { 1420, 630 };
    settle();
    EXPECT_EQ(engine->blobs[1].amplitude.value, 20);
    EXPECT_EQ(engine->blobs[0].amplitude.value, 0);

    engine->pointer = Point { 1300, 630 };
    settle();
    EXPECT_EQ(engine->blobs[1].proximity, 0);
    EXPECT_EQ(engine->nearestPocket, std::nullopt);
    EXPECT_EQ(engine->blobs[1].amplitude.value, 5.5);
}

TEST_F(EngineStep, BrushingAPocketTicksOncePerApproach)
{
    makeWith({ zone("A", 0.5) });
    engine->step(frame);
    engine->pointer = Point { 1430, 450 };
    settle();
    engine->pointer = Point { 1431, 452 };
    settle();
    EXPECT_EQ(haptics.played, std::vector<HapticPattern> { HapticPattern::alignment });
    engine->pointer = std::nullopt;
    settle();
    engine->pointer = Point { 1430, 450 };
    settle();
    EXPECT_EQ(haptics.played.size(), 2u);
}

TEST_F(EngineStep, NearestPocketTieGoesToTheEarlierBlob)
{
    Dropzone upper = zone("Upper", 0.4), lower = zone("Lower", 0.6);
    makeWith({ lower, upper });
    engine->step(frame);
    engine->pointer = Point { 1400, 450 };
    engine->step(frame);
    EXPECT_EQ(engine->nearestPocket, lower.id);
}

TEST_F(EngineStep, EditModeSwellsEverythingAndNeverIdles)
{
    makeWith({ zone("A", 0.3), zone("B", 0.7) });
    engine->isEditing = true;
    settle();
    EXPECT_EQ(engine->blobs[0].amplitude.value, 22);
    EXPECT_EQ(engine->blobs[1].amplitude.value, 22);
    EXPECT_EQ(engine->plusAmplitude.value, 22);
    EXPECT_FALSE(engine->isQuiescent());
    const auto frameBefore = engine->frame;
    engine->step(frame);
    EXPECT_EQ(engine->frame, frameBefore + 1);

    engine->isEditing = false;
    engine->needsStep = true;
    settle();
    EXPECT_EQ(engine->plusAmplitude.value, 0);
    EXPECT_TRUE(engine->isQuiescent());
    const auto nodes = engine->nodes();
    EXPECT_EQ(nodes.size(), 2u);
    for (const BezelNode& node : nodes)
        EXPECT_EQ(node.amplitude, 0);
}

TEST_F(EngineStep, ExternalDragSwellsTheTargetAndLeansNeighboursTowardIt)
{
    Dropzone target = zone("Target", 0.5), neighbour = zone("Neighbour", 0.5 + 129.0 / 900);
    makeWith({ target, neighbour });
    engine->step(frame);
    engine->dropTarget = target.id;
    engine->dragPayload = Point { 1410, 450 };
    settle();
    EXPECT_EQ(engine->blobs[0].amplitude.value, 42);
    EXPECT_EQ(engine->blobs[0].lean.value, 0);
    EXPECT_EQ(engine->blobs[1].amplitude.value, 0);

    // A system drag with no payload uses the pointer; a drag too far from the edge does nothing.
    engine->dragPayload = std::nullopt;
    engine->isSystemDragActive = true;
    engine->pointer = Point { 1410, 500 };
    settle();
    EXPECT_GT(engine->blobs[0].lean.value, 0);
    EXPECT_LE(engine->blobs[0].lean.value, 14);
    EXPECT_LT(engine->blobs[1].lean.value, 0);
    engine->pointer = Point { 1179, 500 };
    settle();
    EXPECT_EQ(engine->blobs[0].amplitude.value, 0);
    EXPECT_EQ(engine->blobs[0].lean.value, 0);
}

TEST_F(EngineStep, DraggedPocketAgainstTheWallTicksOnceAndStaysAtTheLimit)
{
    makeWith({ zone("A", 0.5) });
    engine->step(frame);
    const Uuid id = engine->blobs[0].config.id;
    engine->isEditing = true;
    engine->dragSession = DragSession { id, 0, { 1420, 450 }, 0, 0 };
    engine->pointer = Point { 1420, 300 };
    run(1);
    EXPECT_TRUE(haptics.played.empty());
    for (double y = 200; y >= 20; y -= 20) {
        engine->pointer = Point { 1420, y };
        run(0.1);
    }
    EXPECT_EQ(engine->blobs[0].targetY, 166);
    EXPECT_NEAR(engine->blobs[0].y.value, 166, 0.01);
    EXPECT_EQ(engine->blobs[0].config.anchor, 166.0 / 900);
    EXPECT_EQ(haptics.played, std::vector<HapticPattern> { HapticPattern::alignment });
    EXPECT_GE(engine->blobs[0].amplitude.value, 29.99);
}

TEST_F(EngineStep, SettledEngineSkipsStepsUntilSomethingChanges)
{
    makeWith({ zone("A", 0.5) });
    settle();
    ASSERT_TRUE(engine->isQuiescent());
    const auto frameBefore = engine->frame;
    const auto revisionBefore = engine->revision();
    engine->step(frame);
    EXPECT_EQ(engine->frame, frameBefore);
    EXPECT_EQ(engine->revision(), revisionBefore);

    engine->pointer = Point { 200, 200 };
    engine->step(frame);
    EXPECT_EQ(engine->frame, frameBefore + 1);
    engine->step(frame);
    EXPECT_EQ(engine->frame, frameBefore + 1);

    engine->updateBottomInset(0.4);
    engine->step(frame);
    EXPECT_EQ(engine->frame, frameBefore + 1);
    engine->updateBottomInset(80);
    engine->step(frame);
    EXPECT_EQ(engine->frame, frameBefore + 2);
    EXPECT_EQ(engine->bottomInset, 80);

    // A zero frame length moves nothing but still counts as a step.
    engine->needsStep = true;
    engine->step(0);
    EXPECT_EQ(engine->frame, frameBefore + 3);
}

TEST_F(EngineStep, DrawerOpensAtItsSizeAndLetsGoOnceShut)
{
    Dropzone open = zone("Open", 0.5);
    putItems(open.id, 3);
    makeWith({ open });
    engine->step(frame);
    engine->openZone = open.id;
    engine->wantsOpen = true;
    engine->step(frame);
    EXPECT_EQ(engine->openHeightValue.value, 3 * 46 + 36);
    settle();
    EXPECT_EQ(engine->openProgress.value, 1);
    const auto node = engine->node(engine->blobs[0], false);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->amplitude, 214);
    EXPECT_EQ(node->squircle, 1);
    EXPECT_EQ(node->core, 71);
    EXPECT_EQ(node->falloffTop, 16);
    EXPECT_FALSE(engine->isQuiescent());

    engine->wantsOpen = false;
    settle();
    EXPECT_EQ(engine->openZone, std::nullopt);
    EXPECT_TRUE(engine->isQuiescent());
}
