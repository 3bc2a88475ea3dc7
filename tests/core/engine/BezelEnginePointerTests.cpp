#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr double edge = 1440;

class Pointer : public EngineFixture {
protected:
    // Pockets at the given heights of the 1440 × 900 edge, placed and at rest.
    std::vector<Dropzone> placeAt(std::initializer_list<double> heights)
    {
        std::vector<Dropzone> zones;
        for (double y : heights)
            zones.push_back(zone("Pocket", y / 900));
        storeZones(zones);
        makeEngine();
        engine->step(frame);
        return zones;
    }

    // Enters edit mode and steps until its progress has passed the given value.
    void editUntil(double progress)
    {
        engine->setEditing(true);
        while (engine->state().editProgress.value <= progress)
            engine->step(frame);
    }

    std::optional<Uuid> hitID(double x, double y)
    {
        const auto hit = engine->hitTest({ x, y });
        return hit && hit->blobID() ? std::optional<Uuid>(*hit->blobID()) : std::nullopt;
    }
};
} // namespace

TEST_F(Pointer, HitTestingKeepsToTheBandThePlusAndTheNearestPocket)
{
    const auto zones = placeAt({ 170, 400, 500 });
    EXPECT_FALSE(engine->hitTest({ edge - 57, 170 }));
    EXPECT_EQ(hitID(edge - 56, 170), zones[0].id);
    EXPECT_EQ(hitID(edge, 116), zones[0].id);
    EXPECT_FALSE(engine->hitTest({ edge, 115 }));
    // Midway between two pockets the earlier one wins.
    EXPECT_EQ(hitID(edge, 450), zones[1].id);

    // The plus comes first once edit mode is well under way.
    editUntil(0.3);
    EXPECT_EQ(hitID(edge, 116), zones[0].id);
    editUntil(0.999);
    EXPECT_EQ(engine->hitTest({ edge, 100 }), HitTarget::plus());
    EXPECT_EQ(engine->hitTest({ edge, 116 }), HitTarget::plus());
    EXPECT_EQ(hitID(edge, 120), zones[0].id);

    // A dying pocket is never hit; its neighbour is, if within reach.
    engine->removeZone(zones[1].id);
    EXPECT_EQ(hitID(edge, 450), zones[2].id);
}

TEST_F(Pointer, TheEditToggleTakesClicksAroundItsSquare)
{
    placeAt({ 836 });
    EXPECT_FALSE(engine->controlsFrame());
    editUntil(0.999);
    EXPECT_EQ(engine->controlsFrame(), (Rect { edge - 88, 900 - 24 - 54, 54, 54 }));
    EXPECT_FALSE(engine->hitTest({ 1414, 830 }));
    EXPECT_TRUE(engine->hitTest({ 1415, 830 }));
    engine->updateBottomInset(40);
    EXPECT_EQ(engine->controlsFrame()->y, 900 - 58 - 54);
}

TEST_F(Pointer, CalmClicksReachTheEdgeOnlyOverPocketsWithItems)
{
    const auto zones = placeAt({ 300, 600 });
    putItems(zones[1].id, 2);
    engine->refreshCounts();
    engine->updatePointer(Point { edge - 10, 300 });
    EXPECT_FALSE(engine->wantsMouseEvents());
    engine->updatePointer(Point { edge - 10, 600 });
    EXPECT_TRUE(engine->wantsMouseEvents());
    engine->updatePointer(Point { 500, 600 });
    EXPECT_FALSE(engine->wantsMouseEvents());
    engine->updatePointer(std::nullopt);
    EXPECT_FALSE(engine->wantsMouseEvents());

    introduction.running = true;
    EXPECT_TRUE(engine->wantsMouseEvents());
    introduction.running = false;

    // During a system drag only the strip along the edge takes events.
    engine->beginSystemDrag();
    engine->updatePointer(Point { edge - 100, 50 });
    EXPECT_TRUE(engine->wantsMouseEvents());
    engine->updatePointer(Point { edge - 130, 600 });
    EXPECT_FALSE(engine->wantsMouseEvents());
}

