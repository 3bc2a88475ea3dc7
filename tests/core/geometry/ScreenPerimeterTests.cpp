#include "geometry/ScreenPerimeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using namespace kestrane;

namespace {
constexpr double pi = std::numbers::pi;
const ScreenPerimeter screen { 1000, 800, 52 };

void expectSample(const BorderSample& sample, Point point, Point inward)
{
    EXPECT_NEAR(sample.point.x, point.x, 1e-9);
    EXPECT_NEAR(sample.point.y, point.y, 1e-9);
    EXPECT_NEAR(sample.inward.x, inward.x, 1e-9);
    EXPECT_NEAR(sample.inward.y, inward.y, 1e-9);
}

double distanceBetween(Point a, Point b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Walks the whole border in small steps and checks that it is one continuous loop on the
// screen whose inward vectors are unit length, perpendicular to the border and point
// into the screen.
void expectClosedContinuousWalk(const ScreenPerimeter& perimeter)
{
    const double length = perimeter.length();
    const double step = 0.25;
    double walked = 0;
    BorderSample previous = perimeter.detailedSample(0);
    for (double i = 1; i * step < length + step; ++i) {
        const double s = std::min(i * step, length);
        const BorderSample sample = perimeter.detailedSample(s);
        const double gap = distanceBetween(previous.point, sample.point);
        ASSERT_LE(gap, step + 1e-9) << "jump at s = " << s;
        walked += gap;
        EXPECT_NEAR(std::hypot(sample.inward.x, sample.inward.y), 1, 1e-9);
        // The direction of travel just after s, so a square corner belongs to the next edge.
        const Point ahead = perimeter.detailedSample(s + 1e-4).point;
        const Point tangent { ahead.x - sample.point.x, ahead.y - sample.point.y };
        EXPECT_NEAR((tangent.x * sample.inward.x + tangent.y * sample.inward.y) / 1e-4, 0, 0.01) << "at s = " << s;
        EXPECT_GE(sample.point.x, -1e-9);
        EXPECT_LE(sample.point.x, perimeter.width + 1e-9);
        EXPECT_GE(sample.point.y, -1e-9);
        EXPECT_LE(sample.point.y, perimeter.height + 1e-9);
        const Point toCentre { perimeter.width / 2 - sample.point.x, perimeter.height / 2 - sample.point.y };
        EXPECT_GT(toCentre.x * sample.inward.x + toCentre.y * sample.inward.y, 0) << "at s = " << s;
        previous = sample;
    }
    // Straight pieces are walked exactly and arcs nearly so by the chords.
    EXPECT_NEAR(walked, length, length * 1e-4);
    expectSample(perimeter.detailedSample(length), perimeter.detailedSample(0).point, perimeter.detailedSample(0).inward);
}
} // namespace

TEST(ScreenPerimeter, LengthsAndSourceOfAThousandByEightHundredScreen)
{
    EXPECT_EQ(screen.straightTop(), 896);
    EXPECT_EQ(screen.straightSide(), 696);
    EXPECT_NEAR(screen.quarterArc(), 81.681, 1e-3);
    EXPECT_NEAR(screen.length(), 2 * pi * 52 + 2 * 896 + 2 * 696, 1e-9);
    EXPECT_NEAR(screen.length(), 3510.7, 0.05);
    EXPECT_NEAR(screen.source(), 1325.68, 0.01);

    expectSample(screen.detailedSample(screen.source()), { 1000, 400 }, { -1, 0 });
    expectSample(screen.detailedSample(0), { 52, 0 }, { 0, 1 });
    expectSample(screen.detailedSample(screen.length()), { 52, 0 }, { 0, 1 });
    const BorderSample beforeStart = screen.detailedSample(screen.length() - 10);
    expectSample(screen.detailedSample(-10), beforeStart.point, beforeStart.inward);
    expectSample(screen.detailedSample(3 * screen.length() + 100), { 152, 0 }, { 0, 1 });
}

TEST(ScreenPerimeter, EachPieceLiesWhereItShould)
{
    const double a = screen.straightTop();
    const double b = screen.straightSide();
    const double q = screen.quarterArc();
    const double diagonal = std::sqrt(0.5);
    // Middle of the top-right corner: its inward vector points at the corner's centre.
    expectSample(screen.detailedSample(a + q / 2), { 948 + 52 * diagonal, 52 - 52 * diagonal }, { -diagonal, diagonal });
    expectSample(screen.detailedSample(a + q), { 1000, 52 }, { -1, 0 });
    expectSample(screen.detailedSample(a + 2 * q + b + a / 2), { 500, 800 }, { 0, -1 });
    expectSample(screen.detailedSample(a + 2 * q + b + a + q / 2), { 52 - 52 * diagonal, 748 + 52 * diagonal },
        { diagonal, -diagonal });
    expectSample(screen.detailedSample(2 * a + 3 * q + b + b / 2), { 0, 400 }, { 1, 0 });
    expectSample(screen.detailedSample(2 * a + 3 * q + 2 * b + q / 2), { 52 - 52 * diagonal, 52 - 52 * diagonal },
        { diagonal, diagonal });
}

TEST(ScreenPerimeter, WalkIsOneContinuousLoopOnScreensOfAnyShape)
{
    expectClosedContinuousWalk(screen);
    expectClosedContinuousWalk({ 80, 800, 52 });
    expectClosedContinuousWalk({ 1000, 60, 52 });
    expectClosedContinuousWalk({ 40, 30, 52 });
    expectClosedContinuousWalk({ 300, 200, 0 });
}

TEST(ScreenPerimeter, CornersShrinkToFitAScreenSmallerThanTwoRadii)
{
    const ScreenPerimeter narrow { 80, 800, 52 };
    EXPECT_EQ(narrow.radius(), 40);
    EXPECT_EQ(narrow.straightTop(), 0);
    EXPECT_EQ(narrow.straightSide(), 720);
    EXPECT_NEAR(narrow.length(), 2 * pi * 40 + 2 * 720, 1e-9);
    expectSample(narrow.detailedSample(narrow.source()), { 80, 400 }, { -1, 0 });

    const ScreenPerimeter nothing { 0, 0, 52 };
    EXPECT_EQ(nothing.length(), 0);
    EXPECT_EQ(nothing.distance(3, 7), 0);
    expectSample(nothing.detailedSample(12), { 0, 0 }, { 0, 1 });

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ScreenPerimeter broken { nan, -5, nan };
    EXPECT_EQ(broken.length(), 0);
    expectSample(screen.detailedSample(nan), { 52, 0 }, { 0, 1 });
}

TEST(ScreenPerimeter, DistanceIsTheShorterWayRoundAndSymmetric)
{
    const double length = screen.length();
    EXPECT_NEAR(screen.distance(10, length - 10), 20, 1e-9);
    EXPECT_NEAR(screen.distance(length - 10, 10), 20, 1e-9);
    EXPECT_NEAR(screen.distance(0, length / 2), length / 2, 1e-9);
    EXPECT_NEAR(screen.distance(100, 100 + 3 * length), 0, 1e-9);
    EXPECT_NEAR(screen.distance(-30, 30), 60, 1e-9);
    for (double s1 = -5000; s1 < 9000; s1 += 733) {
        for (double s2 = -4000; s2 < 8000; s2 += 911) {
            const double d = screen.distance(s1, s2);
            EXPECT_DOUBLE_EQ(d, screen.distance(s2, s1));
            EXPECT_GE(d, 0);
            EXPECT_LE(d, length / 2 + 1e-9);
        }
    }
}
