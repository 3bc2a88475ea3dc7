#include "EndToEndTest.h"

#include <csignal>

namespace kestrane::e2e {
namespace {

using LaunchTest = EndToEndTest;

// A fault during start-up that depends on the run (the address layout, what a call left
// behind on the stack) shows only in some launches, so the program is started several times.
TEST_F(LaunchTest, EveryLaunchStartsAndQuitsCleanly)
{
    home.writeSettings({});
    for (int launch = 0; launch < 10; ++launch)
        EXPECT_EQ(runOnce({}).back(), "SCREEN w=1440 h=900") << "launch " << launch;
}

const StoredPocket upper { "3F2B8C1E-7A45-4D6B-9E21-0C8D5A6F4B17", "Inbox", 0.3 };
const StoredPocket lower { "A91D04C7-52E8-4F3A-B6C0-7E19D2F83A65", "Outbox", 0.6 };

std::vector<std::string> reportOf(int lowerItems, int upperItems)
{
    return { "POCKET " + lower.id + " y=540 items=" + std::to_string(lowerItems),
        "POCKET " + upper.id + " y=270 items=" + std::to_string(upperItems), "SCREEN w=1440 h=900" };
}

// What each switch changes is checked in the core; here, that the program applies it to
// the files on disk, and that the next launch sees the result.
TEST_F(LaunchTest, SwitchesChangeTheStoredPocketsAndTheirPayloads)
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

// The second copy names the same display differently: one data folder, one writer.
TEST_F(LaunchTest, SecondCopyExitsAtOnceAndTheFirstOpensEditMode)
{
    // A white window behind the overlay, so that its dark shapes show in screenshots.
    auto backdrop = launchPeer({ "clicks" });
    launchWithDesk({});
    pointer.moveTo(700, 450);
    EXPECT_EQ(darkShare(display.screenshot(), plusLeft), 0.0) << "no plus bulge outside edit mode";

    auto second = launch({}, display.name() + ".0");
    EXPECT_EQ(second->waitForExit(eventTimeout), 0);
    EXPECT_EQ(second->readLine(milliseconds(0)), std::nullopt) << "the second copy prints nothing";

    QImage screen;
    EXPECT_TRUE(pollUntil([&] { return darkShare(screen = display.screenshot(), plusLeft) >= 0.7; }, eventTimeout))
        << "the plus bulge is drawn";
    EXPECT_EQ(darkShare(screen, 1000), 0.0) << "the bulge, not a dimmed screen";
    EXPECT_TRUE(program->isRunning()) << "the first copy runs on";

    pointer.click(700, 450);
    EXPECT_EQ(backdrop->readLine(absenceWait), std::nullopt) << "edit mode takes every click";
}

TEST_F(LaunchTest, ACopyThatCannotReachTheFirstFailsInsteadOfRunningBeside)
{
    launchWithDesk({});
    ::kill(program->pid(), SIGSTOP);
    auto second = launch({});
    EXPECT_EQ(second->waitForExit(startTimeout), 1);
    ::kill(program->pid(), SIGCONT);
    EXPECT_TRUE(program->isRunning());
}

} // namespace
} // namespace kestrane::e2e
