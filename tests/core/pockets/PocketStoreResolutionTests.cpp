#include "PocketStoreFixture.h"
#include "pockets/MemoryPasteboard.h"

using namespace kestrane;
using namespace kestrane::testing;

// Whatever is there or out of reach (its volume is not mounted) is kept; the rest is dropped
// and the index rewritten without it. Only what is there is offered to other programs.
TEST_F(PocketStoreTest, ResolvingKeepsWhatIsThereOrOutOfReachAndDropsTheRest)
{
    open();
    const fs::path kept = makeFile("kept.pdf");
    const fs::path pending = makeFile("pending.pdf");
    const fs::path away = makeFile("volume/docs/away.pdf");
    const PocketItem managed = managedItem("note.txt");
    store->items[pocket] = { referenceItem(makeFile("doomed.pdf")), referenceItem(kept), managed, pendingItem(pending),
        PocketItem::make("gone", PocketPayload::makeManaged("missing.txt"), 1),
        PocketItem::make("relative", PocketPayload::makePending("relative/path"), 1),
        PocketItem::make("garbage", PocketPayload::makeReference({ 1, 2, 3 }), 1), referenceItem(away),
        pendingItem(makeFile("volume/docs/pending.pdf")) };
    const std::vector<PocketItem> all = store->items[pocket];
    fs::remove(folder / "doomed.pdf");
    fs::remove_all(folder / "volume");

    std::optional<ResolvedPocketItems> delivered;
    store->resolveAsync(pocket, [&](ResolvedPocketItems items) { delivered = std::move(items); });
    settle();
    const auto fields = [](const ResolvedPocketItem& item) {
        return std::tuple(item.id, item.path, item.scoped, item.available, item.managed);
    };
    ASSERT_EQ(delivered->size(), 5u);
    EXPECT_EQ(fields(*(*delivered)[0]), std::tuple(all[1].id, kept, true, true, false));
    EXPECT_EQ(fields(*(*delivered)[1]), std::tuple(managed.id, store->payloadDirectory() / "note.txt", false, true, true));
    EXPECT_EQ(fields(*(*delivered)[2]), std::tuple(all[3].id, pending, false, true, false));
    EXPECT_EQ(fields(*(*delivered)[3]), std::tuple(all[7].id, away, true, false, false));
    EXPECT_EQ(fields(*(*delivered)[4]), std::tuple(all[8].id, folder / "volume/docs/pending.pdf", false, false, false));
    EXPECT_EQ(store->items[pocket], (std::vector<PocketItem> { all[1], all[2], all[3], all[7], all[8] }));
    EXPECT_EQ(stored().at(pocket), store->items.at(pocket));

    // Nothing died this time: nothing is written.
    const ino_t before = indexInode();
    EXPECT_EQ(store->resolve(pocket).size(), 3u);
    EXPECT_EQ(indexInode(), before);
    EXPECT_TRUE(store->resolve(Uuid::random()).empty());
}

TEST_F(PocketStoreTest, ABackgroundResolutionNeverOverwritesALaterChangeNorReportsOnceTheStoreIsGone)
{
    open();
    const fs::path doomed = makeFile("doomed.pdf");
    store->items[pocket] = { referenceItem(doomed) };
    fs::remove(doomed);

    // An item arrives while the resolution runs: its pruning must be skipped.
    std::optional<ResolvedPocketItems> delivered;
    store->resolveAsync(pocket, [&](ResolvedPocketItems items) { delivered = std::move(items); });
    store->items[pocket].push_back(managedItem("new.txt"));
    settle();
    ASSERT_TRUE(delivered);
    EXPECT_TRUE(delivered->empty());
    EXPECT_EQ(store->itemCount(pocket), 2);

    // An empty pocket resolves at once; results arriving after the store is gone are dropped.
    int calls = 0;
    store->items.erase(pocket);
    store->resolveAsync(pocket, [&](ResolvedPocketItems items) { calls += items.empty(); });
    store->items[pocket] = {};
    store->resolveAsync(pocket, [&](ResolvedPocketItems items) { calls += items.empty(); });
    EXPECT_EQ(calls, 2);

    store->items[pocket] = { managedItem("a.txt") };
    store->resolveAsync(pocket, [&](ResolvedPocketItems) { ++calls; });
    store.reset();
    EXPECT_GE(main.runPending(), 1);
    EXPECT_EQ(calls, 2);
}

