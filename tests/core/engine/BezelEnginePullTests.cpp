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
        pocket = startWithOnePocket(3);
        items = store.items.at(pocket.id);
    }
    std::optional<PullOffer> dragTo(double right, double down) { return engine->mouseDragged({ press.x + right, press.y + down }); }
    std::int64_t depth() const { return engine->state().pullDepth; }
};
} // namespace

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
    EXPECT_EQ(offer->zone, pocket.id);
    ASSERT_EQ(offer->items.size(), 2u);
    EXPECT_EQ(std::tuple(offer->items[0]->id, offer->items[1]->id), std::tuple(items[1].id, items[2].id));
    EXPECT_EQ(std::tuple(engine->state().pullCountZone, engine->state().pullingZone, engine->state().blobs[0].amplitude.velocity),
        std::tuple(std::nullopt, pocket.id, 520));

    engine->finishPull(*offer, true);
    EXPECT_EQ(std::tuple(store.itemCount(pocket.id), engine->state().blobs[0].itemCount, engine->state().pullingZone), std::tuple(1, 1, std::nullopt));

    // Copied, or dropped elsewhere with nothing taken: the items stay.
    engine->mouseDown(press);
    const auto copied = dragTo(-15, -40);
    ASSERT_TRUE(copied);
    engine->finishPull(*copied, false);
    EXPECT_EQ(store.itemCount(pocket.id), 1);
}
