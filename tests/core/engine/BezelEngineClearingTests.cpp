#include "EngineFixture.h"
#include "pockets/MemoryPasteboard.h"

#include <gmock/gmock.h>

using namespace kestrane;
using namespace kestrane::testing;
namespace fs = std::filesystem;

namespace {
class Clearing : public EngineFixture {
protected:
    Dropzone pocket = zone("A", 0.5);
    std::vector<PocketItem> items;

    void SetUp() override
    {
        storeZones({ pocket });
        items = putItems(pocket.id, 3);
        makeEngine();
        engine->step(frame);
        engine->openDrawer(pocket.id);
        deliverResults();
        run(1);
        haptics.played.clear();
    }

    void frameStep()
    {
        clock.advance(frame);
        engine->step(frame);
    }

    // Reports a growing over-scroll, one point per frame, for `points` points.
    void overscroll(double from, double points)
    {
        for (double v = from + 1; v <= from + points; ++v) {
            engine->setPurgeOverscroll(v, pocket.id);
            frameStep();
        }
    }

    int ticks() const { return static_cast<int>(std::count(haptics.played.begin(), haptics.played.end(), HapticPattern::alignment)); }
    // Files go only once the index without their items is on disk.
    bool payloadExists(const PocketItem& item)
    {
        store.waitForWrites();
        return fs::exists(store.payloadDirectory() / *item.payload.managedFilename());
    }
};
} // namespace

TEST_F(Clearing, ChargePassesThreeDetentsAndCommitsExactlyOnce)
{
    // Points of over-scroll so far, and the detents ticked by then.
    const std::pair<double, int> detents[] = { { 44, 0 }, { 47, 1 }, { 92, 1 }, { 94, 2 }, { 149, 2 }, { 150, 3 } };
    double past = 0;
    for (const auto& [points, expected] : detents) {
        overscroll(past, points - past);
        past = points;
        EXPECT_EQ(ticks(), expected) << points;
        EXPECT_EQ(store.itemCount(pocket.id), points < 150 ? 3 : 0) << points;
    }
    for (int i = 0; i < 120; ++i)
        frameStep();
    EXPECT_EQ(store.itemCount(pocket.id), 0);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 0);
    EXPECT_FALSE(engine->state().wantsOpen);
    EXPECT_EQ(engine->state().liftedItems.at(pocket.id), items);
    EXPECT_EQ(std::count(haptics.played.begin(), haptics.played.end(), HapticPattern::levelChange), 1);
    EXPECT_TRUE(payloadExists(items[0])) << "files stay until the clearing is final";
}

TEST_F(Clearing, ASuddenFullChargeCommitsOnlyOnceTheDisplayHasCaughtUp)
{
    for (double v : { 50.0, 100.0, 150.0 })
        engine->setPurgeOverscroll(v, pocket.id);
    EXPECT_EQ(engine->state().purgeCharge, 1);
    frameStep();
    EXPECT_EQ(store.itemCount(pocket.id), 3);
    EXPECT_LT(engine->state().purge.value, 0.995);
    int framesToCommit = 1;
    for (; framesToCommit < 120 && store.itemCount(pocket.id) > 0; ++framesToCommit)
        frameStep();
    EXPECT_GT(framesToCommit, 2);
    EXPECT_EQ(store.itemCount(pocket.id), 0);
    for (int i = 0; i < 120; ++i)
        frameStep();
    EXPECT_EQ(std::count(haptics.played.begin(), haptics.played.end(), HapticPattern::levelChange), 1);
    EXPECT_EQ(engine->state().liftedItems.at(pocket.id), items);
}

TEST_F(Clearing, SmallRisesNeverChargeAndStrayReportsAreIgnored)
{
    for (int i = 1; i <= 400; ++i)
        engine->setPurgeOverscroll(0.5 * i, pocket.id);
    EXPECT_EQ(engine->state().purgeCharge, 0);

    engine->setPurgeOverscroll(300, Uuid::random());
    engine->beginSystemDrag();
    engine->setPurgeOverscroll(400, pocket.id);
    engine->endSystemDrag();
    engine->mouseDown({ 1430, 450 });
    ASSERT_TRUE(engine->mouseDragged({ 1400, 450 }));
    engine->setPurgeOverscroll(500, pocket.id);
    EXPECT_EQ(engine->state().purgeCharge, 0);
}

