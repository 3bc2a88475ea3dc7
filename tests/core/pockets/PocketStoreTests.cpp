#include "PocketStoreFixture.h"

#include "pockets/MemoryPasteboard.h"

using namespace kestrane;
using namespace kestrane::testing;
using namespace std::string_literals;

TEST_F(PocketStoreTest, RemovalsDeleteOnlyTheirOwnManagedFilesPulledOnesAfterAGraceAndClearedItemsComeBackFirst)
{
    open();
    // Nothing changed yet: a first launch writes no index.
    store->removeAll(pocket);
    store->restore(store->lift(pocket), pocket);
    EXPECT_EQ(indexInode(), 0u);
    const fs::path referenced = makeFile("kept-reference.pdf");
    const fs::path pending = makeFile("kept-pending.pdf");
    const PocketItem first = managedItem("first.txt");
    const std::vector<PocketItem> rest { managedItem("a.png"), referenceItem(referenced), pendingItem(pending) };
    store->items[pocket] = { first, rest[0], rest[1], rest[2] };
    store->save();
    const ino_t before = indexInode();
    store->remove(Uuid::random(), pocket);
    store->remove(first.id, Uuid::random());
    EXPECT_EQ(indexInode(), before);
    store->remove(first.id, pocket);
    EXPECT_EQ(stored().at(pocket), rest);
    EXPECT_EQ(namesIn(store->payloadDirectory()), std::set<std::string> { "a.png" });

    const std::vector<PocketItem> cleared = store->lift(pocket);
    EXPECT_TRUE(stored().at(pocket).empty());
    const PocketItem added = managedItem("new.txt");
    store->items[pocket].push_back(added);
    store->restore(cleared, pocket);
    EXPECT_EQ(stored().at(pocket), (std::vector<PocketItem> { rest[0], rest[1], rest[2], added }));
    // A restore into a pocket that was forgotten meanwhile brings its entry back.
    const Uuid other = Uuid::random();
    store->restore(store->lift(pocket), other);
    EXPECT_EQ(store->itemCount(other), 4);

    writeFile(store->payloadDirectory() / "bystander.txt", "not cleared");
    store->discardLifted(store->lift(other));
    store->waitForWrites();
    EXPECT_EQ(namesIn(store->payloadDirectory()), std::set<std::string> { "bystander.txt" });
    EXPECT_TRUE(fs::exists(referenced) && fs::exists(pending));

    store->items[pocket] = { managedItem("last.txt") };
    store->removeAll(pocket);
    EXPECT_EQ(stored().at(pocket), std::vector<PocketItem> {});

    // Pulled files stay readable for ten minutes while other removals delete at once.
    const PocketItem pulled[] = { managedItem("pulled.txt"), managedItem("pulled.png") };
    const PocketItem removed = managedItem("removed.txt");
    store->items[pocket] = { pulled[0], removed, pulled[1] };
    store->releasePulled({ pulled[0].id, pulled[1].id }, pocket);
    store->remove(removed.id, pocket);
    EXPECT_TRUE(stored().at(pocket).empty());
    EXPECT_EQ(namesIn(store->payloadDirectory()), (std::set<std::string> { "bystander.txt", "pulled.txt", "pulled.png" }));

    main.advance(std::chrono::seconds(599));
    main.runPending();
    EXPECT_EQ(namesIn(store->payloadDirectory()).size(), 3u);
    main.advance(std::chrono::hours(1));
    main.runPending();
    EXPECT_EQ(namesIn(store->payloadDirectory()), std::set<std::string> { "bystander.txt" });
    store->deletePocket(pocket);
    EXPECT_EQ(stored().count(pocket), 0u);
}

