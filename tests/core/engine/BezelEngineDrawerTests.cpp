#include "EngineFixture.h"

#include <cmath>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class Drawer : public EngineFixture {
protected:
    std::vector<Dropzone> zones;

    void SetUp() override
    {
        zones = { zone("A", 0.25), zone("B", 0.75) };
        storeZones(zones);
    }

    BezelEngine& start(int itemsInA, int itemsInB = 0)
    {
        putItems(zones[0].id, itemsInA);
        putItems(zones[1].id, itemsInB);
        makeEngine();
        engine->step(frame);
        return *engine;
    }

    const Uuid& a() const { return zones[0].id; }
    const Uuid& b() const { return zones[1].id; }
};
} // namespace

TEST_F(Drawer, HeightFollowsTheItemsUpToSixRows)
{
    for (const auto& [items, height] : { std::pair { 1, 112.0 }, { 2, 128.0 }, { 6, 312.0 }, { 9, 312.0 } }) {
        store.items.clear();
        start(items);
        engine->openDrawer(a());
        // Before the first frame the frame already has its final height.
        EXPECT_EQ(engine->drawerFrame()->height, height) << items;
        run(1.5);
        EXPECT_NEAR(engine->state().openHeightValue.value, height, 0.01) << items;
        EXPECT_EQ(engine->drawerFrame()->x, 1440 - 214);
    }
}

TEST_F(Drawer, TheFrameStaysInsideTheScreenAndPinsToTheTopWhenShort)
{
    zones[0].anchor = 0.1;
    storeZones(zones);
    start(6);
    engine->openDrawer(a());
    run(1.5);
    // The pocket sits at 166; a 312-point drawer around it would reach above the screen.
    EXPECT_EQ(engine->state().blobs[0].y.value, 166);
    EXPECT_NEAR(engine->drawerFrame()->y, 16, 0.01);
    engine->setSize({ 1440, 300 });
    run(0.1);
    EXPECT_NEAR(engine->drawerFrame()->y, 16, 0.01);
}

TEST_F(Drawer, OpeningResolvesTheItemsAndKeepsOnlyTheLatestPocketsResult)
{
    start(2, 3);
    // Shut before its items came back: the late result is dropped.
    engine->openDrawer(a());
    engine->closeDrawer();
    run(1);
    deliverResults();
    EXPECT_TRUE(engine->state().openItems.empty());

    engine->openDrawer(a());
    EXPECT_EQ(engine->state().openZone, a());
    EXPECT_TRUE(engine->state().openItems.empty());
    // Switched to B before A's items came back: A's result is dropped.
    engine->openDrawer(b());
    EXPECT_EQ(engine->state().openZone, b());
    deliverResults();
    ASSERT_EQ(engine->state().openItems.size(), 3u);
    EXPECT_EQ(engine->state().openItems[0]->id, store.items.at(b())[0].id);

    // A pocket whose items all vanished closes again and shows its true count.
    for (const PocketItem& item : store.items.at(a()))
        std::filesystem::remove(store.payloadDirectory() / *item.payload.managedFilename());
    engine->openDrawer(a());
    deliverResults();
    EXPECT_FALSE(engine->state().wantsOpen);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 0);

    // An empty pocket never opens.
    engine->openDrawer(a());
    EXPECT_FALSE(engine->state().wantsOpen);
}

TEST_F(Drawer, TogglingClosesAndAClosingDrawerIgnoresClicksUntilClosed)
{
    start(2);
    engine->toggleOpen(a());
    deliverResults();
    run(1);
    engine->toggleOpen(a());
    EXPECT_FALSE(engine->state().wantsOpen);
    EXPECT_EQ(engine->state().openZone, a());
    engine->toggleOpen(a());
    EXPECT_FALSE(engine->state().wantsOpen);
    run(2);
    EXPECT_FALSE(engine->state().openZone);
    EXPECT_TRUE(engine->state().openItems.empty());
    engine->toggleOpen(a());
    EXPECT_TRUE(engine->state().wantsOpen);
}

TEST_F(Drawer, RemovingItemsShrinksTheDrawerAndTheLastOneClosesIt)
{
    start(3);
    engine->openDrawer(a());
    deliverResults();
    run(1);
    const Uuid first = engine->state().openItems[0]->id;
    engine->removeOpenItem(first);
    EXPECT_EQ(engine->state().openItems.size(), 2u);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 2);
    EXPECT_TRUE(engine->state().wantsOpen);
    run(1.5);
    EXPECT_NEAR(engine->state().openHeightValue.value, 128, 0.01);
    engine->removeOpenItem(engine->state().openItems[0]->id);
    engine->removeOpenItem(engine->state().openItems[0]->id);
    EXPECT_FALSE(engine->state().wantsOpen);
    EXPECT_EQ(store.itemCount(a()), 0);
}

TEST_F(Drawer, NodesAndContentExistOnlyWhileOpenAndFollowTheBulge)
{
    start(3);
    EXPECT_FALSE(engine->openLayoutNode());
    engine->openDrawer(a());
    EXPECT_FALSE(engine->openContentRect()) << "nothing before the drawer has moved";
    deliverResults();
    run(2);
    const auto content = engine->openContentRect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->height, 3 * 46);
    // The settled 174-point body: core 71, falloffs 16, so the rows' lower edge lies 69
    // points from the centre of a reach of 87.
    EXPECT_NEAR(content->width, 214 * std::pow(1 - std::pow(69.0 / 87, 7.5), 1 / 7.5) - 12, 1e-6);
    EXPECT_EQ(content->x + content->width, 1440);
    EXPECT_EQ(engine->openLayoutNode()->amplitude, 214);
    EXPECT_NE(engine->openPocketNode(), std::nullopt);

    // Barely open, the bulge has not grown around the rows: they keep a usable width.
    engine->closeDrawer();
    while (engine->state().openProgress.value > 0.01)
        engine->step(frame);
    EXPECT_EQ(engine->openContentRect()->width, 90);
    run(1);
    EXPECT_FALSE(engine->openLayoutNode());
    EXPECT_FALSE(engine->openPocketNode());
    EXPECT_FALSE(engine->openContentRect());
}

TEST_F(Drawer, PointerTicksOnlyWhileTheDrawerWantsToBeOpen)
{
    start(1);
    engine->notePointerMoved();
    EXPECT_EQ(engine->state().pointerTick, 0);
    engine->openDrawer(a());
    engine->notePointerMoved();
    engine->notePointerMoved();
    EXPECT_EQ(engine->state().pointerTick, 2);
}
