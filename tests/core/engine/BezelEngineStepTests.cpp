#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

class EngineStep : public EngineFixture {
protected:
    const std::vector<BlobRuntime>& blobs() const { return engine->state().blobs; }
    void settle() { run(3); }
    void settleAt(std::optional<Point> pointer)
    {
        engine->updatePointer(pointer);
        settle();
    }
};

TEST_F(EngineStep, FirstStepPlacesEveryBlobAtItsClampedAnchor)
{
    storeZones({ zone("A", 0.5), zone("Top", 0.01), zone("Bottom", 0.99) });
    makeEngine().step(frame);
    EXPECT_EQ(blobs()[0].y, SpringValue::atRest(450));
    EXPECT_EQ(blobs()[1].y.value, 166);
    EXPECT_EQ(blobs()[2].y.value, 836);
    EXPECT_EQ(blobs()[1].config.anchor, 166.0 / 900);

    // On a screen too short for the range every pocket keeps to the top limit.
    storeZones({ zone("A", 0.9) });
    makeEngine().setSize({ 800, 200 });
    engine->step(frame);
    EXPECT_EQ(blobs()[0].y.value, 166);
}

TEST_F(EngineStep, SwellFollowsItemsAndTheNearestPocketOnly)
{
    Dropzone empty = zone("Empty", 0.3), four = zone("Four", 0.7);
    putItems(four.id, 4);
    storeZones({ empty, four });
    makeEngine();
    settle();
    EXPECT_EQ(blobs()[0].amplitude.value, 0);
    EXPECT_NEAR(blobs()[1].amplitude.value, 10.6, 0.1);
    EXPECT_TRUE(engine->isQuiescent());

    settleAt(Point { 1420, 270 });
    EXPECT_EQ(blobs()[0].proximity, 1);
    EXPECT_EQ(blobs()[0].amplitude.value, 7);
    EXPECT_EQ(engine->state().nearestPocket, empty.id);
    settleAt(Point { 1420, 630 });
    EXPECT_EQ(blobs()[1].amplitude.value, 20);
    EXPECT_EQ(blobs()[0].amplitude.value, 0);
    settleAt(Point { 1421, 632 });
    settleAt(Point { 1300, 630 });
    EXPECT_EQ(blobs()[1].proximity, 0);
    EXPECT_EQ(engine->state().nearestPocket, std::nullopt);

    // Brushing a pocket ticks once per approach.
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::alignment }));
    settleAt(Point { 1420, 630 });
    EXPECT_EQ(haptics.played.size(), 3u);
}

TEST_F(EngineStep, NearestPocketTieGoesToTheEarlierBlob)
{
    Dropzone upper = zone("Upper", 0.4), lower = zone("Lower", 0.6);
    storeZones({ lower, upper });
    makeEngine().step(frame);
    engine->updatePointer(Point { 1400, 450 });
    engine->step(frame);
    EXPECT_EQ(engine->state().nearestPocket, lower.id);
}

TEST_F(EngineStep, EditModeSwellsEverythingAndNeverIdles)
{
    storeZones({ zone("A", 0.3), zone("B", 0.7) });
    makeEngine().setEditing(true);
    settle();
    EXPECT_EQ(blobs()[0].amplitude.value, 22);
    EXPECT_EQ(blobs()[1].amplitude.value, 22);
    EXPECT_EQ(engine->state().plusAmplitude.value, 22);
    const auto frameBefore = engine->state().frame;
    engine->step(frame);
    EXPECT_EQ(engine->state().frame, frameBefore + 1);

    engine->setEditing(false);
    settle();
    EXPECT_EQ(engine->state().plusAmplitude.value, 0);
    EXPECT_TRUE(engine->isQuiescent());
    for (const BezelNode& node : engine->nodes())
        EXPECT_EQ(node.amplitude, 0);
}

