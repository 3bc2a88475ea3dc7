#include "PocketStoreFixture.h"

#include "pockets/MemoryPasteboard.h"

#include <gmock/gmock.h>

using namespace kestrane;
using kestrane::testing::PocketStoreTest;
using kestrane::testing::readFile;
using kestrane::testing::writeFile;
namespace fs = std::filesystem;

namespace {
std::vector<std::string> names(const std::vector<PocketItem>& items)
{
    std::vector<std::string> result;
    for (const PocketItem& item : items)
        result.push_back(item.name);
    return result;
}
} // namespace

TEST_F(PocketStoreTest, AFirstLaunchCreatesTheFoldersAndWritesOnlyOnTheFirstChange)
{
    open();
    EXPECT_TRUE(fs::is_directory(directory() / "Payloads"));
    EXPECT_EQ(indexInode(), 0u);
    store->removeAll(zone);
    store->remove(Uuid::random(), zone);
    store->lift(zone);
    store->restore({}, zone);
    EXPECT_EQ(indexInode(), 0u);

    store->items[zone].push_back(managedItem("A.txt"));
    store->save();
    const PocketMap onDisk = stored();
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_EQ(onDisk.at(zone), store->items.at(zone));

    // The next launch reads it back.
    open();
    EXPECT_EQ(store->items.at(zone), onDisk.at(zone));
    EXPECT_EQ(store->itemCount(zone), 1);
    EXPECT_EQ(store->itemCount(Uuid::random()), 0);
}

TEST_F(PocketStoreTest, AnUnreadableIndexIsNeverWrittenButDropsWorkInMemory)
{
    fs::create_directories(directory());
    const std::string garbage = "{\"not\": an index";
    writeFile(directory() / "pockets.json", garbage);
    ::testing::internal::CaptureStderr();
    open();
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "Kestrane: pocket index could not be read \xE2\x80\x94 writes disabled this launch\n");
    EXPECT_TRUE(store->indexUnreadable());
    EXPECT_TRUE(store->items.empty());

    const fs::path file = makeFile("report.pdf");
    MemoryPasteboard drop;
    drop.addFile(file);
    EXPECT_EQ(store->ingest(drop, zone), 1);
    settle();
    EXPECT_TRUE(store->items.at(zone).at(0).payload.bookmark());
    store->removeAll(zone);
    store.reset();
    EXPECT_EQ(readFile(directory() / "pockets.json"), garbage);
}

TEST_F(PocketStoreTest, AnIndexThatIsAFolderCountsAsUnreadable)
{
    fs::create_directories(directory() / "pockets.json");
    ::testing::internal::CaptureStderr();
    open();
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(store->indexUnreadable());
}

TEST_F(PocketStoreTest, LiftAndRestorePutClearedItemsFirstAndKeepTheirFiles)
{
    open();
    store->items[zone] = { managedItem("one.txt"), managedItem("two.txt") };
    store->save();
    const std::vector<PocketItem> lifted = store->lift(zone);
    EXPECT_EQ(names(lifted), (std::vector<std::string> { "one.txt", "two.txt" }));
    EXPECT_TRUE(stored().at(zone).empty());
    EXPECT_TRUE(fs::exists(store->payloadDirectory() / "one.txt"));

    store->items[zone].push_back(managedItem("new.txt"));
    store->restore(lifted, zone);
    EXPECT_THAT(names(store->items.at(zone)), ::testing::ElementsAre("one.txt", "two.txt", "new.txt"));
    EXPECT_EQ(stored().at(zone), store->items.at(zone));

    // A restore into a pocket that was forgotten meanwhile brings its entry back.
    const Uuid other = Uuid::random();
    store->restore(lifted, other);
    EXPECT_EQ(store->itemCount(other), 2);
}

