#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class Pull : public EngineFixture {
protected:
    Dropzone pocket;
    std::vector<PocketItem> items;
    const Point press { 1430, 450 };

    void SetUp() override
    {
        pocket = startWithOnePocket(0);
        items = putItems(pocket.id, 3);
        engine->refreshCounts();
    }
    std::optional<PullOffer> dragTo(double right, double down) { return engine->mouseDragged({ press.x + right, press.y + down }); }
    std::int64_t depth() const { return engine->state().pullDepth; }
};
} // namespace

TEST_F(Pull, DepthFollowsThePointerDownWithinThePocketWithAHapticOnEveryRise)
{
    engine->mouseDown(press);
    EXPECT_EQ(depth(), 1);
    EXPECT_EQ(engine->state().pullTotal, 3);
    const std::pair<double, std::int64_t> steps[] = { { 25, 1 }, { 26, 2 }, { 200, 3 }, { 30, 2 }, { -80, 1 }, { -10, 1 } };
    for (const auto& [down, expected] : steps) {
        EXPECT_FALSE(dragTo(-14, down)) << "not yet off the edge";
        EXPECT_EQ(depth(), expected) << down;
    }
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::levelChange }));

    engine->mouseUp(press);
    EXPECT_FALSE(engine->state().pullCountZone);
    EXPECT_EQ(depth(), 0);
    const auto revision = engine->revision();
    EXPECT_FALSE(dragTo(-100, 30));
    EXPECT_EQ(engine->revision(), revision);
}

TEST_F(Pull, OffTheEdgeItOffersTheNewestItemsAndTakesThemOnceMoved)
{
    engine->mouseDown(press);
    dragTo(0, 30);
    const auto offer = dragTo(-15, 30);
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->zone, pocket.id);
    ASSERT_EQ(offer->items.size(), 2u);
    EXPECT_EQ(offer->items[0]->id, items[1].id);
    EXPECT_EQ(offer->items[1]->id, items[2].id);
    EXPECT_FALSE(engine->state().pullCountZone);
    EXPECT_EQ(engine->state().pullingZone, pocket.id);
    EXPECT_EQ(engine->state().blobs[0].amplitude.velocity, 520);

    engine->finishPull(*offer, true);
    EXPECT_EQ(store.itemCount(pocket.id), 1);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 1);
    EXPECT_FALSE(engine->state().pullingZone);

    // Copied, or dropped elsewhere with nothing taken: the items stay.
    engine->mouseDown(press);
    const auto copied = dragTo(-15, -40);
    ASSERT_TRUE(copied);
    engine->finishPull(*copied, false);
    EXPECT_EQ(store.itemCount(pocket.id), 1);
}

TEST_F(Pull, AnEmptyPocketOrEditModeStartsNoCount)
{
    const Dropzone empty = zone("Empty", 0.2);
    storeZones({ pocket, empty });
    makeEngine().step(frame);
    engine->mouseDown({ 1430, 180 });
    EXPECT_FALSE(engine->state().pullCountZone);
    engine->setEditing(true);
    engine->mouseDown(press);
    EXPECT_FALSE(engine->state().pullCountZone);
}

TEST_F(Pull, TheCounterShowsOnlyOnABulgeBigEnoughToCarryIt)
{
    engine->mouseDown(press);
    bool shown = false;
    for (int i = 0; i < 120; ++i) {
        run(frame);
        const double amplitude = engine->state().blobs[0].amplitude.value;
        const auto counter = engine->pullCounter();
        EXPECT_EQ(counter.has_value(), amplitude > 27) << amplitude;
        shown = shown || counter;
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(*engine->pullCounter(), (PullCounter { { 1440 - 27, 450 }, 1, 3, 1 }));
    EXPECT_NEAR(engine->state().pullCount.value, 1, 0.01);
    engine->mouseUp(press);
    run(1);
    EXPECT_NEAR(engine->state().pullCount.value, 0, 0.01);
}
