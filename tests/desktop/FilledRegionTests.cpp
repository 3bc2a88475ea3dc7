#include "views/FilledRegion.h"
#include "views/PathConversion.h"

#include "Pictures.h"

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
int pixelsOf(const QRegion& region)
{
    int pixels = 0;
    for (const QRect& rect : region)
        pixels += rect.width() * rect.height();
    return pixels;
}

// Qt's own aliased fill: a pixel is painted when its centre lies inside.
QRegion paintedPixels(const QPainterPath& path, const QRect& clip)
{
    const QImage image = kestrane::testing::drawn(clip.right() + 1, clip.bottom() + 1, [&](QPainter& p) { p.fillPath(path, Qt::black); });
    QRegion region;
    for (int y = clip.top(); y <= clip.bottom(); ++y)
        for (int x = clip.left(); x <= clip.right(); ++x)
            if (qAlpha(image.pixel(x, y)))
                region += QRect(x, y, 1, 1);
    return region;
}

void addSquare(Path& path, double x, double y, double side)
{
    path.moveTo(x, y);
    path.lineTo(x + side, y);
    path.lineTo(x + side, y + side);
    path.lineTo(x, y + side);
    path.close();
}
} // namespace

TEST(FilledRegion, CoversTheSamePixelsAsAnAliasedFillWithinTheClip)
{
    QPainterPath bulge;
    bulge.moveTo(200, 0);
    bulge.cubicTo(120, 60, 120, 120, 200, 180);
    bulge.closeSubpath();
    QPainterPath star;
    star.moveTo(100, 10);
    for (const QPointF p : { QPointF(155, 190), QPointF(10, 75), QPointF(190, 75), QPointF(45, 190) })
        star.lineTo(p);
    star.closeSubpath();
    QPainterPath windingStar = star;
    windingStar.setFillRule(Qt::WindingFill);

    for (const QPainterPath& path : { bulge, star, windingStar }) {
        for (const QRect clip : { QRect(0, 0, 201, 200), QRect(30, 40, 120, 100) }) {
            const QRegion expected = paintedPixels(path, clip) & clip;
            const QRegion found = filledRegion(path, clip);
            // Pixels whose centres fall exactly on an edge may round either way.
            EXPECT_LE(pixelsOf(expected ^ found), pixelsOf(expected) / 200 + 4) << "fill rule " << path.fillRule() << ", clip " << clip.x();
            EXPECT_TRUE(clip.contains(found.boundingRect()) || found.isEmpty());
        }
    }
}

TEST(PathConversionTest, OverlappingSubpathsFillWithoutHolesAndReusedStorageStartsClean)
{
    Path path;
    addSquare(path, 0, 0, 20);
    addSquare(path, 10, 10, 20);
    QPainterPath converted;
    toPainterPath(path, converted);
    EXPECT_TRUE(converted.contains(QPointF(15, 15))) << "an even-odd fill would leave the overlap empty";
    EXPECT_FALSE(converted.contains(QPointF(5, 25)));

    Path other;
    addSquare(other, 30, 30, 5);
    toPainterPath(other, converted);
    EXPECT_EQ(converted.boundingRect(), QRectF(30, 30, 5, 5)) << "nothing of the previous path is left";
    EXPECT_TRUE(toPainterPath(Path {}).isEmpty());
}