TEST_F(PocketStoreTest, DiscardingAClearingDeletesExactlyTheManagedFiles)
{
    open();
    const fs::path referenced = makeFile("kept-reference.pdf");
    const fs::path pending = makeFile("kept-pending.pdf");
    store->items[zone] = { managedItem("a.png"), referenceItem(referenced), pendingItem(pending), managedItem("b.txt") };
    const fs::path bystander = store->payloadDirectory() / "bystander.txt";
    writeFile(bystander, "not lifted");
    const std::vector<PocketItem> lifted = store->lift(zone);
    const ino_t before = indexInode();
    store->discardLifted(lifted);
    EXPECT_FALSE(fs::exists(store->payloadDirectory() / "a.png"));
    EXPECT_FALSE(fs::exists(store->payloadDirectory() / "b.txt"));
    EXPECT_TRUE(fs::exists(referenced));
    EXPECT_TRUE(fs::exists(pending));
    EXPECT_TRUE(fs::exists(bystander));
    EXPECT_EQ(indexInode(), before);
}

TEST_F(PocketStoreTest, RemovingDeletesOnlyTheNamedItemAndItsOwnFile)
{
    open();
    const PocketItem first = managedItem("first.txt");
    const PocketItem second = managedItem("second.txt");
    store->items[zone] = { first, second };
    store->save();
    const ino_t before = indexInode();
    store->remove(Uuid::random(), zone);
    store->remove(first.id, Uuid::random());
    EXPECT_EQ(indexInode(), before);
    EXPECT_EQ(store->itemCount(zone), 2);

    store->remove(first.id, zone);
    EXPECT_EQ(store->items.at(zone), std::vector<PocketItem> { second });
    EXPECT_EQ(stored().at(zone), std::vector<PocketItem> { second });
    EXPECT_FALSE(fs::exists(store->payloadDirectory() / "first.txt"));
    EXPECT_TRUE(fs::exists(store->payloadDirectory() / "second.txt"));

    store->removeAll(zone);
    const PocketMap onDisk = stored();
    EXPECT_FALSE(fs::exists(store->payloadDirectory() / "second.txt"));
    ASSERT_EQ(onDisk.count(zone), 1u);
    EXPECT_TRUE(onDisk.at(zone).empty());

    store->deleteZone(zone);
    EXPECT_EQ(store->items.count(zone), 0u);
    EXPECT_EQ(stored().count(zone), 0u);
}

TEST_F(PocketStoreTest, ManagedNamesFromTheIndexNeverReachOutsideThePayloadFolder)
{
    open();
    const fs::path outside = makeFile("outside.txt", "precious");
    fs::create_directories(store->payloadDirectory() / "sub");
    writeFile(store->payloadDirectory() / "sub/inner.txt", "precious too");
    const std::string hostile[] = { "../../outside.txt", outside.string(), "sub/inner.txt", "..", ".", "" };
    std::vector<PocketItem> list;
    for (const std::string& name : hostile)
        list.push_back(PocketItem::make("x", PocketPayload::makeManaged(name), 1));
    list.push_back(managedItem("fine.txt"));

    store->items[zone] = list;
    const ResolvedPocketItems resolved = store->resolve(zone);
    ASSERT_EQ(resolved.size(), 1u);
    EXPECT_EQ(resolved[0]->path, store->payloadDirectory() / "fine.txt");

    ::testing::internal::CaptureStderr();
    store->items[zone] = list;
    store->removeAll(zone);
    store->items[zone] = list;
    store->discardLifted(store->lift(zone));
    for (const PocketItem& item : list) {
        store->items[zone] = { item };
        store->remove(item.id, zone);
    }
    store->waitForWrites();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(outside), "precious");
    EXPECT_EQ(readFile(store->payloadDirectory() / "sub/inner.txt"), "precious too");
    EXPECT_TRUE(fs::is_directory(store->payloadDirectory()));
}

TEST_F(PocketStoreTest, QuittingRightAfterChangesStillWritesThemAll)
{
    open();
    for (int i = 0; i < 50; ++i) {
        store->items[zone].push_back(PocketItem::make("item " + std::to_string(i), PocketPayload::makePending("/tmp/x"), i));
        store->save();
    }
    const std::vector<PocketItem> expected = store->items.at(zone);
    store.reset();
    EXPECT_EQ(decodePocketIndex(readFile(directory() / "pockets.json")).pockets->at(zone), expected);
}

namespace {
int lineCount(const std::string& log)
{
    return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
}
} // namespace

