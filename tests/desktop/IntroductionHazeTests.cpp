#include "views/IntroductionHaze.h"

#include "Pictures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrane;

namespace {
constexpr int width = 400;
constexpr int height = 60;
constexpr int edge = 203;

// Black left of the edge, white from it on.
QImage stepEdge()
{
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter(&picture).fillRect(0, 0, width, height, Qt::black);
    QPainter(&picture).fillRect(edge, 0, width - edge, height, Qt::white);
    return picture;
}

QImage painted(IntroductionHaze& blur, double opacity)
{
    return kestrane::testing::drawn(width, height, [&](QPainter& painter) { blur.paint(painter, QRegion(0, 0, width, height), opacity); });
}

} // namespace

// A step edge blurred by a Gaussian of standard deviation s rises as the normal
// distribution does: 255 × Φ((x + ½ − edge) / s) at the centre of pixel x.
TEST(IntroductionHazeTest, BlursAStepEdgeAsATrueGaussianDoes)
{
    for (const double radius : { 2.25, 5.0, 8.0, 12.0 }) {
        IntroductionHaze blur;
        blur.setBackdrop(stepEdge(), QRectF(0, 0, width, height));
        blur.setRadius(radius);
        const QImage out = painted(blur, 1);
        double worst = 0;
        for (int x = 100; x < 300; ++x) {
            const double expected = 255 * 0.5 * std::erfc(-(x + 0.5 - edge) / (radius * std::sqrt(2.0)));
            worst = std::max(worst, std::abs(qGreen(out.pixel(x, height / 2)) - expected));
        }
        EXPECT_LE(worst, 0.03 * 255) << "radius " << radius;
    }
}

TEST(IntroductionHazeTest, RadiusZeroShowsThePictureAndOpacityScalesIt)
{
    IntroductionHaze blur;
    blur.setBackdrop(stepEdge(), QRectF(0, 0, width, height));
    blur.setRadius(0);
    EXPECT_EQ(painted(blur, 1).pixel(edge, 10), qRgb(255, 255, 255));
    EXPECT_EQ(painted(blur, 1).pixel(edge - 1, 10), qRgb(0, 0, 0));
    EXPECT_NEAR(qAlpha(painted(blur, 0.5).pixel(edge, 10)), 128, 1);
    EXPECT_FALSE(blur.setRadius(0.1)) << "a radius within a quarter point is the same blur";
}
