#include "app/CommandLine.h"
#include "app/LaunchSwitches.h"
#include "engine/EngineFixture.h"

using namespace kestrane;
using namespace kestrane::testing;

namespace {
CommandLine parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "kestrane");
    return CommandLine::parse(arguments, "/home/u/work");
}

using Action = CommandLine::Action;

class Switches : public EngineFixture {
protected:
    std::vector<Dropzone> pockets { newPocket("A", 0.25), newPocket("B", 0.5), newPocket("C", 0.75) };

    void SetUp() override { storePockets(pockets); }
};
} // namespace

TEST(LaunchSwitchParsing, TakesTheCountAfterTheFirstSeedSwitchOnlyWhenItIsAnInteger)
{
    const auto seed = [](std::vector<std::string> arguments) { return LaunchSwitches::parse(arguments).seedPocket; };
    EXPECT_EQ(seed({ "kestrane", "--seed-pocket", "3" }), 3);
    EXPECT_EQ(seed({ "kestrane", "--seed-pocket", "+7", "--seed-pocket", "9" }), 7);
    EXPECT_EQ(seed({ "--seed-pocket", "-5" }), -5);
    EXPECT_EQ(seed({ "--seed-pocket", "-9223372036854775808" }), INT64_MIN);
    for (const char* bad : { "9223372036854775808", "3 ", " 3", "3x", "+", "-", "", "0x10", "--edit" })
        EXPECT_EQ(seed({ "--seed-pocket", bad }), std::nullopt) << bad;
    EXPECT_EQ(seed({ "kestrane", "--seed-pocket" }), std::nullopt);

    const LaunchSwitches all = LaunchSwitches::parse(
        { "--edit", "--print-pockets", "--unseed-pocket", "--reset-pockets", "--onboarding", "--debug-purge", "--x11", "--wayland" });
    EXPECT_TRUE(all.edit && all.printPockets && all.unseedPocket && all.resetPockets && all.introduction && all.debugPurge && all.x11
        && all.wayland);
    EXPECT_FALSE(LaunchSwitches::parse({ "--edit=1", "-edit" }).edit);
}

TEST_F(Switches, SeedingUnseedingResettingAndTheReportActOnTheRightPockets)
{
    putItems(pockets[0].id, 2);
    makeEngine();
    seedPocket(*engine, store, 3);
    const auto& seeded = store.items[pockets[1].id];
    EXPECT_EQ(std::tuple(seeded.size(), seeded[0].name, seeded[2].name, engine->state().blobs[1].itemCount),
        std::tuple(3u, "Seeded item 1.txt", "Seeded item 3.txt", 3));

    seedPocket(*engine, store, -5);
    seedPocket(*engine, store, 0);
    EXPECT_EQ(std::tuple(store.itemCount(pockets[2].id), store.itemCount(pockets[0].id)), std::tuple(1, 3))
        << "with every pocket holding items, the first one";

    unseedPockets(*engine, store);
    EXPECT_EQ(std::tuple(store.itemCount(pockets[0].id), store.itemCount(pockets[1].id), engine->state().blobs[2].itemCount),
        std::tuple(2, 0, 0));

    putItems(pockets[2].id, 1);
    resetPockets(*engine, store);
    seedPocket(*engine, store, 1);
    EXPECT_EQ(
        std::tuple(store.itemCount(pockets[0].id), store.itemCount(pockets[2].id), engine->state().blobs[0].itemCount), std::tuple(1, 0, 1))
        << "resetting empties every pocket before seeding";

    // The report has one line per pocket, then the screen, in whole points.
    engine->setSize({ 1440.7, 900.9 });
    engine->step(frame);
    std::string expected;
    for (const auto& [i, y, items] : { std::tuple { 0, 225, 1 }, { 1, 450, 0 }, { 2, 675, 0 } })
        expected += "POCKET " + pockets[static_cast<std::size_t>(i)].id.string() + " y=" + std::to_string(y)
            + " items=" + std::to_string(items) + "\n";
    EXPECT_EQ(pocketReport(*engine), expected + "SCREEN w=1440 h=900\n");
}

