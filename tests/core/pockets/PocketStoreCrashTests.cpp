#include "PocketStoreFixture.h"
#include "pockets/MemoryPasteboard.h"

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace kestrane;
using kestrane::testing::PocketStoreTest;
using kestrane::testing::readFile;
using kestrane::testing::writeFile;
namespace fs = std::filesystem;

namespace {
constexpr int statesInACycle = 40;

Uuid idFor(int a, int b)
{
    Uuid id;
    id.bytes[0] = static_cast<std::uint8_t>(a);
    id.bytes[1] = static_cast<std::uint8_t>(a >> 8);
    id.bytes[2] = static_cast<std::uint8_t>(a >> 16);
    id.bytes[3] = static_cast<std::uint8_t>(b);
    return id;
}

// The k-th state the saving process goes through: one pocket whose item count and names
// both depend on k, so every state has a different file and none is a prefix of another.
PocketMap state(int k, const Uuid& zone)
{
    PocketMap map;
    std::vector<PocketItem>& list = map[zone];
    for (int i = 0; i <= k % statesInACycle; ++i) {
        PocketPayload payload = i % 2 ? PocketPayload::makePending("/home/someone/file " + std::to_string(i))
                                      : PocketPayload::makeReference(Bytes(200, static_cast<std::uint8_t>(k)));
        list.push_back({ idFor(k, i), "state " + std::to_string(k) + " item " + std::to_string(i), std::move(payload), 1.0 * k });
    }
    return map;
}

[[noreturn]] void saveForever(const fs::path& directory, const Uuid& zone)
{
    ManualMainQueue main;
    PocketStore store(directory, main);
    for (int k = 0;; ++k) {
        store.items = state(k, zone);
        store.save();
        if (k % 8 == 7)
            store.waitForWrites();
    }
}

// Runs work in a child process and kills it at a random moment, rounds times; afterKill
// runs after each kill.
void killRepeatedly(int rounds, const std::function<void()>& work, const std::function<void(int)>& afterKill)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(500, 30000);
    for (int round = 0; round < rounds && !::testing::Test::HasFatalFailure(); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            work();
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        afterKill(round);
    }
}

[[noreturn]] void dropAndTakeOutForever(const fs::path& directory, const Uuid& zone)
{
    ManualMainQueue main;
    PocketStore store(directory, main);
    MemoryPasteboard text;
    for (int k = 0;; ++k) {
        text.setString("note " + std::to_string(k));
        store.ingest(text, zone);
        const std::vector<PocketItem>& list = store.items[zone];
        if (k % 3 == 1 && !list.empty())
            store.remove(list.front().id, zone);
        if (k % 3 == 2 && !list.empty())
            store.releasePulled({ list.front().id }, zone);
        main.runPending();
    }
}
} // namespace

// A process killed at any moment while saving leaves an index that reads back as one of the
// states it saved, never a torn or empty file.
TEST_F(PocketStoreTest, AKilledWriterAlwaysLeavesOneOfTheSavedStates)
{
    int checked = 0;
    killRepeatedly(40, [&] { saveForever(directory(), zone); }, [&](int round) {
        const fs::path index = directory() / "pockets.json";
        if (!fs::exists(index))
            return;
        const auto decoded = decodePocketIndex(readFile(index));
        ASSERT_TRUE(decoded.pockets) << "round " << round << ": " << decoded.error;
        const PocketMap& onDisk = *decoded.pockets;
        ASSERT_EQ(onDisk.size(), 1u);
        const int k = static_cast<int>(onDisk.at(zone).at(0).addedAt);
        EXPECT_EQ(onDisk, state(k, zone)) << "round " << round;
        ++checked;
    });
    EXPECT_GT(checked, 30);
}

// Killed while dropping and taking out items, the store restarts with a file for every item
// it lists and, once a pull's grace period has passed, no other file and no temporaries.
TEST_F(PocketStoreTest, AKilledStoreRestartsWithEveryListedFileAndNoDebris)
{
    std::size_t listedInAll = 0;
    killRepeatedly(60, [&] { dropAndTakeOutForever(directory(), zone); }, [&](int round) {
        if (fs::exists(directory() / "Payloads")) {
            for (const std::string& name : namesIn(directory() / "Payloads"))
                backdate(directory() / "Payloads" / name, std::chrono::hours(1));
        }
        open();
        std::set<std::string> listed;
        for (const PocketItem& item : store->items[zone])
            listed.insert(*item.payload.managedFilename());
        listedInAll += listed.size();
        EXPECT_EQ(namesIn(store->payloadDirectory()), listed) << "round " << round;
        for (const std::string& name : namesIn(directory()))
            EXPECT_FALSE(name.starts_with(".")) << "round " << round << ": " << name;
        store.reset();
    });
    EXPECT_GT(listedInAll, 100u);
}

// What a crash leaves behind goes at the next start: write temporaries at once, files no
// item lists once they are older than a pull's grace period. An index that could not be
// read may list any of them, so then nothing goes, and it is never overwritten.
TEST_F(PocketStoreTest, AStartSweepsWriteDebrisAndOldUnlistedFilesUnlessTheIndexIsUnreadable)
{
    const std::string listedName = Uuid::random().string() + ".txt";
    const struct {
        std::string name;
        int minutesOld;
        bool sweptAfterAGoodRead;
    } files[] = {
        { listedName, 120, false },
        { Uuid::random().string() + ".png", 0, false },
        { Uuid::random().string() + ".txt", 9, false },
        { Uuid::random().string() + ".webloc", 60, true },
        { "notes.md", 60, false },
        { "." + Uuid::random().string() + ".txt.a1B2c3", 0, true },
        { "../.pockets.json.Xy12Ab", 0, true },
    };
    for (const bool readable : { true, false }) {
        store.reset();
        fs::remove_all(directory());
        fs::create_directories(directory() / "Payloads");
        PocketMap index;
        index[zone] = { PocketItem::make("note.txt", PocketPayload::makeManaged(listedName), 1) };
        writeFile(directory() / "pockets.json", readable ? *encodePocketIndex(index) : "{");
        for (const auto& file : files) {
            writeFile(directory() / "Payloads" / file.name, "x");
            backdate(directory() / "Payloads" / file.name, std::chrono::minutes(file.minutesOld));
        }
        EXPECT_EQ(openLogging(), readable ? "" : "Kestrane: pocket index could not be read \xE2\x80\x94 writes disabled this launch\n");
        EXPECT_EQ(store->indexUnreadable(), !readable);
        for (const auto& file : files)
            EXPECT_EQ(fs::exists(directory() / "Payloads" / file.name), !(readable && file.sweptAfterAGoodRead)) << file.name;
    }
    // Work goes on in memory.
    EXPECT_TRUE(store->items.empty());
    MemoryPasteboard drop;
    drop.addFile(makeFile("report.pdf"));
    EXPECT_EQ(store->ingest(drop, zone), 1);
    settle();
    EXPECT_TRUE(store->items.at(zone).at(0).payload.bookmark());
    store->items[zone].push_back(PocketItem::make("note.txt", PocketPayload::makeManaged(listedName), 1));
    store->removeAll(zone);
    store->waitForWrites();
    EXPECT_TRUE(fs::exists(directory() / "Payloads" / listedName));
    store.reset();
    EXPECT_EQ(readFile(directory() / "pockets.json"), "{");

    // A folder in the index's place cannot be read either.
    fs::remove(directory() / "pockets.json");
    fs::create_directories(directory() / "pockets.json");
    openLogging();
    EXPECT_TRUE(store->indexUnreadable());
}
