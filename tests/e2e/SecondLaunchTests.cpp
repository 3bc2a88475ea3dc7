#include "EndToEndTest.h"

#include <QColor>

#include <csignal>

namespace kestrane::e2e {
namespace {

using SecondLaunchTest = EndToEndTest;

// Around the plus bulge, which swells out of the edge in edit mode; its white glyph sits
// in the middle, so only most of the box turns dark.
constexpr int plusLeft = XvfbDisplay::width - 14;
constexpr int plusTop = 48;
constexpr int plusSide = 12;

double darkShare(const QImage& screen, int left, int top)
{
    int darkPixels = 0;
    for (int y = top; y < top + 2 * plusSide; ++y) {
        for (int x = left; x < left + plusSide; ++x)
            darkPixels += QColor(screen.pixel(x, y)).value() <= 80;
    }
    return darkPixels / (2.0 * plusSide * plusSide);
}

// The second copy names the same display differently: one data folder, one writer.
TEST_F(SecondLaunchTest, SecondCopyExitsAtOnceAndTheFirstOpensEditMode)
{
    // A white window behind the overlay, so that its dark shapes show in screenshots.
    auto backdrop = launchPeer({ "clicks" });
    launchWithDesk({});
    pointer.moveTo(700, 450);
    EXPECT_EQ(darkShare(display.screenshot(), plusLeft, plusTop), 0.0) << "no plus bulge outside edit mode";

    auto second = launch({}, display.name() + ".0");
    EXPECT_EQ(second->waitForExit(eventTimeout), 0);
    EXPECT_EQ(second->readLine(milliseconds(0)), std::nullopt) << "the second copy prints nothing";

    double plus = 0, beside = 0;
    pollUntil([&] {
        const QImage screen = display.screenshot();
        plus = darkShare(screen, plusLeft, plusTop);
        beside = darkShare(screen, 1000, plusTop);
        return plus >= 0.7;
    }, eventTimeout);
    EXPECT_GE(plus, 0.7) << "the plus bulge is drawn";
    EXPECT_EQ(beside, 0.0) << "the bulge, not a dimmed screen";
    EXPECT_TRUE(program->isRunning()) << "the first copy runs on";

    pointer.click(700, 450);
    EXPECT_EQ(backdrop->readLine(absenceWait), std::nullopt) << "edit mode takes every click";
}

TEST_F(SecondLaunchTest, ACopyThatCannotReachTheFirstFailsInsteadOfRunningBeside)
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
