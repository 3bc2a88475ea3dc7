#include "EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class Drawer : public EngineFixture {
protected:
    Uuid a, b;

    void start(int itemsInA, int itemsInB = 0)
    {
        const auto pockets = startWith({ { 225, itemsInA }, { 675, itemsInB } });
        a = pockets[0].id;
        b = pockets[1].id;
    }
};
} // namespace

TEST_F(Drawer, HeightFollowsTheItemsUpToSixRowsAndTheFrameStaysOnScreen)
{
    for (const auto& [items, height] : { std::pair { 1, 112.0 }, { 2, 128.0 }, { 6, 312.0 }, { 9, 312.0 } }) {
        store.items.clear();
        start(items);
        engine->openDrawer(a);
        // Before the first frame the frame already has its final height.
        EXPECT_EQ(engine->drawerFrame()->height, height) << items;
        run(1.5);
        EXPECT_NEAR(engine->state().openHeightValue.value, height, 0.01) << items;
        EXPECT_EQ(engine->drawerFrame()->x, 1440 - 214);
    }
    // Centred on its pocket at 225, until a short screen pins it to the top margin.
    EXPECT_NEAR(engine->drawerFrame()->y, 225 - 156, 0.01);
    engine->setSize({ 1440, 300 });
    run(0.1);
    EXPECT_NEAR(engine->drawerFrame()->y, 16, 0.01);
}

TEST_F(Drawer, OpeningKeepsOnlyTheLatestPocketsItemsTogglingLetsAClosingDrawerFinishAndRemovingShrinks)
{
    start(2, 3);
    // Shut before its items came back: the late result is dropped.
    engine->openDrawer(a);
    engine->closeDrawer();
    run(1);
    main.runUntilIdle();
    EXPECT_TRUE(engine->state().openItems.empty());

    engine->openDrawer(a);
    // Switched to B before A's items came back: A's result is dropped.
    engine->openDrawer(b);
    main.runUntilIdle();
    ASSERT_EQ(engine->state().openItems.size(), 3u);
    EXPECT_EQ(engine->state().openItems[0]->id, store.items.at(b)[0].id);

    // A pocket whose items all vanished closes again and shows its true count.
    for (const PocketItem& item : store.items.at(a))
        std::filesystem::remove(store.payloadDirectory() / *item.payload.managedFilename());
    engine->openDrawer(a);
    main.runUntilIdle();
    EXPECT_EQ(std::tuple(engine->state().wantsOpen, engine->state().blobs[0].itemCount), std::tuple(false, 0));
    engine->openDrawer(a);
    EXPECT_FALSE(engine->state().wantsOpen) << "an empty pocket never opens";

    // Toggling closes the drawer; a second toggle leaves the closing drawer to finish.
    engine->notePointerMoved();
    engine->toggleOpen(b);
    main.runUntilIdle();
    run(1);
    engine->notePointerMoved();
    EXPECT_EQ(engine->state().pointerTick, 1) << "the pointer ticks only while the drawer wants to be open";
    EXPECT_TRUE(engine->isQuiescent()) << "an open drawer at rest lets the frame loop sleep";
    engine->toggleOpen(b);
    EXPECT_EQ(std::tuple(engine->state().wantsOpen, engine->state().openZone), std::tuple(false, b));
    engine->toggleOpen(b);
    EXPECT_FALSE(engine->state().wantsOpen);
    run(2);
    EXPECT_EQ(
        std::tuple(engine->state().openZone, engine->state().openItems.size(), engine->isQuiescent()), std::tuple(std::nullopt, 0u, true));
    engine->toggleOpen(b);
    EXPECT_TRUE(engine->state().wantsOpen);
    // Opening an item shuts the drawer and ends edit mode.
    engine->setEditing(true);
    engine->itemOpened();
    EXPECT_EQ(std::tuple(engine->state().wantsOpen, engine->state().isEditing), std::tuple(false, false));
    run(2);
    engine->toggleOpen(b);

    // Removing items shrinks the drawer; the last one closes it.
    main.runUntilIdle();
    engine->removeOpenItem(engine->state().openItems[0]->id);
    EXPECT_EQ(std::tuple(engine->state().openItems.size(), engine->state().blobs[1].itemCount, engine->state().wantsOpen),
        std::tuple(2u, 2, true));
    run(1.5);
    EXPECT_NEAR(engine->state().openHeightValue.value, 128, 0.01);
    engine->removeOpenItem(engine->state().openItems[0]->id);
    engine->removeOpenItem(engine->state().openItems[0]->id);
    EXPECT_EQ(std::tuple(engine->state().wantsOpen, store.itemCount(b)), std::tuple(false, 0));
}

TEST_F(Drawer, NodesAndContentExistOnlyWhileOpenFollowTheBulgeAndStayOnScreen)
{
    start(3);
    EXPECT_FALSE(engine->openLayoutNode());
    engine->openDrawer(a);
    EXPECT_FALSE(engine->openContentRect()) << "nothing before the drawer has moved";
    main.runUntilIdle();
    run(2);
    const auto node = engine->node(engine->state().blobs[0], false);
    EXPECT_EQ(node, engine->openLayoutNode());
    EXPECT_EQ(std::tuple(node->amplitude, node->squircle, node->core, node->falloffTop), std::tuple(214, 1, 71, 16));
    // The rows are as wide as the settled bulge is at their lower edge, less a margin.
    const auto content = engine->openContentRect();
    EXPECT_EQ(std::tuple(content->height, content->x + content->width), std::tuple(3 * 46, 1440));
    EXPECT_NEAR(content->width, 196.555, 0.001);
    EXPECT_NE(engine->openPocketNode(), std::nullopt);

    // Near either end of the screen the bulge stays inside it; held at a full charge it hangs lower.
    BlobRuntime pocket = engine->state().blobs[0];
    pocket.y = SpringValue::atRest(20);
    EXPECT_EQ(engine->node(pocket, false)->center, 16 + 87);
    pocket.y = SpringValue::atRest(890);
    EXPECT_EQ(engine->node(pocket, false)->center, 900 - 16 - 87);
    for (double v = 1; v <= 150; ++v)
        engine->setClearingOverscroll(v, a);
    engine->step(frame);
    ASSERT_TRUE(engine->state().clearing.value > 0.001 && engine->state().clearing.value < 0.995);
    const auto plain = *engine->node(engine->state().blobs[0], false), sagging = *engine->node(engine->state().blobs[0], true);
    EXPECT_TRUE(sagging.center > plain.center && sagging.center <= plain.center + 22) << sagging.center - plain.center;
    EXPECT_TRUE(sagging.falloffBottom > plain.falloffBottom && sagging.amplitude < plain.amplitude);

    // Barely open, the bulge has not grown around the rows: they keep a usable width.
    engine->closeDrawer();
    while (engine->state().openProgress.value > 0.01)
        engine->step(frame);
    EXPECT_EQ(engine->openContentRect()->width, 90);
    run(1);
    EXPECT_FALSE(engine->openLayoutNode() || engine->openPocketNode() || engine->openContentRect());
}
