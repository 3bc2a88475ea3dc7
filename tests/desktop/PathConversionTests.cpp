#include "views/PathConversion.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace kestrane;

namespace {
void addSquare(Path& path, double x, double y, double side)
{
    path.moveTo(x, y);
    path.lineTo(x + side, y);
    path.lineTo(x + side, y + side);
    path.lineTo(x, y + side);
    path.close();
}
} // namespace

TEST(PathConversionTest, OverlappingSubpathsFillWithoutHolesAndReusedStorageStartsClean)
{
    Path path;
    addSquare(path, 0, 0, 20);
    addSquare(path, 10, 10, 20);
    QPainterPath converted;
    toPainterPath(path, converted);
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter(&image).fillPath(converted, Qt::black);
    EXPECT_EQ(qAlpha(image.pixel(15, 15)), 255) << "an even-odd fill would leave the overlap empty";
    EXPECT_EQ(qAlpha(image.pixel(5, 25)), 0);

    Path other;
    addSquare(other, 30, 30, 5);
    toPainterPath(other, converted);
    EXPECT_EQ(converted.boundingRect(), QRectF(30, 30, 5, 5)) << "nothing of the previous path is left";
    EXPECT_TRUE(toPainterPath(Path {}).isEmpty());
}
