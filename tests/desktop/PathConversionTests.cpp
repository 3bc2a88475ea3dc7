#include "views/PathConversion.h"

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
    EXPECT_TRUE(converted.contains(QPointF(15, 15))) << "an even-odd fill would leave the overlap empty";
    EXPECT_FALSE(converted.contains(QPointF(5, 25)));

    Path other;
    addSquare(other, 30, 30, 5);
    toPainterPath(other, converted);
    EXPECT_EQ(converted.boundingRect(), QRectF(30, 30, 5, 5)) << "nothing of the previous path is left";
    EXPECT_TRUE(toPainterPath(Path {}).isEmpty());
}
