#include "PocketStoreFixture.h"

using namespace kestrane;
using kestrane::testing::PocketStoreTest;
using kestrane::testing::writeFile;
namespace fs = std::filesystem;

TEST_F(PocketStoreTest, ResolvingDropsDeadItemsAndRewritesTheIndexWithoutThem)
{
    open();
    const fs::path kept = makeFile("kept.pdf");
    const fs::path doomed = makeFile("doomed.pdf");
    const fs::path pending = makeFile("pending.pdf");
    const PocketItem managed = managedItem("note.txt");
    store->items[zone] = { referenceItem(doomed), referenceItem(kept), managed, pendingItem(pending),
        PocketItem::make("gone", PocketPayload::makeManaged("missing.txt"), 1),
        PocketItem::make("relative", PocketPayload::makePending("relative/path"), 1),
        PocketItem::make("garbage", PocketPayload::makeReference({ 1, 2, 3 }), 1) };
    fs::remove(doomed);

    const ResolvedPocketItems resolved = store->resolve(zone);
    ASSERT_EQ(resolved.size(), 3u);
    EXPECT_EQ(resolved[0]->url, kept);
    EXPECT_TRUE(resolved[0]->scoped);
    EXPECT_EQ(resolved[1]->url, store->payloadDirectory() / "note.txt");
    EXPECT_EQ(resolved[1]->id, managed.id);
    EXPECT_FALSE(resolved[1]->scoped);
    EXPECT_EQ(resolved[2]->url, pending);
    EXPECT_EQ(store->itemCount(zone), 3);
    EXPECT_EQ(stored().at(zone), store->items.at(zone));

    // Nothing died this time: nothing is written.
    const ino_t before = indexInode();
    EXPECT_EQ(store->resolve(zone).size(), 3u);
    EXPECT_EQ(indexInode(), before);
    EXPECT_TRUE(store->resolve(Uuid::random()).empty());
}

TEST_F(PocketStoreTest, AStaleReferenceIsRenewedInTheIndexAfterTheNextResolution)
{
    open();
    const fs::path file = makeFile("draft.txt", "old");
    const PocketItem item = referenceItem(file);
    store->items[zone] = { item };
    // Replaced at its path, as editors save: the same path now holds another file.
    fs::rename(makeFile("draft.txt.new", "new"), file);

    const ResolvedPocketItems resolved = store->resolve(zone);
    ASSERT_EQ(resolved.size(), 1u);
    EXPECT_EQ(resolved[0]->url, file);
    const Bytes renewed = stored().at(zone).at(0).payload.bookmark;
    EXPECT_NE(renewed, item.payload.bookmark);
    EXPECT_EQ(renewed, *FileReference::create(file));
    EXPECT_FALSE(FileReference::resolve(renewed)->isStale);
}

TEST_F(PocketStoreTest, ABackgroundResolutionNeverOverwritesALaterChange)
{
    open();
    const fs::path doomed = makeFile("doomed.pdf");
    store->items[zone] = { referenceItem(doomed) };
    fs::remove(doomed);

    // An item arrives while the resolution runs: its pruning must be skipped.
    std::optional<ResolvedPocketItems> delivered;
    store->resolveAsync(zone, [&](ResolvedPocketItems items) { delivered = std::move(items); });
    EXPECT_FALSE(delivered);
    store->items[zone].push_back(managedItem("new.txt"));
    settle();
    ASSERT_TRUE(delivered);
    EXPECT_TRUE(delivered->empty());
    EXPECT_EQ(store->itemCount(zone), 2);

    // Left alone, the next resolution prunes.
    delivered.reset();
    store->resolveAsync(zone, [&](ResolvedPocketItems items) { delivered = std::move(items); });
    settle();
    ASSERT_TRUE(delivered);
    EXPECT_EQ(delivered->size(), 1u);
    EXPECT_EQ(store->itemCount(zone), 1);
    EXPECT_EQ(stored().at(zone), store->items.at(zone));
}

TEST_F(PocketStoreTest, AnEmptyPocketResolvesBeforeResolveAsyncReturns)
{
    open();
    bool called = false;
    store->resolveAsync(zone, [&](ResolvedPocketItems items) { called = items.empty(); });
    EXPECT_TRUE(called);
    store->items[zone] = {};
    called = false;
    store->resolveAsync(zone, [&](ResolvedPocketItems items) { called = items.empty(); });
    EXPECT_TRUE(called);
}

TEST_F(PocketStoreTest, ResultsArrivingAfterTheStoreIsGoneAreDropped)
{
    open();
    store->items[zone] = { managedItem("a.txt") };
    bool called = false;
    store->resolveAsync(zone, [&](ResolvedPocketItems) { called = true; });
    store.reset();
    EXPECT_GE(main.runPending(), 1);
    EXPECT_FALSE(called);
}

TEST_F(PocketStoreTest, AdoptionTurnsOnlyStillPendingItemsIntoReferences)
{
    open();
    const fs::path a = makeFile("a.pdf");
    const fs::path b = makeFile("b.pdf");
    const PocketItem pendingA = pendingItem(a);
    const PocketItem pendingB = pendingItem(b);
    const PocketItem managed = managedItem("m.txt");
    store->items[zone] = { pendingA, managed, pendingB };
    const Bytes bookmark = *FileReference::create(a);

    const ino_t before = indexInode();
    store->adopt({ { managed.id, bookmark }, { Uuid::random(), bookmark } }, zone);
    store->adopt({ { pendingA.id, bookmark } }, Uuid::random());
    store->adopt({}, zone);
    EXPECT_EQ(indexInode(), before);

    store->adopt({ { pendingA.id, bookmark } }, zone);
    const std::vector<PocketItem>& list = store->items.at(zone);
    EXPECT_EQ(list[0].payload, PocketPayload::makeReference(bookmark));
    EXPECT_EQ(list[1], managed);
    EXPECT_EQ(list[2], pendingB);
    EXPECT_EQ(stored().at(zone), list);
}