TEST_F(PocketStoreTest, ManagedNamesFromTheIndexNeverReachOutsideThePayloadFolder)
{
    open();
    const fs::path outside = makeFile("outside.txt", "precious");
    std::vector<PocketItem> list;
    for (const std::string& name : { "../../outside.txt"s, outside.string(), ".."s, "."s, ""s })
        list.push_back(PocketItem::make("x", PocketPayload::makeManaged(name), 1));
    list.push_back(managedItem("fine.txt"));
    list.back().name = "Fine note.txt";

    store->items[pocket] = list;
    const ResolvedPocketItems resolved = store->resolve(pocket);
    ASSERT_EQ(resolved.size(), 1u);
    EXPECT_EQ(std::pair(resolved[0]->path, resolved[0]->name), std::pair(store->payloadDirectory() / "fine.txt", "Fine note.txt"s));
    // Every removal deletes through the same checked names; one of them stands for all.
    store->items[pocket] = list;
    stderrOf([&] {
        store->removeAll(pocket);
        store->waitForWrites();
    });
    EXPECT_EQ(readFile(outside), "precious");
}

TEST_F(PocketStoreTest, NothingIsWrittenOrDeletedThroughALinkedOrMisplacedFolderAndEachRefusalLogsOneLine)
{
    const fs::path elsewhere = folder / "elsewhere";
    const std::pair<const char*, std::function<void()>> cases[] = {
        { "Payloads is a file", [&] { writeFile(directory() / "Payloads", ""); } },
        { "Payloads is a link", [&] { fs::create_directory_symlink(elsewhere, directory() / "Payloads"); } },
        { "the data folder is a link",
            [&] {
                fs::remove(directory());
                fs::create_directory_symlink(elsewhere, directory());
            } },
    };
    MemoryPasteboard text;
    text.setString("a note");
    const std::string unlisted = Uuid::random().string() + ".txt";
    for (const auto& [name, prepare] : cases) {
        store.reset();
        fs::remove_all(directory());
        fs::remove_all(elsewhere);
        fs::create_directories(elsewhere);
        fs::create_directories(directory());
        prepare();
        writeFile(elsewhere / unlisted, "not the store's to sweep");
        backdate(elsewhere / unlisted, std::chrono::hours(1));
        // Neither the start's sweep nor a removal deletes through the link.
        stderrOf([&] {
            open();
            store->items[pocket] = { PocketItem::make("listed", PocketPayload::makeManaged(unlisted), 1) };
            store->removeAll(pocket);
            store->waitForWrites();
        });
        const std::string log = stderrOf([&] { EXPECT_EQ(store->ingest(text, pocket), 0) << name; });
        EXPECT_EQ(lineCount(log), 1) << name << ": " << log;
        EXPECT_EQ(store->itemCount(pocket), 0) << name;
        EXPECT_EQ(namesIn(elsewhere), std::set<std::string> { unlisted }) << name;
    }
}

TEST_F(PocketStoreTest, AnIndexThatCannotBeSavedIsReportedOncePerStreakAndEverythingIsSavedWhenItCanBe)
{
    open();
    const fs::path away = folder / "away";
    const auto breakFolder = [&] {
        fs::rename(directory(), away);
        writeFile(directory(), "");
    };
    const auto mendFolder = [&] {
        fs::remove(directory());
        fs::rename(away, directory());
    };
    const auto change = [&] {
        store->items[pocket].push_back(pendingItem(folder / "file"));
        store->save();
        store->waitForWrites();
    };
    const std::string log = stderrOf([&] {
        const std::function<void()> steps[] = { change, breakFolder, change, change, mendFolder, change };
        for (const auto& step : steps)
            step();
        EXPECT_EQ(stored().at(pocket).size(), 4u);
        breakFolder();
        change();
    });
    EXPECT_EQ(lineCount(log), 2) << log;
    EXPECT_FALSE(store->waitForWrites());
    EXPECT_EQ(stderrOf([&] { store->saveBeforeQuit(); }),
        "Kestrane: 5 item(s) could not be saved to " + store->indexFile().string() + " and are lost\n");

    mendFolder();
    EXPECT_TRUE(store->saveBeforeQuit());
    // Quitting right after many quick changes writes them all.
    for (int i = 0; i < 50; ++i) {
        store->items[pocket].push_back(pendingItem(folder / std::to_string(i)));
        store->save();
    }
    const PocketMap expected = store->items;
    store.reset();
    EXPECT_EQ(decodePocketIndex(readFile(directory() / "pockets.json")).pockets, expected);
}
