#include "geometry/InkField.h"
#include "geometry/InkGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The path as triangles; fails the test unless every subpath is move, line, line, close and
// every triangle winds the same way.
std::vector<Triangle> triangles(const Path& path)
{
    std::vector<Triangle> result;
    const auto& e = path.elements;
    EXPECT_EQ(e.size() % 4, 0u);
    for (std::size_t i = 0; i + 3 < e.size(); i += 4) {
        EXPECT_TRUE(
            e[i].op == Path::Op::Move && e[i + 1].op == Path::Op::Line && e[i + 2].op == Path::Op::Line && e[i + 3].op == Path::Op::Close);
        result.push_back({ { e[i].x, e[i].y }, { e[i + 1].x, e[i + 1].y }, { e[i + 2].x, e[i + 2].y } });
        EXPECT_GT(result.back().turn(), 0.0001) << i;
    }
    return result;
}
} // namespace

// Through the overload that reuses a path, which must clear it first.
TEST(InkGeometry, BandSpansTheBorderUpToTheFrontWhenTheBorderIsNeitherTooShortNorTooLong)
{
    Path reused;
    InkGeometry::path({ 1e6, 26, 5, 1 }, screen, reused);
    // The whole border of 3510.7 points: two triangles for every pair of neighbouring samples.
    EXPECT_EQ(triangles(reused).size(), 2 * 1171u);
    for (const ScreenPerimeter& perimeter : { ScreenPerimeter { 1920, 1080, 52 }, ScreenPerimeter { 80, 600, 52 } })
        EXPECT_FALSE(triangles(InkGeometry::path({ 1e6, 17, 12, 0.6 }, perimeter)).empty());

    // A partial front: only the pairs within the front's reach either way of the source.
    const double front = 600;
    InkGeometry::path({ front, 26, 5, 1 }, screen, reused);
    const std::vector<Triangle> part = triangles(reused);
    const double pairs = static_cast<double>(part.size()) / 2.0;
    EXPECT_GT(pairs, 2 * (front - 25) / 3);
    EXPECT_LT(pairs, 2 * (front + 6) / 3);
    // 600 points from the middle of the right edge is 170 points along the top and bottom
    // edges (at x ≈ 778): nothing lies further left.
    for (const Triangle& triangle : part)
        EXPECT_GE(std::min({ triangle.a.x, triangle.b.x, triangle.c.x }), 776);
    // Borders of 6 points (two samples) and 0 points; 8 points give three samples. A
    // nonsensical screen size is refused rather than sampled billions of times.
    EXPECT_TRUE(InkGeometry::path({ 1e6, 26, 1, 1 }, { 2, 1, 0 }).empty());
    EXPECT_TRUE(InkGeometry::path({ 1e6, 26, 1, 1 }, { 0, 0, 52 }).empty());
    EXPECT_FALSE(InkGeometry::path({ 1e6, 26, 1, 1 }, { 3, 1, 0 }).empty());
    EXPECT_TRUE(InkGeometry::path({ 1e300, 26, 1, 1 }, { 1e12, 1e12, 52 }).empty());
}

TEST(InkField, ThicknessAtKnownPointsOfTheBorderNoneWhenFaintThinOrNotYetSpreadAndNoStepWhereTheWalkWraps)
{
    // The ripple runs 6, 13 and 26 whole waves round this border. At the middle of the right
    // edge at the start (mid-height weight 1, two lumps overlapping it) and later (two lumps
    // running backwards at negative arc lengths); the middle of the bottom edge, where the ink
    // is heaviest, at partial strength; the middle of the top edge, where it is lightest.
    const double bottomMiddle = 2 * screen.quarterArc() + 1.5 * screen.straightTop() + screen.straightSide();
    const std::tuple<InkField, double, double> known[] = { { { 2000, 26, 0, 1 }, screen.source(), 42.45002419595958 },
        { { 2000, 26, 100, 1 }, screen.source(), 35.69796166449745 }, { { 5000, 26, 7.5, 0.8 }, bottomMiddle, 17.46087102113339 },
        { { 5000, 20, 3, 1 }, 500 - 52, 22.98016483956600 } };
    for (const auto& [field, s, thickness] : known)
        EXPECT_NEAR(field.thickness(s, screen), thickness, 1e-9) << s;

    for (const InkField& field : { InkField { 5000, 26, 2, 0.0005 }, InkField { 5000, 0.005, 2, 1 }, InkField { 0, 26, 2, 1 } })
        for (double s = 0.5; s < screen.length(); s += 7)
            EXPECT_EQ(field.thickness(s, screen), 0) << s;
    EXPECT_EQ((InkField { 5000, 26, 2, 1 }).thickness(10, { 0, 0, 52 }), 0);

    // The walk starts at the top-left end of the top edge: the ink's inner edge must run on
    // there without a step, whatever the screen and the moment.
    for (const ScreenPerimeter& perimeter : { screen, ScreenPerimeter { 1440, 900, 52 }, ScreenPerimeter { 1920, 1080, 52 } }) {
        for (const double clock : { 0.0, 3.7, 41.0 }) {
            const InkField field { 1e6, 26, clock, 1 };
            EXPECT_NEAR(field.thickness(perimeter.length() - 0.01, perimeter), field.thickness(0, perimeter), 0.01)
                << perimeter.width << " x " << perimeter.height << " at " << clock << " s";
        }
    }
}
