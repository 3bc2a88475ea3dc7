#include "TemporaryFolder.h"
#include "engine/BezelEngine.h"
#include "engine/EngineFixture.h"
#include "platform/JsonFileDefaults.h"
#include "platform/ManualMainQueue.h"
#include "pockets/MemoryPasteboard.h"
#include "pockets/PocketStore.h"

#include <gtest/gtest.h>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
// One launch of the program's model: settings and pockets on disk, an engine over them.
struct Launch {
    explicit Launch(const TemporaryFolder& folder)
        : defaults(folder / "config/Kestrane/defaults.json")
        , store(folder / "data/Kestrane", main)
        , engine(EngineServices { defaults, clock, haptics, store, preferences, preferences, introduction, {} })
    {
    }

    JsonFileDefaults defaults;
    ManualMainQueue main;
    PocketStore store;
    ManualClock clock;
    RecordingHaptics haptics;
    FixedPreferences preferences;
    ScriptedIntroduction introduction;
    BezelEngine engine;
};
} // namespace

TEST(PocketStoreRestart, ItemsDroppedOnAFirstRunAreInTheirPocketAfterARestart)
{
    TemporaryFolder folder;
    Uuid seeded;
    {
        Launch first(folder);
        ASSERT_EQ(first.engine.blobs.size(), 1u);
        seeded = first.engine.blobs[0].config.id;
        MemoryPasteboard text;
        text.setString("a note");
        ASSERT_EQ(first.store.ingest(text, seeded), 1);
        first.engine.refreshCounts();
    }
    Launch second(folder);
    ASSERT_EQ(second.engine.blobs.size(), 1u);
    EXPECT_EQ(second.engine.blobs[0].config.id, seeded);
    EXPECT_EQ(second.engine.blobs[0].itemCount, 1);
    EXPECT_EQ(second.store.resolve(seeded).size(), 1u);
}
