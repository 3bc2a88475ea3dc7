#include "app/LaunchSwitches.h"
#include "engine/EngineFixture.h"

#include <gmock/gmock.h>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class Switches : public EngineFixture {
protected:
    std::vector<Dropzone> zones { zone("A", 0.25), zone("B", 0.5), zone("C", 0.75) };

    void SetUp() override { storeZones(zones); }

    std::vector<std::string> namesIn(const Uuid& id)
    {
        std::vector<std::string> names;
        for (const PocketItem& item : store.items[id])
            names.push_back(item.name);
        return names;
    }
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

TEST_F(Switches, SeedingFillsTheFirstEmptyPocketAndUnseedingTakesOnlySeededItems)
{
    putItems(zones[0].id, 2);
    makeEngine();
    seedPocket(*engine, store, 3);
    EXPECT_THAT(namesIn(zones[1].id), ::testing::ElementsAre("Seeded item 1.txt", "Seeded item 2.txt", "Seeded item 3.txt"));
    EXPECT_EQ(engine->state().blobs[1].itemCount, 3);

    seedPocket(*engine, store, -5);
    EXPECT_EQ(store.itemCount(zones[2].id), 1);
    seedPocket(*engine, store, 0);
    EXPECT_EQ(store.itemCount(zones[0].id), 3) << "with every pocket holding items, the first one";

    unseedPockets(*engine, store);
    EXPECT_EQ(store.itemCount(zones[0].id), 2);
    EXPECT_EQ(store.itemCount(zones[1].id), 0);
    EXPECT_EQ(engine->state().blobs[2].itemCount, 0);
}

TEST_F(Switches, ResettingEmptiesEveryPocketBeforeSeeding)
{
    putItems(zones[0].id, 2);
    putItems(zones[2].id, 1);
    makeEngine();
    resetPockets(*engine, store);
    seedPocket(*engine, store, 1);
    EXPECT_EQ(store.itemCount(zones[0].id), 1);
    EXPECT_EQ(store.itemCount(zones[2].id), 0);
    EXPECT_EQ(engine->state().blobs[0].itemCount, 1);
}

TEST_F(Switches, TheReportHasOneLinePerPocketThenTheScreen)
{
    storeZones({ zones[0], zones[1] });
    putItems(zones[1].id, 4);
    makeEngine();
    engine->setSize({ 1440.7, 900.9 });
    engine->step(frame);
    const std::string expected = "POCKET " + zones[0].id.string() + " y=225 items=0\n" + "POCKET " + zones[1].id.string()
        + " y=450 items=4\n" + "SCREEN w=1440 h=900\n";
    EXPECT_EQ(pocketReport(*engine), expected);
}
