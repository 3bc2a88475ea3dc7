#include "EndToEndTest.h"

#include <algorithm>

namespace kestrane::e2e {
namespace {

const StoredZone upper { "3F2B8C1E-7A45-4D6B-9E21-0C8D5A6F4B17", "Inbox", 0.3 };
const StoredZone lower { "A91D04C7-52E8-4F3A-B6C0-7E19D2F83A65", "Outbox", 0.6 };

using LaunchSwitchesTest = EndToEndTest;

std::string pocketLine(const StoredZone& zone, int y, int items)
{
    return "POCKET " + zone.id + " y=" + std::to_string(y) + " items=" + std::to_string(items);
}

int countOf(const PocketReport& report, const StoredZone& zone)
{
    const auto pocket = std::find_if(report.pockets.begin(), report.pockets.end(), [&](const ReportedPocket& p) { return p.id == zone.id; });
    return pocket == report.pockets.end() ? -1 : pocket->items;
}

std::vector<std::string> namesIn(const std::vector<StoredItem>& items)
{
    std::vector<std::string> names;
    for (const StoredItem& item : items)
        names.push_back(item.name);
    return names;
}

// Both pockets are reported empty, and stored without items.
void expectEmpty(const PocketReport& report, const IsolatedHome& home)
{
    for (const StoredZone& zone : { upper, lower }) {
        EXPECT_EQ(countOf(report, zone), 0) << zone.name;
        EXPECT_EQ(namesIn(home.items(zone.id)), std::vector<std::string> {}) << zone.name;
    }
}

TEST_F(LaunchSwitchesTest, PrintPocketsReportsTheStoredPocketsInTheirOrderAndKeepsRunning)
{
    // Stored lower pocket first: the report follows the stored order, not the height.
    home.writeSettings({ lower, upper });
    PocketReport report;
    program = launchAndReport({}, report);

    const std::vector<std::string> expected { pocketLine(lower, 540, 0), pocketLine(upper, 270, 0), "SCREEN w=1440 h=900" };
    EXPECT_EQ(report.lines, expected);
    EXPECT_FALSE(program->readLine(absenceWait)) << "nothing more is printed";
    EXPECT_TRUE(program->isRunning());
    EXPECT_EQ(program->stop(), 0);
}

TEST_F(LaunchSwitchesTest, SeededItemsAreStoredAndUnseedingRemovesThem)
{
    home.writeSettings({ upper, lower });
    EXPECT_EQ(countOf(runOnce({ "--seed-pocket", "3" }), upper), 3);

    const PocketReport relaunched = runOnce({});
    EXPECT_EQ(countOf(relaunched, upper), 3);
    EXPECT_EQ(countOf(relaunched, lower), 0);
    const auto seeded = home.items(upper.id);
    ASSERT_EQ(seeded.size(), 3u);
    for (const StoredItem& item : seeded) {
        EXPECT_TRUE(item.name.starts_with("Seeded item ")) << item.name;
        EXPECT_TRUE(std::filesystem::exists(item.file)) << item.file;
    }

    // The next seeding goes to the first pocket that is still empty.
    const PocketReport seededAgain = runOnce({ "--seed-pocket", "2" });
    EXPECT_EQ(countOf(seededAgain, upper), 3);
    EXPECT_EQ(countOf(seededAgain, lower), 2);

    expectEmpty(runOnce({ "--unseed-pocket" }), home);
    for (const StoredItem& item : seeded)
        EXPECT_FALSE(std::filesystem::exists(item.file)) << "payload left behind: " << item.file;
}

TEST_F(LaunchSwitchesTest, ResetEmptiesEveryPocket)
{
    home.writeSettings({ upper, lower });
    runOnce({ "--seed-pocket", "2" });
    const PocketReport seeded = runOnce({ "--seed-pocket", "1" });
    ASSERT_EQ(countOf(seeded, upper), 2);
    ASSERT_EQ(countOf(seeded, lower), 1);

    expectEmpty(runOnce({ "--reset-pockets" }), home);
    EXPECT_EQ(countOf(runOnce({}), upper), 0) << "the reset is stored";
}

} // namespace
} // namespace kestrane::e2e
