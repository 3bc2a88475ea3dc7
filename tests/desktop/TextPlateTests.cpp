#include "views/styles/TextPlate.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace kestrane;

// A plate is as dark as the desktop behind needs; until a picture comes it stays as it was,
// but where none ever comes it is as dark as over a white desktop.
TEST(TextPlateTest, DarkensAsMuchAsTheDesktopBehindNeeds)
{
    const QSizeF screen(200, 100);
    QImage white(200, 100, QImage::Format_RGB32), dark(200, 100, QImage::Format_RGB32);
    white.fill(Qt::white);
    dark.fill(QColor(40, 40, 40));
    const QRectF area(20, 20, 60, 20);
    TextPlate plate;
    plate.place(area, dark, screen);
    EXPECT_EQ(plate.darkness(), 0);
    plate.place(area, white, screen);
    const double overWhite = plate.darkness();
    EXPECT_NEAR(overWhite, 1 - 64.0 / 255, 0.01);
    plate.place(area, white, screen, 0.3);
    EXPECT_LT(plate.darkness(), overWhite) << "a dimmed desktop needs less";

    plate.place(area, dark, screen);
    plate.place(area, QImage(), screen);
    EXPECT_EQ(plate.darkness(), 0) << "no picture yet: as it was";
    TextPlate::assumeLightDesktop(true);
    plate.place(area, QImage(), screen);
    TextPlate::assumeLightDesktop(false);
    EXPECT_EQ(plate.darkness(), overWhite) << "no picture ever";
}