TEST_F(EngineStep, ExternalDragSwellsTheTargetAndLeansNeighboursTowardIt)
{
    Dropzone target = zone("Target", 0.5), neighbour = zone("Neighbour", 0.5 + 129.0 / 900);
    storeZones({ target, neighbour });
    makeEngine().step(frame);
    engine->updateDragPayload(Point { 1410, 450 });
    settle();
    EXPECT_EQ(engine->state().dropTarget, target.id);
    EXPECT_EQ(blobs()[0].amplitude.value, 42);
    EXPECT_EQ(blobs()[0].lean.value, 0);
    EXPECT_EQ(blobs()[1].amplitude.value, 0);

    // A system drag with no payload uses the pointer; a drag too far from the edge does nothing.
    engine->endSystemDrag();
    engine->beginSystemDrag();
    settleAt(Point { 1410, 500 });
    EXPECT_GT(blobs()[0].lean.value, 0);
    EXPECT_LE(blobs()[0].lean.value, 14);
    EXPECT_LT(blobs()[1].lean.value, 0);
    settleAt(Point { 1179, 500 });
    EXPECT_EQ(blobs()[0].amplitude.value, 0);
    EXPECT_EQ(blobs()[0].lean.value, 0);
}

TEST_F(EngineStep, DraggedPocketAgainstTheWallTicksOnceAndStaysAtTheLimit)
{
    storeZones({ zone("A", 0.5) });
    makeEngine().step(frame);
    grabPocket({ 1420, 450 });
    engine->updatePointer(Point { 1420, 300 });
    run(1);
    const std::size_t grabbed = haptics.played.size();
    for (double y = 200; y >= 20; y -= 20) {
        engine->updatePointer(Point { 1420, y });
        run(0.1);
    }
    EXPECT_EQ(blobs()[0].targetY, 166);
    EXPECT_NEAR(blobs()[0].y.value, 166, 0.01);
    EXPECT_EQ(blobs()[0].config.anchor, 166.0 / 900);
    EXPECT_EQ(std::vector<HapticPattern>(haptics.played.begin() + static_cast<std::ptrdiff_t>(grabbed), haptics.played.end()),
        std::vector<HapticPattern> { HapticPattern::alignment });
    EXPECT_GE(blobs()[0].amplitude.value, 29.99);
}

TEST_F(EngineStep, SettledEngineSkipsStepsUntilSomethingChanges)
{
    storeZones({ zone("A", 0.5) });
    makeEngine();
    settle();
    ASSERT_TRUE(engine->isQuiescent());
    const auto frameBefore = engine->state().frame;
    const auto revisionBefore = engine->revision();
    engine->step(frame);
    EXPECT_EQ(engine->state().frame, frameBefore);
    EXPECT_EQ(engine->revision(), revisionBefore);

    engine->updatePointer(Point { 200, 200 });
    engine->step(frame);
    engine->step(frame);
    EXPECT_EQ(engine->state().frame, frameBefore + 1);

    engine->updateBottomInset(0.4);
    engine->step(frame);
    EXPECT_EQ(engine->state().frame, frameBefore + 1);
    engine->updateBottomInset(80);
    engine->step(frame);
    EXPECT_EQ(engine->state().frame, frameBefore + 2);

    // A zero frame length moves nothing but still counts as a step.
    engine->requestStep();
    engine->step(0);
    EXPECT_EQ(engine->state().frame, frameBefore + 3);
}

TEST_F(EngineStep, DrawerOpensAtItsSizeAndLetsGoOnceShut)
{
    const Dropzone open = startWithOnePocket(3);
    engine->openDrawer(open.id);
    engine->step(frame);
    EXPECT_EQ(engine->state().openHeightValue.value, 3 * 46 + 36);
    settle();
    EXPECT_EQ(engine->state().openProgress.value, 1);
    const auto node = engine->node(blobs()[0], false);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->amplitude, 214);
    EXPECT_EQ(node->squircle, 1);
    EXPECT_EQ(node->core, 71);
    EXPECT_EQ(node->falloffTop, 16);
    EXPECT_FALSE(engine->isQuiescent());

    engine->closeDrawer();
    settle();
    EXPECT_EQ(engine->state().openZone, std::nullopt);
    EXPECT_TRUE(engine->isQuiescent());
}
