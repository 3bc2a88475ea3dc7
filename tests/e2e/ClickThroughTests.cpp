#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

using ClickThroughTest = EndToEndTest;

std::string clickAt(int x, int y)
{
    return "CLICK " + std::to_string(x) + " " + std::to_string(y);
}

TEST_F(ClickThroughTest, ClicksReachTheWindowBelowExceptOnAPocketHoldingItems)
{
    // Shown first, so that the overlay lies above it.
    auto below = launchPeer({ "clicks" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });

    clickStill(700, 450);
    EXPECT_EQ(below->readLine(eventTimeout), clickAt(700, 450)) << "bare screen";
    // Beside the edge, but well outside the pocket's band.
    clickStill(edgeX, pocketY + 150);
    EXPECT_EQ(below->readLine(eventTimeout), clickAt(edgeX, pocketY + 150)) << "the edge away from the pocket";
    clickStill(XvfbDisplay::width - 70, pocketY);
    EXPECT_EQ(below->readLine(eventTimeout), clickAt(XvfbDisplay::width - 70, pocketY)) << "left of the pocket's band";

    ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the overlay takes the pointer over the pocket";
    clickStill(edgeX, pocketY);
    EXPECT_EQ(below->readLine(absenceWait), std::nullopt) << "the pocket keeps its click";
}

} // namespace
} // namespace kestrane::e2e
