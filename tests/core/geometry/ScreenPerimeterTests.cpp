#include "geometry/ScreenPerimeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kestrane;

namespace {
const ScreenPerimeter screen { 1000, 800, 52 };

// Walks the border in small steps: one continuous loop on the screen, as long as its
// length, whose inward vectors are unit length, perpendicular to it and point inside.
void expectClosedContinuousWalk(const ScreenPerimeter& perimeter)
{
    const double length = perimeter.length(), step = 0.25;
    double walked = 0;
    Point previous = perimeter.detailedSample(0).point;
    for (double i = 1; i * step < length + step; ++i) {
        const double s = std::min(i * step, length);
        const BorderSample sample = perimeter.detailedSample(s);
        const double gap = std::hypot(sample.point.x - previous.x, sample.point.y - previous.y);
        ASSERT_LE(gap, step + 1e-9) << "jump at s = " << s;
        walked += gap;
        previous = sample.point;
        EXPECT_NEAR(std::hypot(sample.inward.x, sample.inward.y), 1, 1e-9);
        // The direction of travel just after s, so a square corner belongs to the next edge.
        const Point ahead = perimeter.detailedSample(s + 1e-4).point;
        const double along = (ahead.x - sample.point.x) * sample.inward.x + (ahead.y - sample.point.y) * sample.inward.y;
        EXPECT_NEAR(along / 1e-4, 0, 0.01) << "at s = " << s;
        const Point toCentre { perimeter.width / 2 - sample.point.x, perimeter.height / 2 - sample.point.y };
        EXPECT_GT(toCentre.x * sample.inward.x + toCentre.y * sample.inward.y, 0) << "at s = " << s;
        EXPECT_TRUE(std::abs(toCentre.x) <= perimeter.width / 2 + 1e-9 && std::abs(toCentre.y) <= perimeter.height / 2 + 1e-9)
            << "at s = " << s;
    }
    // Straight pieces are walked exactly and arcs nearly so by their chords.
    EXPECT_NEAR(walked, length, length * 1e-4);
}
} // namespace

TEST(ScreenPerimeter, LengthsSamplesAndDistancesOnScreensOfAnyShapeAndCornersShrinkToFit)
{
    const ScreenPerimeter narrow { 80, 800, 52 }, nothing { 0, 0, 52 };
    for (const ScreenPerimeter& perimeter : { screen, narrow, { 1000, 60, 52 }, { 40, 30, 52 }, { 300, 200, 0 } })
        expectClosedContinuousWalk(perimeter);
    EXPECT_NEAR(screen.length(), 3510.7, 0.05);
    EXPECT_NEAR(screen.source(), 1325.68, 0.01);
    EXPECT_EQ(std::tuple(narrow.radius(), nothing.length(), nothing.distance(3, 7), (ScreenPerimeter { NAN, -5, NAN }).length()),
        std::tuple(40, 0, 0, 0));
    EXPECT_NEAR(narrow.length(), 1691.33, 0.01);

    // Where on the border, and the point there with its inward vector. In the middle of the
    // top-right corner the inward vector points at the corner's centre.
    const double diagonal = std::sqrt(0.5);
    const BorderSample beforeStart = screen.detailedSample(screen.length() - 10);
    const std::tuple<ScreenPerimeter, double, Point, Point> samples[] = { { screen, screen.source(), { 1000, 400 }, { -1, 0 } },
        { screen, 0, { 52, 0 }, { 0, 1 } }, { screen, screen.length(), { 52, 0 }, { 0, 1 } },
        { screen, 3 * screen.length() + 100, { 152, 0 }, { 0, 1 } }, { screen, -10, beforeStart.point, beforeStart.inward },
        { screen, NAN, { 52, 0 }, { 0, 1 } },
        { screen, 896 + screen.quarterArc() / 2, { 948 + 52 * diagonal, 52 - 52 * diagonal }, { -diagonal, diagonal } },
        { narrow, narrow.source(), { 80, 400 }, { -1, 0 } }, { nothing, 12, { 0, 0 }, { 0, 1 } } };
    for (const auto& [perimeter, s, point, inward] : samples) {
        const BorderSample sample = perimeter.detailedSample(s);
        EXPECT_LT(std::hypot(sample.point.x - point.x, sample.point.y - point.y), 1e-9)
            << s << ": " << sample.point.x << ", " << sample.point.y;
        EXPECT_LT(std::hypot(sample.inward.x - inward.x, sample.inward.y - inward.y), 1e-9)
            << s << ": " << sample.inward.x << ", " << sample.inward.y;
    }

    // The shorter way round, either way.
    const double length = screen.length();
    const std::tuple<double, double, double> cases[] = { { 10, length - 10, 20 }, { 100, 100 + 3 * length, 0 }, { -30, 30, 60 },
        { -4000, 5000, 3 * length - 9000 } };
    for (const auto& [a, b, distance] : cases) {
        EXPECT_NEAR(screen.distance(a, b), distance, 1e-9) << a << " to " << b;
        EXPECT_NEAR(screen.distance(b, a), distance, 1e-9) << b << " to " << a;
    }
}
