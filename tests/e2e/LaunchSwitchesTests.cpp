#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

const StoredZone upper { "3F2B8C1E-7A45-4D6B-9E21-0C8D5A6F4B17", "Inbox", 0.3 };
const StoredZone lower { "A91D04C7-52E8-4F3A-B6C0-7E19D2F83A65", "Outbox", 0.6 };

using LaunchSwitchesTest = EndToEndTest;

std::vector<std::string> reportOf(int lowerItems, int upperItems)
{
    return { "POCKET " + lower.id + " y=540 items=" + std::to_string(lowerItems),
        "POCKET " + upper.id + " y=270 items=" + std::to_string(upperItems), "SCREEN w=1440 h=900" };
}

// What each switch changes is checked in the core; here, that the program applies it to
// the files on disk, and that the next launch sees the result.
TEST_F(LaunchSwitchesTest, SwitchesChangeTheStoredPocketsAndTheirPayloads)
{
    // The lower pocket is stored first: the report follows the stored order.
    home.writeSettings({ lower, upper });
    EXPECT_EQ(runOnce({ "--seed-pocket", "3" }), reportOf(3, 0));
    const auto seeded = home.items(lower.id);
    ASSERT_EQ(seeded.size(), 3u);
    for (const StoredItem& item : seeded)
        EXPECT_TRUE(std::filesystem::exists(item.file)) << item.file;

    EXPECT_EQ(runOnce({ "--unseed-pocket" }), reportOf(0, 0));
    for (const StoredItem& item : seeded)
        EXPECT_FALSE(std::filesystem::exists(item.file)) << "payload left behind: " << item.file;

    runOnce({ "--seed-pocket", "1" });
    EXPECT_EQ(runOnce({ "--reset-pockets" }), reportOf(0, 0));
    EXPECT_EQ(runOnce({}), reportOf(0, 0)) << "the reset is stored";
    EXPECT_TRUE(home.items(lower.id).empty());
}

} // namespace
} // namespace kestrane::e2e