TEST_F(Clearing, AHeldChargeDecaysAfterAPauseAndAtOnceWhenStale)
{
    overscroll(0, 75);
    const double held = engine->state().purgeCharge;
    EXPECT_NEAR(held, 0.5, 1e-9);
    for (double t = 0; t < 0.4; t += frame)
        frameStep();
    EXPECT_EQ(engine->state().purgeCharge, held);
    for (double t = 0; t < 0.1; t += frame)
        frameStep();
    EXPECT_LT(engine->state().purgeCharge, held);
    for (double t = 0; t < 0.55; t += frame)
        frameStep();
    EXPECT_EQ(engine->state().purgeCharge, 0);

    // Closing the drawer drains it without the hold.
    engine->openDrawer(pocket.id);
    overscroll(0, 75);
    engine->closeDrawer();
    EXPECT_EQ(engine->state().purgePast, 0);
    const double charged = engine->state().purgeCharge;
    frameStep();
    EXPECT_LT(engine->state().purgeCharge, charged);
}

TEST_F(Clearing, UndoPutsTheItemsBackBeforeNewerOnes)
{
    engine->commitPurge(pocket.id);
    putItems(pocket.id, 1);
    const PocketItem newer = store.items.at(pocket.id).back();
    engine->undoClear(pocket.id);
    std::vector<PocketItem> expected = items;
    expected.push_back(newer);
    EXPECT_EQ(store.items.at(pocket.id), expected);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 4);
    EXPECT_TRUE(engine->state().liftedItems.empty());
    EXPECT_FALSE(engine->state().wantsOpen) << "an undo does not reopen the drawer";
    const auto played = haptics.played.size();
    engine->undoClear(pocket.id);
    EXPECT_EQ(haptics.played.size(), played);
}

TEST_F(Clearing, OnlyTheLatestClearingCanBeUndoneAndNewItemsEndIt)
{
    engine->commitPurge(pocket.id);
    const std::vector<PocketItem> second = putItems(pocket.id, 2);
    // Put in directly: not a drop, so the first clearing is still pending here.
    engine->commitPurge(pocket.id);
    EXPECT_FALSE(payloadExists(items[0]));
    EXPECT_TRUE(payloadExists(second[0]));
    EXPECT_EQ(engine->state().liftedItems.at(pocket.id), second);

    // A drop into the cleared pocket makes the clearing final.
    MemoryPasteboard text;
    text.setString("new");
    engine->updateDragPayload({ 1440, 450 });
    ASSERT_TRUE(engine->acceptDrop(text));
    EXPECT_TRUE(engine->state().liftedItems.empty());
    EXPECT_FALSE(payloadExists(second[0]));
}

TEST_F(Clearing, RemovalAndTerminationDiscardPendingClearings)
{
    const Dropzone other = zone("B", 0.2);
    storeZones({ pocket, other });
    const std::vector<PocketItem> otherItems = putItems(other.id, 1);
    makeEngine();
    engine->step(frame);
    engine->commitPurge(pocket.id);
    engine->commitPurge(other.id);
    engine->removeZone(other.id);
    EXPECT_EQ(engine->state().liftedItems.count(other.id), 0u);
    EXPECT_FALSE(payloadExists(otherItems[0]));

    engine->discardPendingUndo();
    EXPECT_TRUE(engine->state().liftedItems.empty());
    EXPECT_FALSE(payloadExists(items[0]));

    // Clearing an empty pocket lifts nothing and offers no undo.
    engine->commitPurge(pocket.id);
    EXPECT_TRUE(engine->state().liftedItems.empty());
}

TEST_F(Clearing, PurgeTraceGetsOneLinePerAcceptedReport)
{
    std::string trace;
    makeEngine([&trace](const std::string& line) { trace += line + "\n"; });
    engine->openDrawer(pocket.id);
    engine->setPurgeOverscroll(38.5, pocket.id);
    engine->setPurgeOverscroll(42, pocket.id);
    engine->setPurgeOverscroll(10, Uuid::random());
    EXPECT_EQ(trace, "PURGE past=38.5 rise=38.5 charge=0.00\nPURGE past=42.0 rise=3.5 charge=0.26\n");
}
