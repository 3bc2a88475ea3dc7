#include "geometry/BezelGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kestrane;

namespace {
constexpr double width = 500;
constexpr double height = 900;

BezelNode bump(double center, double amplitude, double core, double falloff)
{
    return { center, amplitude, core, falloff, falloff, 0, 7.5 };
}

int subpaths(const Path& path)
{
    return static_cast<int>(std::ranges::count(path.elements, Path::Op::Move, &Path::Element::op));
}
} // namespace

TEST(BezelGeometry, ProfileHasAFlatCoreAndSmoothAsymmetricFalloffsOrASquircle)
{
    // Rows and offsets; a quarter and half way down a falloff, (1 - t²)² is 0.19140625 and 0.5625.
    const BezelNode node { 100, 30, 10, 20, 40, 0, 7.5 }, sunken { 100, -5, 10, 20, 20, 0, 7.5 }, noTop { 100, 30, 10, 0, 20, 0, 7.5 };
    const std::tuple<BezelNode, double, double> rows[] = { { node, 100, 30 }, { node, 90, 30 }, { node, 110, 30 }, { node, 75, 5.7421875 },
        { node, 80, 16.875 }, { node, 130, 16.875 }, { node, 70, 0 }, { node, 60, 0 }, { node, 150, 0 }, { sunken, 100, 0 },
        { noTop, 95, 30 }, { noTop, 89, 0 } };
    for (const auto& [bezel, y, offset] : rows)
        EXPECT_DOUBLE_EQ(BezelGeometry::profile(bezel, y), offset) << y;
    EXPECT_GT(BezelGeometry::profile(node, 149), 0);

    // The squircle blends toward a flat-top superellipse: fully flat, a quarter of the way,
    // and below the threshold where the plain falloff is used.
    const std::pair<double, double> blends[] = { { 1, 39.35979342530861 }, { 0.25, 33.54365206003085 }, { 0.0009, 31.604938271604937 } };
    for (const auto& [squircle, offset] : blends)
        EXPECT_NEAR(BezelGeometry::profile({ 100, 40, 10, 30, 30, squircle, 4 }, 120), offset, 1e-12) << squircle;
}

// Through the overload that reuses a path, which must clear it first.
TEST(BezelGeometry, OutlineSamplesEachRowOfItsReachThenReturnsToTheEdge)
{
    Path path;
    path.moveTo(1, 2);
    BezelGeometry::path({ bump(100, 30, 10, 20) }, width, height, path);
    ASSERT_EQ(path.elements.size(), 64u);
    EXPECT_EQ(path.elements[0], (Path::Element { Path::Op::Move, width, 70 }));
    for (int row = 0; row < 60; ++row)
        EXPECT_EQ(path.elements[static_cast<std::size_t>(1 + row)].y, 70 + row);
    EXPECT_EQ(path.elements[31], (Path::Element { Path::Op::Line, width - 30, 100 }));
    EXPECT_EQ(path.elements[61], (Path::Element { Path::Op::Line, width, 130 }));
    EXPECT_EQ(path.elements[62], (Path::Element { Path::Op::Line, width, 130 }));
    EXPECT_EQ(path.elements[63].op, Path::Op::Close);

    // A fractional span still samples whole steps from the start, then the exact stop.
    const Path shifted = BezelGeometry::path({ BezelNode { 100.25, 30, 10, 20, 20.5, 0, 7.5 } }, width, height);
    ASSERT_EQ(shifted.elements.size(), 61u + 4u);
    EXPECT_EQ(shifted.elements[61].y, 130.25);
    EXPECT_EQ(shifted.elements[62].y, 130.75);

    // Clusters are clipped just outside the canvas.
    EXPECT_EQ(BezelGeometry::path({ bump(10, 30, 10, 30) }, width, height).elements[0], (Path::Element { Path::Op::Move, width, -1 }));
    const Path bottom = BezelGeometry::path({ bump(height - 10, 30, 10, 30) }, width, height);
    const std::size_t n = bottom.elements.size();
    EXPECT_EQ(bottom.elements[n - 4].y, height);
    EXPECT_EQ(bottom.elements[n - 3].y, height + 1);
    EXPECT_EQ(bottom.elements[n - 2], (Path::Element { Path::Op::Line, width, height + 1 }));
}

TEST(BezelGeometry, InvisibleOrOffCanvasNodesAreDroppedAndOverlappingOnesMergeByCubeSum)
{
    // Nodes, and the subpaths they make. Nodes off the canvas or too faint or thin to see make
    // none; a faint node bridging two bulges must not join them; touching reaches (130 and 130) still join.
    const std::pair<std::vector<BezelNode>, int> cases[] = { { { bump(100, 0.05, 10, 20) }, 0 }, { { bump(100, 0.06, 10, 20) }, 1 },
        { { BezelNode { 100, 30, 0.25, 0.25, 0.25, 0, 7.5 } }, 0 }, { { BezelNode { 100, 30, 0.25, 0.3, 0.25, 0, 7.5 } }, 1 },
        { { bump(NAN, 30, 10, 20) }, 0 }, { { bump(-100, 30, 10, 30) }, 0 }, { { bump(-41, 30, 10, 30) }, 0 },
        { { bump(height + 100, 30, 10, 30) }, 0 }, { { bump(-100, 30, 10, 30), bump(450, 30, 10, 30) }, 1 },
        { { bump(100, 30, 10, 20), bump(200, 0.01, 10, 200), bump(300, 30, 10, 20) }, 2 },
        { { bump(100, 30, 10, 20), bump(150, 30, 10, 20) }, 1 }, { { bump(100, 30, 10, 20), bump(160, 30, 10, 20) }, 1 } };
    for (const auto& [nodes, count] : cases)
        EXPECT_EQ(subpaths(BezelGeometry::path(nodes, width, height)), count) << nodes[0].center << " " << nodes[0].amplitude;

    // Given out of order, the far pair is still sorted: the upper subpath comes first.
    const Path apart = BezelGeometry::path({ bump(400, 30, 10, 20), bump(100, 30, 10, 20) }, width, height);
    ASSERT_EQ(subpaths(apart), 2);
    EXPECT_EQ(apart.elements.front().y, 70);

    // The third node overlaps only the long first one, whose bottom is still the lowest.
    const Path chained = BezelGeometry::path({ bump(100, 30, 50, 50), bump(110, 30, 5, 5), bump(210, 30, 5, 20) }, width, height);
    EXPECT_EQ(subpaths(chained), 1);
    EXPECT_EQ(chained.elements.front().y, 0);
    EXPECT_EQ(chained.elements[chained.elements.size() - 2].y, 235);

    const Path one = BezelGeometry::path({ bump(300, 30, 10, 20) }, width, height);
    const Path two = BezelGeometry::path({ bump(300, 30, 10, 20), bump(300, 30, 10, 20) }, width, height);
    ASSERT_EQ(one.elements.size(), two.elements.size());
    for (std::size_t i = 1; i + 3 < one.elements.size(); ++i)
        EXPECT_NEAR(width - two.elements[i].x, std::cbrt(2.0) * (width - one.elements[i].x), 1e-9) << i;
}