TEST_F(PocketStoreTest, AdoptionTurnsOnlyStillPendingItemsIntoReferences)
{
    open();
    const PocketItem pendingA = pendingItem(folder / "a.pdf"), pendingB = pendingItem(folder / "b.pdf");
    const PocketItem managed = managedItem("m.txt");
    store->items[pocket] = { pendingA, managed, pendingB };
    const Bytes bookmark { 1, 2, 3 };

    const ino_t before = indexInode();
    store->adopt({ { managed.id, bookmark }, { Uuid::random(), bookmark } }, pocket);
    store->adopt({ { pendingA.id, bookmark } }, Uuid::random());
    EXPECT_EQ(indexInode(), before);

    store->adopt({ { pendingA.id, bookmark } }, pocket);
    const PocketItem adopted { pendingA.id, pendingA.name, PocketPayload::makeReference(bookmark), pendingA.addedAt };
    EXPECT_EQ(store->items.at(pocket), (std::vector<PocketItem> { adopted, managed, pendingB }));
    EXPECT_EQ(stored().at(pocket), store->items.at(pocket));
}

TEST_F(PocketStoreTest, FilesMovedElsewhereWhileRunningAreFollowedButDeletedOnesAreNot)
{
    EXPECT_TRUE(HeldFile::raiseDescriptorLimit()) << "every followed file holds a descriptor";
    fs::create_directories(folder / "b");
    const fs::path moved = makeFile("a/moved.pdf");
    const fs::path deleted = makeFile("a/deleted.pdf");
    const fs::path draft = makeFile("a/draft.txt");
    const fs::path dropped = makeFile("a/dropped.pdf");
    open();
    store->items[pocket] = { referenceItem(moved), referenceItem(deleted), referenceItem(draft) };
    store->save();
    open();
    settle();
    MemoryPasteboard drop;
    drop.addFile(dropped);
    store->ingest(drop, pocket);
    settle();

    fs::rename(moved, folder / "b/renamed.pdf");
    fs::rename(dropped, folder / "b/dropped.pdf");
    fs::remove(deleted);
    // An editor keeps a backup beside the file it saves: the file at the path is the one meant.
    fs::rename(draft, folder / "a/draft.txt~");
    makeFile("a/draft.txt", "saved");

    const auto paths = [&] {
        std::vector<fs::path> found;
        for (const auto& item : store->resolve(pocket)) {
            found.push_back(item->path);
            EXPECT_EQ(item->name, item->path.filename()) << "a file is shown by its name now";
        }
        return found;
    };
    const std::vector<fs::path> expected { folder / "b/renamed.pdf", draft, folder / "b/dropped.pdf" };
    EXPECT_EQ(paths(), expected);
    EXPECT_EQ(store->itemCount(pocket), 3);
    EXPECT_EQ(*stored().at(pocket).at(1).payload.bookmark(), *FileReference::create(draft));
    // The references were renewed: they lead there after a restart.
    open();
    settle();
    EXPECT_EQ(paths(), expected);

    // Taking an item out lets go of its file.
    const auto holders = [](const fs::path& file) {
        return std::count_if(fs::directory_iterator("/proc/self/fd"), {}, [&](const auto& fd) {
            std::error_code unreadable;
            return fs::read_symlink(fd.path(), unreadable) == file;
        });
    };
    EXPECT_EQ(holders(expected[0]), 1);
    store->remove(store->items[pocket][0].id, pocket);
    EXPECT_EQ(holders(expected[0]), 0);
}
