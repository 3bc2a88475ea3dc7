#include "EngineFixture.h"
#include "pockets/MemoryPasteboard.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
constexpr double edge = 1440;

class DropIntake : public EngineFixture {
protected:
    std::vector<Dropzone> pockets;
    MemoryPasteboard text;

    void SetUp() override
    {
        // Anchors exact in binary, so the distances below are exact too.
        pockets = startWith({ { 225, 0 }, { 337.5, 0 } });
        text.setString("a note");
    }

    void dragAt(double x, double y) { engine->updateDragPayload({ x, y }); }
};

class Pull : public EngineFixture {
protected:
    Dropzone pocket;
    std::vector<PocketItem> items;
    const Point press { 1430, 450 };

    void SetUp() override
    {
        pocket = startWithOnePocket(3);
        items = store.items.at(pocket.id);
    }
    std::optional<PullOffer> dragTo(double right, double down) { return engine->mouseDragged({ press.x + right, press.y + down }); }
    std::int64_t depth() const { return engine->state().pullDepth; }
};
} // namespace

TEST_F(DropIntake, TheTargetIsTheNearestLivingBulgeWithinTheStripAndEachNewOneTicks)
{
    // Where the payload is, and which pocket takes it (-1: none). A tie goes to the earlier one.
    const std::tuple<double, double, int> cases[] = { { edge - 261, 225, -1 }, { edge - 260, 225, 0 }, { edge, 281.25, 0 },
        { edge, 425.5, 1 }, { edge, 426, -1 } };
    for (const auto& [x, y, taker] : cases) {
        dragAt(x, y);
        EXPECT_EQ(engine->state().dropTarget, taker < 0 ? std::nullopt : std::optional(pockets[static_cast<std::size_t>(taker)].id))
            << x << " " << y;
    }
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::alignment }));
    engine->step(frame);
    const auto revision = engine->revision();
    dragAt(edge, 426);
    EXPECT_EQ(std::tuple(engine->state().needsStep, engine->revision()), std::tuple(false, revision))
        << "the same place again changes nothing";
    // Without a window drag the polled pointer counts only during a system drag.
    engine->endSystemDrag();
    engine->updatePointer(Point { edge, 225 });
    engine->updateDropTarget();
    EXPECT_FALSE(engine->state().dropTarget);
    engine->beginSystemDrag();
    engine->updatePointer(Point { edge, 226 });
    EXPECT_EQ(engine->state().dropTarget, pockets[0].id);

    engine->removeZone(pockets[0].id);
    dragAt(edge, 230);
    EXPECT_FALSE(engine->state().dropTarget) << "a dying pocket takes nothing";
}

TEST_F(DropIntake, ADropIsStoredInTheTargetAndSwallowed)
{
    EXPECT_FALSE(engine->acceptDrop(text));
    dragAt(edge, 337.5);
    ASSERT_TRUE(engine->acceptDrop(text));
    const BlobRuntime& taker = engine->state().blobs[1];
    EXPECT_EQ(std::tuple(store.itemCount(pockets[1].id), taker.itemCount, taker.amplitude.velocity), std::tuple(1, 1, 240));
    EXPECT_EQ(taker.swallow, (SpringValue { 0.64, 16.1, false }));
    EXPECT_EQ(std::tuple(engine->state().dropTarget, haptics.played.back()), std::tuple(std::nullopt, HapticPattern::levelChange));

    // Nothing usable: refused, and nothing changes.
    dragAt(edge, 337.5);
    MemoryPasteboard empty;
    EXPECT_FALSE(engine->acceptDrop(empty));
    EXPECT_EQ(std::tuple(engine->state().dropTarget, taker.itemCount), std::tuple(pockets[1].id, 1));

    // A pocket removed during the drag refuses the drop rather than orphan what it got.
    engine->removeZone(pockets[1].id);
    ASSERT_EQ(engine->state().blobs.size(), 2u);
    EXPECT_FALSE(engine->acceptDrop(text));
    EXPECT_EQ(store.itemCount(pockets[1].id), 1);
}

