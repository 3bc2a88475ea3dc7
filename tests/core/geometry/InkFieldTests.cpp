#include "geometry/InkField.h"

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
const ScreenPerimeter screen { 1000, 800, 52 };

} // namespace

TEST(InkField, ThicknessAtKnownPointsOfTheBorder)
{
    // Middle of the right edge at the start: mid-height weight 1, two lumps overlapping it.
    EXPECT_NEAR((InkField { 2000, 26, 0, 1 }).thickness(screen.source(), screen), 46.40387043902357, 1e-9);
    // Later, when two lumps running backwards sit at negative arc lengths.
    EXPECT_NEAR((InkField { 2000, 26, 100, 1 }).thickness(screen.source(), screen), 41.41736811600982, 1e-9);
    // Middle of the bottom edge, where the ink is heaviest, at partial strength.
    const double bottomMiddle = 2 * screen.quarterArc() + 1.5 * screen.straightTop() + screen.straightSide();
    EXPECT_NEAR((InkField { 5000, 26, 7.5, 0.8 }).thickness(bottomMiddle, screen), 20.60900878861795, 1e-9);
    // Middle of the top edge, where it is lightest.
    EXPECT_NEAR((InkField { 5000, 20, 3, 1 }).thickness(500 - 52, screen), 23.88585901435265, 1e-9);
}

TEST(InkField, NoInkWhenFaintThinOrNotYetSpread)
{
    for (const InkField& field : { InkField { 5000, 26, 2, 0.0005 }, InkField { 5000, 0.005, 2, 1 }, InkField { 0, 26, 2, 1 } })
        for (double s = 0.5; s < screen.length(); s += 7)
            EXPECT_EQ(field.thickness(s, screen), 0) << s;
    EXPECT_EQ((InkField { 5000, 26, 2, 1 }).thickness(10, { 0, 0, 52 }), 0);
}
