#include "geometry/InkField.h"
#include "geometry/InkGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

using namespace kestrane;

namespace {
const ScreenPerimeter screen { 1000, 800, 52 };

struct Triangle {
    Point a, b, c;

    double turn() const { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }
};

// The path as triangles; fails the test unless every subpath is move, line, line, close.
std::vector<Triangle> triangles(const Path& path)
{
    std::vector<Triangle> result;
    const auto& e = path.elements;
    EXPECT_EQ(e.size() % 4, 0u);
    for (std::size_t i = 0; i + 3 < e.size(); i += 4) {
        EXPECT_TRUE(e[i].op == Path::Op::Move && e[i + 1].op == Path::Op::Line && e[i + 2].op == Path::Op::Line && e[i + 3].op == Path::Op::Close);
        result.push_back({ { e[i].x, e[i].y }, { e[i + 1].x, e[i + 1].y }, { e[i + 2].x, e[i + 2].y } });
    }
    return result;
}
} // namespace

TEST(InkGeometry, EveryTriangleWindsTheSameWay)
{
    const ScreenPerimeter screens[] = { { 1000, 800, 52 }, { 1920, 1080, 52 }, { 80, 600, 52 } };
    for (const ScreenPerimeter& perimeter : screens) {
        for (const InkField& field : { InkField { 900, 26, 3.2, 1 }, InkField { 1e6, 17, 12, 0.6 } }) {
            const std::vector<Triangle> all = triangles(InkGeometry::path(field, perimeter));
            ASSERT_FALSE(all.empty());
            for (const Triangle& triangle : all)
                ASSERT_GT(triangle.turn(), 0.0001) << perimeter.width << " x " << perimeter.height;
        }
    }
}

// Through the overload that reuses a path, which must clear it first.
TEST(InkGeometry, BandSpansTheBorderUpToTheFrontWhenTheBorderIsNeitherTooShortNorTooLong)
{
    Path reused;
    InkGeometry::path({ 1e6, 26, 5, 1 }, screen, reused);
    // The whole border of 3510.7 points: two triangles for every pair of neighbouring samples.
    EXPECT_EQ(triangles(reused).size(), 2 * 1171u);

    // A partial front: only the pairs within the front's reach either way of the source.
    const double front = 600;
    InkGeometry::path({ front, 26, 5, 1 }, screen, reused);
    const std::vector<Triangle> part = triangles(reused);
    const double pairs = static_cast<double>(part.size()) / 2.0;
    EXPECT_GT(pairs, 2 * (front - 25) / 3);
    EXPECT_LT(pairs, 2 * (front + 6) / 3);
    // 600 points from the middle of the right edge is 170 points along the top and bottom
    // edges (at x ≈ 778): nothing lies further left.
    for (const Triangle& triangle : part) {
        for (Point corner : { triangle.a, triangle.b, triangle.c })
            EXPECT_GE(corner.x, 776);
    }
    // Borders of 6 points (two samples) and 0 points; 8 points give three samples.
    EXPECT_TRUE(InkGeometry::path({ 1e6, 26, 1, 1 }, { 2, 1, 0 }).empty());
    EXPECT_TRUE(InkGeometry::path({ 1e6, 26, 1, 1 }, { 0, 0, 52 }).empty());
    EXPECT_FALSE(InkGeometry::path({ 1e6, 26, 1, 1 }, { 3, 1, 0 }).empty());
    // A nonsensical screen size is refused rather than sampled billions of times.
    EXPECT_TRUE(InkGeometry::path({ 1e300, 26, 1, 1 }, { 1e12, 1e12, 52 }).empty());
}

TEST(InkField, ThicknessAtKnownPointsOfTheBorder)
{
    // The ripple runs 6, 13 and 26 whole waves round this border.
    // Middle of the right edge at the start: mid-height weight 1, two lumps overlapping it.
    EXPECT_NEAR((InkField { 2000, 26, 0, 1 }).thickness(screen.source(), screen), 42.45002419595958, 1e-9);
    // Later, when two lumps running backwards sit at negative arc lengths.
    EXPECT_NEAR((InkField { 2000, 26, 100, 1 }).thickness(screen.source(), screen), 35.69796166449745, 1e-9);
    // Middle of the bottom edge, where the ink is heaviest, at partial strength.
    const double bottomMiddle = 2 * screen.quarterArc() + 1.5 * screen.straightTop() + screen.straightSide();
    EXPECT_NEAR((InkField { 5000, 26, 7.5, 0.8 }).thickness(bottomMiddle, screen), 17.46087102113339, 1e-9);
    // Middle of the top edge, where it is lightest.
    EXPECT_NEAR((InkField { 5000, 20, 3, 1 }).thickness(500 - 52, screen), 22.98016483956600, 1e-9);
}

TEST(InkField, NoInkWhenFaintThinOrNotYetSpread)
{
    for (const InkField& field : { InkField { 5000, 26, 2, 0.0005 }, InkField { 5000, 0.005, 2, 1 }, InkField { 0, 26, 2, 1 } })
        for (double s = 0.5; s < screen.length(); s += 7)
            EXPECT_EQ(field.thickness(s, screen), 0) << s;
    EXPECT_EQ((InkField { 5000, 26, 2, 1 }).thickness(10, { 0, 0, 52 }), 0);
}

// The walk starts at the top-left end of the top edge: the ink's inner edge must run on
// there without a step, whatever the screen and the moment.
TEST(InkField, ThicknessIsContinuousWhereTheWalkWraps)
{
    for (const ScreenPerimeter& perimeter : { screen, ScreenPerimeter { 1440, 900, 52 }, ScreenPerimeter { 1920, 1080, 52 } }) {
        for (const double clock : { 0.0, 3.7, 41.0 }) {
            const InkField field { 1e6, 26, clock, 1 };
            EXPECT_NEAR(field.thickness(perimeter.length() - 0.01, perimeter), field.thickness(0, perimeter), 0.01)
                << perimeter.width << " x " << perimeter.height << " at " << clock << " s";
        }
    }
}
