#include "PocketStoreFixture.h"
#include "pockets/MemoryPasteboard.h"

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace kestrane;
using namespace kestrane::testing;

// Killed while dropping and taking out items, the store restarts with a readable index, a file
// for every item it lists and, once a pull's grace period has passed, no other file and no
// temporaries.
TEST_F(PocketStoreTest, AKilledStoreRestartsWithEveryListedFileAndNoDebris)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(500, 30000);
    std::size_t listedInAll = 0;
    for (int round = 0; round < 60 && !HasFatalFailure(); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PocketStore dying(directory(), main);
            MemoryPasteboard text;
            for (int k = 0;; ++k) {
                text.setString("note " + std::to_string(k));
                dying.ingest(text, pocket);
                const std::vector<PocketItem>& list = dying.items[pocket];
                if (k % 3 == 1 && !list.empty())
                    dying.remove(list.front().id, pocket);
                if (k % 3 == 2 && !list.empty())
                    dying.releasePulled({ list.front().id }, pocket);
                main.runPending();
            }
        }
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (const std::string& name : namesIn(directory() / "Payloads"))
            backdate(directory() / "Payloads" / name, std::chrono::hours(1));
        open();
        ASSERT_FALSE(store->indexUnreadable()) << "round " << round;
        std::set<std::string> listed;
        for (const PocketItem& item : store->items[pocket])
            listed.insert(*item.payload.managedFilename());
        listedInAll += listed.size();
        EXPECT_EQ(namesIn(store->payloadDirectory()), listed) << "round " << round;
        for (const std::string& name : namesIn(directory()))
            EXPECT_FALSE(name.starts_with(".")) << "round " << round << ": " << name;
        store.reset();
    }
    EXPECT_GT(listedInAll, 100u);
}

// What a crash leaves behind goes at the next start: write temporaries at once, files no
// item lists once they are older than a pull's grace period. An index that could not be
// read may list any of them, so then nothing goes, and it is never overwritten.
TEST_F(PocketStoreTest, AStartSweepsWriteDebrisAndOldUnlistedFilesUnlessTheIndexIsUnreadable)
{
    // Listed under an extension as long as a write temporary's suffix.
    const std::string listedName = Uuid::random().string() + ".webloc";
    const PocketItem listed = PocketItem::make("note.txt", PocketPayload::makeManaged(listedName), 1);
    // Name, minutes old, swept after a good read.
    const std::tuple<std::string, int, bool> files[] = {
        { listedName, 120, false },
        { Uuid::random().string() + ".txt", 9, false },
        { Uuid::random().string() + ".webloc", 60, true },
        { "notes.md", 60, false },
        { std::string(".").append(Uuid::random().string()).append(".txt.a1B2c3"), 0, true },
        { "../.pockets.json.Xy12Ab", 0, true },
    };
    for (const bool readable : { true, false }) {
        store.reset();
        fs::remove_all(directory());
        fs::create_directories(directory() / "Payloads");
        writeFile(directory() / "pockets.json", readable ? *encodePocketIndex({ { pocket, { listed } } }) : "{");
        for (const auto& [name, minutesOld, swept] : files) {
            writeFile(directory() / "Payloads" / name, "x");
            backdate(directory() / "Payloads" / name, std::chrono::minutes(minutesOld));
        }
        EXPECT_EQ(stderrOf([&] { open(); }),
            readable ? "" : "Kestrane: pocket index could not be read \xE2\x80\x94 writes disabled this launch\n");
        EXPECT_EQ(store->indexUnreadable(), !readable);
        for (const auto& [name, minutesOld, swept] : files)
            EXPECT_EQ(fs::exists(directory() / "Payloads" / name), !(readable && swept)) << name;
    }
    store->items[pocket].push_back(listed);
    store->removeAll(pocket);
    store.reset();
    EXPECT_EQ(std::tuple(fs::exists(directory() / "Payloads" / listedName), readFile(directory() / "pockets.json")), std::tuple(true, "{"));

    // A folder in the index's place cannot be read either.
    fs::remove(directory() / "pockets.json");
    fs::create_directories(directory() / "pockets.json");
    stderrOf([&] { open(); });
    EXPECT_TRUE(store->indexUnreadable());
}

// New payloads are written without waiting for the disk, then flushed before the index that
// lists them: while one cannot be flushed (a link to itself stands in for a failing disk),
// the index keeps its last state, says so once, and takes the item once the flush succeeds.
TEST_F(PocketStoreTest, AnIndexNeverListsAPayloadThatCouldNotBeFlushed)
{
    open();
    MemoryPasteboard text;
    text.setString("kept");
    store->ingest(text, pocket);
    store->waitForWrites();
    text.setString("held back");
    ASSERT_EQ(store->ingest(text, pocket), 1);
    const fs::path payload = store->payloadDirectory() / *store->items[pocket].back().payload.managedFilename();
    fs::remove(payload);
    fs::create_symlink(payload.filename(), payload);
    EXPECT_EQ(lineCount(stderrOf([&] { EXPECT_FALSE(store->waitForWrites()); })), 1);
    EXPECT_EQ(decodePocketIndex(readFile(store->indexFile())).pockets->at(pocket).size(), 1u);
    fs::remove(payload);
    writeFile(payload, "held back");
    EXPECT_EQ(stored().at(pocket).size(), 2u);
}