TEST_F(PocketStoreTest, ADropWhoseFileCannotBeWrittenIsRefusedWithOneLineAndNothingLandsElsewhere)
{
    const fs::path elsewhere = folder / "elsewhere";
    const std::pair<const char*, std::function<void()>> cases[] = {
        { "Payloads is a file", [&] { writeFile(directory() / "Payloads", ""); } },
        { "Payloads is a link", [&] { fs::create_directory_symlink(elsewhere, directory() / "Payloads"); } },
        { "the data folder is a link", [&] { fs::remove(directory()); fs::create_directory_symlink(elsewhere, directory()); } },
    };
    MemoryPasteboard text;
    text.setString("a note");
    for (const auto& [name, prepare] : cases) {
        store.reset();
        fs::remove_all(directory());
        fs::remove_all(elsewhere);
        fs::create_directories(elsewhere);
        fs::create_directories(directory());
        prepare();
        ::testing::internal::CaptureStderr();
        open();
        ::testing::internal::GetCapturedStderr();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(store->ingest(text, zone), 0) << name;
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(lineCount(log), 1) << name << ": " << log;
        EXPECT_EQ(store->itemCount(zone), 0) << name;
        EXPECT_TRUE(namesIn(elsewhere).empty()) << name;
    }
}

TEST_F(PocketStoreTest, NothingIsDeletedThroughALinkedPayloadFolder)
{
    const fs::path elsewhere = folder / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(directory());
    fs::create_directory_symlink(elsewhere, directory() / "Payloads");
    const std::string unlisted = Uuid::random().string() + ".txt";
    writeFile(elsewhere / unlisted, "not the store's to sweep");
    backdate(elsewhere / unlisted, std::chrono::hours(1));
    ::testing::internal::CaptureStderr();
    open();
    store->items[zone] = { managedItem("listed.txt") };
    store->removeAll(zone);
    store->waitForWrites();
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(namesIn(elsewhere), (std::set<std::string> { unlisted, "listed.txt" }));
    EXPECT_EQ(lineCount(log), 2) << "the sweep and the deletion are refused with a line each: " << log;
}

TEST_F(PocketStoreTest, AnIndexThatCannotBeSavedIsReportedOncePerStreakAndSavedWhenItCanBe)
{
    open();
    const fs::path away = folder / "away";
    const auto breakFolder = [&] { fs::rename(directory(), away); writeFile(directory(), ""); };
    const auto mendFolder = [&] { fs::remove(directory()); fs::rename(away, directory()); };
    const auto change = [&] { store->items[zone].push_back(pendingItem(folder / "file")); store->save(); store->waitForWrites(); };
    ::testing::internal::CaptureStderr();
    change();
    breakFolder();
    change();
    change();
    mendFolder();
    change();
    EXPECT_EQ(stored().at(zone).size(), 4u);
    breakFolder();
    change();
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lineCount(log), 2) << log;
    EXPECT_EQ(store->itemCount(zone), 5);

    mendFolder();
    const PocketMap expected = store->items;
    store.reset();
    EXPECT_EQ(decodePocketIndex(readFile(directory() / "pockets.json")).pockets, expected);
}

TEST_F(PocketStoreTest, PulledFilesStayReadableForTenMinutesWhileOtherRemovalsDeleteAtOnce)
{
    open();
    const PocketItem pulled[] = { managedItem("pulled.txt"), managedItem("pulled.png") };
    const PocketItem removed = managedItem("removed.txt");
    store->items[zone] = { pulled[0], removed, pulled[1] };
    store->releasePulled({ pulled[0].id, pulled[1].id }, zone);
    store->remove(removed.id, zone);
    EXPECT_TRUE(stored().at(zone).empty());
    EXPECT_EQ(namesIn(store->payloadDirectory()), (std::set<std::string> { "pulled.txt", "pulled.png" }));

    main.advance(std::chrono::seconds(599));
    main.runPending();
    EXPECT_EQ(namesIn(store->payloadDirectory()).size(), 2u);
    main.advance(std::chrono::hours(1));
    main.runPending();
    EXPECT_TRUE(namesIn(store->payloadDirectory()).empty());
}
