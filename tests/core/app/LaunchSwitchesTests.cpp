#include "app/LaunchSwitches.h"
#include "engine/EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class Switches : public EngineFixture {
protected:
    std::vector<Dropzone> zones { zone("A", 0.25), zone("B", 0.5), zone("C", 0.75) };

    void SetUp() override { storeZones(zones); }
};
} // namespace

TEST(LaunchSwitchParsing, TakesTheCountAfterTheFirstSeedSwitchOnlyWhenItIsAnInteger)
{
    const auto parse = [](std::vector<std::string> arguments) { return LaunchSwitches::parse(arguments).seedPocket; };
    EXPECT_EQ(parse({ "kestrane", "--seed-pocket", "3" }), 3);
    EXPECT_EQ(parse({ "kestrane", "--seed-pocket", "+7", "--seed-pocket", "9" }), 7);
    EXPECT_EQ(parse({ "--seed-pocket", "-5" }), -5);
    EXPECT_EQ(parse({ "--seed-pocket", "-9223372036854775808" }), INT64_MIN);
    for (const char* bad : { "9223372036854775808", "3 ", " 3", "3x", "+", "-", "", "0x10", "--edit" })
        EXPECT_EQ(parse({ "--seed-pocket", bad }), std::nullopt) << bad;
    EXPECT_EQ(parse({ "kestrane", "--seed-pocket" }), std::nullopt);

    const LaunchSwitches all = LaunchSwitches::parse({ "--edit", "--print-pockets", "--unseed-pocket", "--reset-pockets", "--onboarding", "--debug-purge" });
    EXPECT_TRUE(all.edit && all.printPockets && all.unseedPocket && all.resetPockets && all.onboarding && all.debugPurge);
    EXPECT_FALSE(LaunchSwitches::parse({ "--edit=1", "-edit" }).edit);
}

TEST_F(Switches, SeedingUnseedingResettingAndTheReportActOnTheRightPockets)
{
    putItems(zones[0].id, 2);
    makeEngine();
    seedPocket(*engine, store, 3);
    const auto& seeded = store.items[zones[1].id];
    EXPECT_EQ(std::tuple(seeded.size(), seeded[0].name, seeded[2].name, engine->state().blobs[1].itemCount),
        std::tuple(3u, "Seeded item 1.txt", "Seeded item 3.txt", 3));

    seedPocket(*engine, store, -5);
    seedPocket(*engine, store, 0);
    EXPECT_EQ(std::tuple(store.itemCount(zones[2].id), store.itemCount(zones[0].id)), std::tuple(1, 3)) << "with every pocket holding items, the first one";

    unseedPockets(*engine, store);
    EXPECT_EQ(std::tuple(store.itemCount(zones[0].id), store.itemCount(zones[1].id), engine->state().blobs[2].itemCount), std::tuple(2, 0, 0));

    putItems(zones[2].id, 1);
    resetPockets(*engine, store);
    seedPocket(*engine, store, 1);
    EXPECT_EQ(std::tuple(store.itemCount(zones[0].id), store.itemCount(zones[2].id), engine->state().blobs[0].itemCount), std::tuple(1, 0, 1))
        << "resetting empties every pocket before seeding";

    // The report has one line per pocket, then the screen, in whole points.
    engine->setSize({ 1440.7, 900.9 });
    engine->step(frame);
    std::string expected;
    for (const auto& [i, y, items] : { std::tuple { 0, 225, 1 }, { 1, 450, 0 }, { 2, 675, 0 } })
        expected += "POCKET " + zones[static_cast<std::size_t>(i)].id.string() + " y=" + std::to_string(y) + " items=" + std::to_string(items) + "\n";
    EXPECT_EQ(pocketReport(*engine), expected + "SCREEN w=1440 h=900\n");
}