TEST_F(DropIntake, PulledItemsDroppedBackHomeAreNotStoredTwice)
{
    putItems(pockets[0].id, 2);
    engine->refreshCounts();
    engine->mouseDown({ edge - 10, 225 });
    const auto offer = engine->mouseDragged({ edge - 30, 225 });
    ASSERT_TRUE(offer);
    const double bounced = engine->state().blobs[0].amplitude.velocity;
    dragAt(edge, 225);
    EXPECT_TRUE(engine->acceptDrop(text));
    EXPECT_EQ(std::tuple(engine->state().pullReturnedHome, engine->state().blobs[0].amplitude.velocity), std::tuple(true, bounced + 420));
    engine->finishPull(*offer, true);
    EXPECT_EQ(std::tuple(store.itemCount(pockets[0].id), engine->state().pullReturnedHome), std::tuple(2, false));

    // Onto another pocket they are stored, and leave home.
    engine->mouseDown({ edge - 10, 225 });
    const auto second = engine->mouseDragged({ edge - 30, 225 });
    dragAt(edge, 225);
    engine->acceptDrop(text);
    dragAt(edge, 337.5);
    EXPECT_TRUE(engine->acceptDrop(text));
    EXPECT_FALSE(engine->state().pullReturnedHome);
    engine->finishPull(*second, true);
    EXPECT_EQ(std::tuple(store.itemCount(pockets[0].id), store.itemCount(pockets[1].id)), std::tuple(1, 1));
}

TEST_F(Pull, DepthFollowsThePointerDownWithAHapticOnEveryRiseAndShowsOnABulgeBigEnough)
{
    engine->mouseDown(press);
    EXPECT_EQ(std::tuple(depth(), engine->state().pullTotal), std::tuple(1, 3));
    const std::pair<double, std::int64_t> steps[] = { { 25, 1 }, { 26, 2 }, { 200, 3 }, { 30, 2 }, { -80, 1 }, { -10, 1 } };
    for (const auto& [down, expected] : steps) {
        EXPECT_FALSE(dragTo(-14, down)) << "not yet off the edge";
        EXPECT_EQ(depth(), expected) << down;
    }
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::levelChange }));
    bool shown = false;
    for (int i = 0; i < 120; ++i) {
        run(frame);
        EXPECT_EQ(engine->pullCounter().has_value(), engine->state().blobs[0].amplitude.value > 27);
        shown = shown || engine->pullCounter();
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(engine->pullCounter(), (PullCounter { { 1440 - 27, 450 }, 1, 3, 1 }));

    engine->mouseUp(press);
    run(1);
    EXPECT_NEAR(engine->state().pullCount.value, 0, 0.01);
    EXPECT_EQ(std::tuple(engine->state().pullCountZone, depth()), std::tuple(std::nullopt, 0));
    const auto revision = engine->revision();
    EXPECT_FALSE(dragTo(-100, 30));
    EXPECT_EQ(engine->revision(), revision);
    engine->setEditing(true);
    engine->mouseDown(press);
    EXPECT_FALSE(engine->state().pullCountZone) << "edit mode starts no count";
}

TEST_F(Pull, OffTheEdgeItOffersTheNewestItemsAndTakesThemOnceMoved)
{
    engine->mouseDown(press);
    dragTo(0, 30);
    const auto offer = dragTo(-15, 30);
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->pocket, pocket.id);
    ASSERT_EQ(offer->items.size(), 2u);
    EXPECT_EQ(std::tuple(offer->items[0]->id, offer->items[1]->id), std::tuple(items[1].id, items[2].id));
    EXPECT_EQ(std::tuple(engine->state().pullCountZone, engine->state().pullingZone, engine->state().blobs[0].amplitude.velocity),
        std::tuple(std::nullopt, pocket.id, 520));

    engine->finishPull(*offer, true);
    EXPECT_EQ(std::tuple(store.itemCount(pocket.id), engine->state().blobs[0].itemCount, engine->state().pullingZone),
        std::tuple(1, 1, std::nullopt));

    // Copied, or dropped elsewhere with nothing taken: the items stay.
    engine->mouseDown(press);
    const auto copied = dragTo(-15, -40);
    ASSERT_TRUE(copied);
    engine->finishPull(*copied, false);
    EXPECT_EQ(store.itemCount(pocket.id), 1);
}
