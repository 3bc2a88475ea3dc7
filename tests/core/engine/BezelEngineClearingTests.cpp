#include "EngineFixture.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketIndexCodec.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class Clearing : public EngineFixture {
protected:
    Dropzone pocket = newPocket("A", 0.5), other = newPocket("B", 0.2);
    std::vector<PocketItem> items, otherItems;

    void SetUp() override
    {
        storePockets({ pocket, other });
        items = putItems(pocket.id, 3);
        otherItems = putItems(other.id, 1);
        makeEngine();
        openSettled();
    }

    void openSettled()
    {
        engine->openDrawer(pocket.id);
        main.runUntilIdle();
        run(1);
        haptics.played.clear();
    }

    // Reports a growing over-scroll, one point per frame, for `points` points.
    void overscroll(double from, double points)
    {
        for (double v = from + 1; v <= from + points; ++v) {
            engine->setClearingOverscroll(v, pocket.id);
            run(frame);
        }
    }

    long played(HapticPattern pattern) const { return std::count(haptics.played.begin(), haptics.played.end(), pattern); }
    // Files go only once the index without their items is on disk.
    bool payloadExists(const PocketItem& item)
    {
        store.waitForWrites();
        return std::filesystem::exists(store.payloadDirectory() / *item.payload.managedFilename());
    }
};
} // namespace

TEST_F(Clearing, SmallRisesNeverChargeStrayReportsAreIgnoredAndTheTraceGetsOneLinePerAcceptedReport)
{
    std::string trace;
    makeEngine([&trace](const std::string& line) { trace += line + "\n"; }).openDrawer(pocket.id);
    engine->setClearingOverscroll(38.5, pocket.id);
    engine->setClearingOverscroll(42, pocket.id);
    engine->setClearingOverscroll(10, Uuid::random());
    EXPECT_EQ(trace, "PURGE past=38.5 rise=38.5 charge=0.00\nPURGE past=42.0 rise=3.5 charge=0.26\n");

    run(1);
    const double charge = engine->state().purgeCharge;
    for (int i = 1; i <= 400; ++i)
        engine->setClearingOverscroll(42 + 0.5 * i, pocket.id);
    engine->beginSystemDrag();
    engine->setClearingOverscroll(400, pocket.id);
    engine->endSystemDrag();
    engine->mouseDown({ 1430, 450 });
    ASSERT_TRUE(engine->mouseDragged({ 1400, 450 }));
    engine->setClearingOverscroll(500, pocket.id);
    EXPECT_EQ(engine->state().purgeCharge, charge);
}

TEST_F(Clearing, AHeldChargeDecaysAfterAPausePassesThreeDetentsAndCommitsOnceWhenTheDisplayHasCaughtUp)
{
    overscroll(0, 75);
    EXPECT_NEAR(engine->state().purgeCharge, 0.5, 1e-9);
    run(0.4);
    EXPECT_NEAR(engine->state().purgeCharge, 0.5, 1e-9);
    run(0.1);
    EXPECT_LT(engine->state().purgeCharge, 0.5);
    run(0.55);
    EXPECT_EQ(engine->state().purgeCharge, 0);

    overscroll(75, 75);
    engine->closeDrawer();
    EXPECT_EQ(engine->state().purgePast, 0);
    run(frame);
    EXPECT_TRUE(engine->state().purgeCharge > 0.45 && engine->state().purgeCharge < 0.5) << "closing drains without the hold";

    openSettled();
    // Points of over-scroll so far, and the detents ticked by then.
    const std::pair<double, int> detents[] = { { 44, 0 }, { 47, 1 }, { 92, 1 }, { 94, 2 }, { 149, 2 }, { 150, 3 } };
    double past = 0;
    for (const auto& [points, expected] : detents) {
        overscroll(past, points - past);
        past = points;
        EXPECT_EQ(played(HapticPattern::alignment), expected) << points;
        EXPECT_EQ(store.itemCount(pocket.id), points < 150 ? 3 : 0) << points;
    }
    run(1);
    EXPECT_EQ(std::tuple(engine->state().wantsOpen, played(HapticPattern::levelChange)), std::tuple(false, 1L));

    // A sudden full charge commits only once the display has caught up.
    engine->undoClear(pocket.id);
    openSettled();
    for (double v : { 50.0, 100.0, 150.0 })
        engine->setClearingOverscroll(v, pocket.id);
    int framesToCommit = 0;
    for (; framesToCommit < 120 && store.itemCount(pocket.id) > 0; ++framesToCommit)
        run(frame);
    EXPECT_TRUE(framesToCommit > 2 && framesToCommit < 120) << framesToCommit;
}

