#include "EngineFixture.h"
#include "pockets/MemoryPasteboard.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr double edge = 1440;

class DropIntake : public EngineFixture {
protected:
    std::vector<Dropzone> zones;
    MemoryPasteboard text;

    void SetUp() override
    {
        // Anchors exact in binary, so the distances below are exact too.
        zones = { zone("A", 0.25), zone("B", 0.375) };
        storeZones(zones);
        makeEngine();
        engine->step(frame);
        text.setString("a note");
    }

    void dragAt(double x, double y)
    {
        engine->dragPayload = Point { x, y };
        engine->updateDropTarget();
    }
};
} // namespace

TEST_F(DropIntake, TheTargetIsTheNearestLivingBulgeWithinTheStrip)
{
    dragAt(edge - 261, 225);
    EXPECT_FALSE(engine->dropTarget);
    dragAt(edge - 260, 225);
    EXPECT_EQ(engine->dropTarget, zones[0].id);
    dragAt(edge, 281.25);
    EXPECT_EQ(engine->dropTarget, zones[0].id) << "a tie goes to the earlier pocket";
    dragAt(edge, 425.5);
    EXPECT_EQ(engine->dropTarget, zones[1].id);
    dragAt(edge, 426);
    EXPECT_FALSE(engine->dropTarget);

    engine->blobs[0].isDying = true;
    dragAt(edge, 230);
    EXPECT_FALSE(engine->dropTarget);

    // Without a window drag the polled pointer counts only during a system drag.
    engine->dragPayload.reset();
    engine->blobs[0].isDying = false;
    engine->pointer = Point { edge, 225 };
    engine->updateDropTarget();
    EXPECT_FALSE(engine->dropTarget);
    engine->isSystemDragActive = true;
    engine->updatePointer(Point { edge, 226 });
    EXPECT_EQ(engine->dropTarget, zones[0].id);
}

TEST_F(DropIntake, EachChangeToAPocketTicksOnceAndNothingElseDoes)
{
    dragAt(edge, 225);
    dragAt(edge, 230);
    dragAt(edge, 337.5);
    engine->needsStep = false;
    const auto revision = engine->revision();
    dragAt(edge, 342);
    EXPECT_FALSE(engine->needsStep);
    EXPECT_EQ(engine->revision(), revision);
    dragAt(edge - 300, 342);
    EXPECT_TRUE(engine->needsStep);
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::alignment }));
}

TEST_F(DropIntake, ADropIsStoredInTheTargetAndSwallowed)
{
    EXPECT_FALSE(engine->acceptDrop(text));
    dragAt(edge, 337.5);
    ASSERT_TRUE(engine->acceptDrop(text));
    EXPECT_EQ(store.itemCount(zones[1].id), 1);
    EXPECT_EQ(engine->blobs[1].itemCount, 1);
    EXPECT_EQ(engine->blobs[1].swallow, (SpringValue { 0.64, 16.1, false }));
    EXPECT_EQ(engine->blobs[1].amplitude.velocity, 240);
    EXPECT_FALSE(engine->dropTarget);
    EXPECT_EQ(haptics.played.back(), HapticPattern::levelChange);

    // Nothing usable: refused, and nothing changes.
    dragAt(edge, 337.5);
    MemoryPasteboard empty;
    EXPECT_FALSE(engine->acceptDrop(empty));
    EXPECT_EQ(engine->dropTarget, zones[1].id);
    EXPECT_EQ(engine->blobs[1].itemCount, 1);

    // A pocket removed during the drag refuses the drop rather than orphan what it got.
    engine->removeZone(zones[1].id);
    ASSERT_EQ(engine->blobs.size(), 2u);
    EXPECT_FALSE(engine->acceptDrop(text));
    EXPECT_EQ(store.items.count(zones[1].id), 0u);
}

TEST_F(DropIntake, PulledItemsDroppedBackHomeAreNotStoredTwice)
{
    putItems(zones[0].id, 2);
    engine->refreshCounts();
    engine->beginPull(zones[0].id);
    const double bounced = engine->blobs[0].amplitude.velocity;
    dragAt(edge, 225);
    EXPECT_TRUE(engine->acceptDrop(text));
    EXPECT_TRUE(engine->pullReturnedHome);
    EXPECT_EQ(store.itemCount(zones[0].id), 2);
    EXPECT_EQ(engine->blobs[0].amplitude.velocity, bounced + 420);

    // Onto another pocket they are stored, and the pull drag will remove them from home.
    dragAt(edge, 337.5);
    EXPECT_TRUE(engine->acceptDrop(text));
    EXPECT_FALSE(engine->pullReturnedHome);
    EXPECT_EQ(store.itemCount(zones[1].id), 1);

    // A drawer row dragged back onto its pocket is recognised the same way.
    engine->pullingZone.reset();
    engine->dragOriginZone = zones[1].id;
    dragAt(edge, 337.5);
    EXPECT_TRUE(engine->acceptDrop(text));
    EXPECT_EQ(store.itemCount(zones[1].id), 1);
    EXPECT_FALSE(engine->pullReturnedHome);
}
