#include "PocketStoreFixture.h"

#include <gtest/gtest.h>

using namespace kestrane;
using namespace kestrane::testing;
namespace fs = std::filesystem;

// What a crash leaves behind goes at the next start: write temporaries at once, files no
// item lists once they are older than a pull's grace period. An index that could not be
// read may list any of them, so then nothing goes.
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
        ::testing::internal::CaptureStderr();
        open();
        ::testing::internal::GetCapturedStderr();
        for (const auto& file : files)
            EXPECT_EQ(fs::exists(directory() / "Payloads" / file.name), !(readable && file.sweptAfterAGoodRead)) << file.name;
    }
}
