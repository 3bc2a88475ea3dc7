#include "PocketStoreFixture.h"

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace kestrane;
using kestrane::testing::PocketStoreTest;
using kestrane::testing::readFile;
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
} // namespace

// A process killed at any moment while saving leaves an index that reads back as one of the
// states it saved, never a torn or empty file.
TEST_F(PocketStoreTest, AKilledWriterAlwaysLeavesOneOfTheSavedStates)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(500, 30000);
    int checked = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            saveForever(directory(), zone);
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const fs::path index = directory() / "pockets.json";
        if (!fs::exists(index))
            continue;
        const auto decoded = decodePocketIndex(readFile(index));
        ASSERT_TRUE(decoded.pockets) << "round " << round << ": " << decoded.error;
        const PocketMap& onDisk = *decoded.pockets;
        ASSERT_EQ(onDisk.size(), 1u);
        const int k = static_cast<int>(onDisk.at(zone).at(0).addedAt);
        EXPECT_EQ(onDisk, state(k, zone)) << "round " << round;
        ++checked;
    }
    EXPECT_GT(checked, 30);
}
