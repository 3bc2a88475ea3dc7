#include "engine/EngineOnDisk.h"
#include "pockets/MemoryPasteboard.h"

#include <gtest/gtest.h>

using namespace kestrane;
using namespace kestrane::testing;

TEST(PocketStoreRestart, ItemsDroppedOnAFirstRunAreInTheirPocketAfterARestart)
{
    TemporaryFolder folder;
    Uuid seeded;
    {
        EngineOnDisk first(folder);
        ASSERT_EQ(first.engine.blobs.size(), 1u);
        seeded = first.engine.blobs[0].config.id;
        MemoryPasteboard text;
        text.setString("a note");
        ASSERT_EQ(first.store.ingest(text, seeded), 1);
        first.engine.refreshCounts();
    }
    EngineOnDisk second(folder);
    ASSERT_EQ(second.engine.blobs.size(), 1u);
    EXPECT_EQ(second.engine.blobs[0].config.id, seeded);
    EXPECT_EQ(second.engine.blobs[0].itemCount, 1);
    EXPECT_EQ(second.store.resolve(seeded).size(), 1u);
}