TEST_F(Clearing, UndoPutsTheLatestClearingBackUntilADropRemovalOrQuittingEndsIt)
{
    engine->commitPurge(pocket.id);
    const PocketItem newer = putItems(pocket.id, 1)[0];
    engine->undoClear(pocket.id);
    EXPECT_EQ(store.items.at(pocket.id), (std::vector { items[0], items[1], items[2], newer }));
    EXPECT_EQ(std::tuple(engine->state().blobs[0].itemCount, engine->state().wantsOpen), std::tuple(4, false))
        << "an undo does not reopen the drawer";
    engine->undoClear(pocket.id);
    EXPECT_EQ(store.itemCount(pocket.id), 4);

    // A second clearing makes the first final; a drop into the cleared pocket ends the second.
    engine->commitPurge(pocket.id);
    const std::vector<PocketItem> second = putItems(pocket.id, 2);
    engine->commitPurge(pocket.id);
    EXPECT_EQ(std::tuple(payloadExists(items[0]), payloadExists(second[0])), std::tuple(false, true));
    EXPECT_EQ(engine->state().liftedItems.at(pocket.id), second);
    MemoryPasteboard text;
    text.setString("new");
    engine->updateDragPayload({ 1440, 450 });
    ASSERT_TRUE(engine->acceptDrop(text));
    EXPECT_TRUE(engine->state().liftedItems.empty() && !payloadExists(second[0]));

    // Quitting makes pending clearings final, a removed pocket's among them.
    const PocketItem dropped = store.items.at(pocket.id).at(0);
    engine->commitPurge(pocket.id);
    engine->commitPurge(other.id);
    engine->removeZone(other.id);
    engine->discardPendingUndo();
    EXPECT_FALSE(payloadExists(dropped) || payloadExists(otherItems[0]));
    // Clearing an empty pocket offers no undo.
    engine->commitPurge(pocket.id);
    EXPECT_TRUE(engine->state().liftedItems.empty());
}

TEST_F(Clearing, ARemovedPocketEndsItsDragAndIsPutBackInPlaceWithItsItemsUntilTheNextRemovalMakesItFinal)
{
    // The pocket leaves the layout at once, ending its drag; its items and their files stay
    // while it can come back.
    grabPocket({ 1440, 450 });
    ASSERT_TRUE(engine->state().dragSession);
    engine->removeZone(pocket.id);
    EXPECT_EQ(writesDuring([&] {
        engine->removeZone(pocket.id);
        engine->removeZone(Uuid::random());
    }),
        0);
    run(2);
    EXPECT_EQ(std::tuple(storedPockets().size(), engine->state().blobs.size(), store.itemCount(pocket.id), payloadExists(items[2]),
                  engine->state().dragSession),
        std::tuple(1u, 2u, 3, true, std::nullopt));
    engine->undoRemoval();
    EXPECT_EQ(
        std::tuple(storedPockets().at(0), engine->pocket(pocket.id)->y.value, store.items.at(pocket.id)), std::tuple(pocket, 450.0, items));

    // A cleared pocket comes back with its clearing pending; the last living pocket stays.
    engine->commitPurge(other.id);
    engine->removeZone(other.id);
    EXPECT_EQ(writesDuring([&] { engine->removeZone(pocket.id); }), 0);
    engine->undoRemoval();
    EXPECT_EQ(engine->state().liftedItems.at(other.id), otherItems);

    // The next removal makes the one before final: its files go only once the index without
    // their items is on disk, and it fades out where it was.
    engine->addZone();
    engine->removeZone(pocket.id);
    engine->removeZone(other.id);
    EXPECT_TRUE(std::filesystem::exists(store.payloadDirectory() / *items[0].payload.managedFilename()));
    EXPECT_FALSE(payloadExists(items[0]) || decodePocketIndex(readFile(store.indexFile())).pockets->contains(pocket.id));
    const double y = engine->pocket(pocket.id)->y.value;
    for (int i = 0; i < 600 && engine->pocket(pocket.id); ++i) {
        EXPECT_EQ(engine->pocket(pocket.id)->y.value, y);
        engine->step(frame);
    }
    EXPECT_FALSE(engine->pocket(pocket.id)) << "the faded pocket is gone";
}