TEST_F(Pointer, AQuickStillPressIsAClickAndSavesWithoutSettling)
{
    const auto zones = placeAt({ 300, 600 });
    engine->setEditing(true);
    engine->setArranging(true);
    haptics.played.clear();
    engine->mouseDown({ edge, 600 });
    ASSERT_TRUE(engine->state().dragSession);
    EXPECT_EQ(engine->state().dragSession->grabOffset, 0);
    EXPECT_EQ(haptics.played, std::vector<HapticPattern> { HapticPattern::levelChange });

    clock.advance(0.3);
    const int writes = defaults.writeCount();
    engine->mouseUp({ edge, 600 });
    EXPECT_FALSE(engine->state().dragSession);
    EXPECT_EQ(defaults.writeCount(), writes + 1);
    EXPECT_EQ(engine->state().blobs[1].targetY, 600);
    EXPECT_FALSE(engine->state().openZone);
    EXPECT_EQ(haptics.played.size(), 1u);

    // Outside arrangement a pocket that is not being named cannot be grabbed.
    engine->setArranging(false);
    engine->mouseDown({ edge, 600 });
    EXPECT_FALSE(engine->state().dragSession);
}

TEST_F(Pointer, ASlowOrLongPressIsADragAndTheDropSettlesInAFreeSlot)
{
    const auto zones = placeAt({ 400, 600 });
    engine->setEditing(true);
    engine->setArranging(true);

    // Moved only 4 points, but held for half a second.
    haptics.played.clear();
    engine->mouseDown({ edge, 600 });
    engine->updatePointer(Point { edge, 604 });
    clock.advance(0.5);
    engine->mouseUp({ edge, 604 });
    EXPECT_EQ(engine->state().blobs[1].targetY, 600);
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::levelChange, HapticPattern::levelChange }));

    // Dragged to 30 points below the other pocket, then let go.
    engine->mouseDown({ edge, 600 });
    for (double y = 600; y >= 430; y -= 10) {
        engine->updatePointer(Point { edge, y });
        clock.advance(frame);
        engine->step(frame);
    }
    EXPECT_EQ(engine->state().blobs[1].targetY, 430);
    const int writes = defaults.writeCount();
    engine->mouseUp({ edge, 430 });
    const double slot = *BezelEngine::nearestFreeSlot(430, { 400 }, 900);
    EXPECT_GE(std::abs(slot - 400), 103.5);
    EXPECT_EQ(engine->state().blobs[1].targetY, slot);
    EXPECT_EQ(engine->state().blobs[1].config.anchor, slot / 900);
    EXPECT_EQ(storedZones()[1].anchor, slot / 900);
    EXPECT_EQ(defaults.writeCount(), writes + 1);
}

TEST_F(Pointer, ReleasesOpenCloseAndAddAccordingToWhatIsUnderThem)
{
    const auto zones = placeAt({ 300, 600 });
    putItems(zones[0].id, 1);
    engine->refreshCounts();

    engine->mouseUp({ edge, 600 });
    EXPECT_FALSE(engine->state().openZone);
    engine->mouseUp({ edge, 300 });
    EXPECT_EQ(engine->state().openZone, zones[0].id);
    EXPECT_TRUE(engine->state().wantsOpen);
    engine->mouseUp({ 200, 300 });
    EXPECT_FALSE(engine->state().wantsOpen);

    engine->mouseUp({ edge, 62 });
    EXPECT_EQ(engine->state().blobs.size(), 2u);
    editUntil(0.999);
    engine->mouseUp({ edge, 62 });
    ASSERT_EQ(engine->state().blobs.size(), 3u);
    EXPECT_EQ(engine->state().soloEditing, engine->state().blobs[2].config.id);

    // A click elsewhere ends the naming.
    engine->mouseUp({ 200, 500 });
    EXPECT_FALSE(engine->state().soloEditing);
}