TEST(CommandLineParsing, SortsTheArgumentsIntoAnActionOrOneErrorLine)
{
    // The arguments, the action and the error line.
    const std::tuple<std::vector<std::string>, Action, std::string> cases[] = {
        { {}, Action::run, "" },
        { { "--seed-pocket", "3", "--edit", "--debug-frames" }, Action::run, "" },
        { { "--bogus", "--help" }, Action::invalid, "unknown switch --bogus" },
        { { "--edit", "-h" }, Action::help, "" },
        { { "--version", "--list" }, Action::version, "" },
        { { "stray" }, Action::invalid, "unexpected argument stray (paths and links follow --add)" },
        { { "--add" }, Action::invalid, "--add needs at least one path or link" },
        { { "--add", "a", "--list" }, Action::invalid, "--add and --list cannot be used together" },
        { { "--list", "--edit" }, Action::invalid, "--add and --list cannot be combined with the other switches" },
        { { "--pocket" }, Action::invalid, "--pocket needs a value" },
        { { "--list", "--pocket", "Desk" }, Action::invalid, "--pocket goes with --add or --add-text" },
        { { "--add", "a", "--json" }, Action::invalid, "--json goes with --list" },
        { { "--add-text", "" }, Action::invalid, "--add-text needs a text that is not empty" },
        { { "--list", "--json" }, Action::request, "" },
        { { "--add-text", "hi", "--pocket", "Desk" }, Action::request, "" },
        { { "--add", "a", "" }, Action::invalid, "an empty path after --add" },
        { { "--seed-pocket", "abc" }, Action::invalid, "--seed-pocket needs a count of items, not abc" },
        { { "--seed-pocket", "-2" }, Action::invalid, "--seed-pocket needs a count of items, not -2" },
    };
    for (const auto& [arguments, action, error] : cases) {
        const CommandLine command = parse(arguments);
        EXPECT_EQ(std::pair(command.action, command.error), std::pair(action, error)) << ::testing::PrintToString(arguments);
    }
    EXPECT_TRUE(parse({ "--seed-pocket", "3", "--edit" }).switches.edit);
}

TEST(CommandLineParsing, AnAddTakesPathsFromTheWorkingFolderAndLinksAsTheyAre)
{
    const CommandLine command =
        parse({ "--pocket", "Desk", "--add", "a.txt", "../b", "/etc/x", "file:///tmp/a%20b", "https://example.org/p?q",
            "mailto:me@example.org", "notes:today", "--", "--dash", "bad\xFF\xFE.txt", "--add-text", "two\nlines\xC0" });
    ASSERT_EQ(command.action, Action::request);
    const std::vector<std::string> targets { "/home/u/work/a.txt", "/home/u/b", "/etc/x", "/tmp/a b", "https://example.org/p?q",
        "mailto:me@example.org", "/home/u/work/notes:today", "/home/u/work/--dash", "/home/u/work/bad\xFF\xFE.txt" };
    EXPECT_EQ(command.request, (PocketRequest { PocketRequest::Kind::add, "Desk", targets, "two\nlines\xC0", false }));
    // Bytes that are not UTF-8 reach the running copy as they are.
    EXPECT_EQ(PocketRequest::decode(command.request.encode()), command.request);
    for (const char* bad : { "", "[]", "{\"kind\":\"drop\",\"pocket\":\"\",\"targets\":[],\"json\":false}", "{\"kind\":\"add\"}",
             "{\"kind\":\"add\",\"pocket\":\"\",\"targets\":[{\"base64\":\"%\"}],\"json\":false}" })
        EXPECT_EQ(PocketRequest::decode(bad), std::nullopt) << bad;
}
