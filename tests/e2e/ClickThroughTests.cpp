#include "EndToEndTest.h"

namespace kestrane::e2e {
namespace {

using ClickThroughTest = EndToEndTest;

TEST_F(ClickThroughTest, ClicksReachTheWindowBelowExceptOnAPocketHoldingItems)
{
    // Shown first, so that the overlay lies above it.
    auto below = launchPeer({ "clicks" });
    const int pocketY = launchWithDesk({ "--seed-pocket", "2" });

    // Bare screen, the edge away from the pocket, and left of the pocket's band.
    for (const QPoint at : { QPoint(700, 450), QPoint(edgeX, pocketY + 150), QPoint(XvfbDisplay::width - 70, pocketY) }) {
        clickStill(at.x(), at.y());
        EXPECT_EQ(below->readLine(eventTimeout), QString("CLICK %1 %2").arg(at.x()).arg(at.y()).toStdString());
    }

    ASSERT_TRUE(hoverUntilTaken(*program, edgeX, pocketY)) << "the overlay takes the pointer over the pocket";
    clickStill(edgeX, pocketY);
    EXPECT_EQ(below->readLine(absenceWait), std::nullopt) << "the pocket keeps its click";
}

} // namespace
} // namespace kestrane::e2e
