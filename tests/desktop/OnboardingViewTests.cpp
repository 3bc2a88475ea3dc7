#include "views/OnboardingView.h"

#include "Pictures.h"
#include "geometry/InkGeometry.h"
#include "onboarding/Onboarding.h"
#include "platform/MemoryDefaults.h"
#include "views/PathConversion.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrane;
using kestrane::testing::drawn;

namespace {
constexpr int width = 1440;
constexpr int height = 900;
constexpr double frame = 1.0 / 64;

// Light enough for a card or a row, whether over black ink or over transparency.
bool isLight(QRgb pixel)
{
    return qRed(pixel) > 60;
}

// The introduction in the lesson asked for, `seconds` after teaching began, drawn over
// transparency (no backdrop, so no haze).
class OnboardingViewTest : public ::testing::Test {
protected:
    MemoryDefaults defaults;
    Onboarding flow { defaults };
    OnboardingView view;

    QImage drawnAt(int lesson, double seconds)
    {
        const ScreenPerimeter screen = Onboarding::screenPerimeter(width, height);
        if (!flow.isRunning()) {
            flow.start();
            while (flow.phase() != IntroductionPhase::teaching)
                flow.step(frame, screen);
            for (int i = 0; i < lesson; ++i)
                flow.advance();
        }
        while (flow.state().elapsed + frame / 2 < seconds)
            flow.step(frame, screen);
        view.update(flow, QImage(), QSizeF(width, height));
        return drawn(width, height, [&](QPainter& painter) { view.paint(painter); });
    }

    // How thick the ink is at mid-height of the right edge, where the pocket stands.
    double inkDepth() const
    {
        const ScreenPerimeter screen = Onboarding::screenPerimeter(width, height);
        return flow.field().thickness(screen.source(), screen);
    }
};

// The leftmost and rightmost light pixels of a row between two columns.
std::pair<int, int> lightSpan(const QImage& image, int y, int from, int to)
{
    int first = -1;
    int last = -1;
    for (int x = from; x < to; ++x) {
        if (isLight(image.pixel(x, y))) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return { first, last };
}

} // namespace

// The card flies in at mid-height and, 72 % into its 3.4 s cycle, is centred 34 points
// in from the ink's edge: 2.448 s into lesson 1.
TEST_F(OnboardingViewTest, LessonOneCardReachesThirtyFourPointsFromTheInk)
{
    const QImage image = drawnAt(1, 0.72 * 3.4);
    // Above the card's dark inner rectangle, the white card spans the full width.
    const auto [left, right] = lightSpan(image, height / 2 - 12, width / 2, width);
    ASSERT_GE(left, 0);
    EXPECT_NEAR((left + right + 1) / 2.0, width - inkDepth() - 34, 1);
    EXPECT_NEAR(right + 1 - left, 34, 2);
}

// The drawer's rows are absent while the demonstration pocket has barely opened, and all
// three show once it is open.
TEST_F(OnboardingViewTest, LessonThreeShowsItsRowsOnlyOnceThePocketIsOpen)
{
    const int firstRow = height / 2 - 69 + 23;
    const QImage early = drawnAt(3, 1.0);
    int iconX = static_cast<int>(width - inkDepth() - 214 + 34 + 10);
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(isLight(early.pixel(iconX, firstRow + 46 * row))) << "row " << row << " at 1 s";
    const QImage late = drawnAt(3, 2.2);
    iconX = static_cast<int>(width - inkDepth() - 214 + 34 + 10);
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(isLight(late.pixel(iconX, firstRow + 46 * row))) << "row " << row << " at 2.2 s";
        EXPECT_FALSE(isLight(late.pixel(iconX, firstRow + 46 * row + 23))) << "between rows";
    }
}

// Each lesson's pocket, 0.3 s into teaching while it is at its smallest (5.5 to 9.5
// points), stands out of the ink at mid-height by its own amplitude, however thick the
// band is there. Clicks do not restart the lesson clock.
TEST_F(OnboardingViewTest, EveryLessonsPocketStandsClearOfTheInk)
{
    for (int lesson = 0; lesson < 5; ++lesson) {
        if (lesson > 0)
            flow.advance();
        const QImage image = drawnAt(lesson, 0.3);
        int left = width - 1;
        while (left > 0 && qAlpha(image.pixel(left - 1, height / 2)) > 128)
            --left;
        EXPECT_LE(left, width - inkDepth() - 5) << "lesson " << lesson << ", ink " << inkDepth() << " deep";
    }
}

// "Your screen has an edge." has 24 characters: none is typed at progress 0.05, all of
// them from 0.72 on, when the caret goes.
TEST(LessonBlockTest, TypesTheHeadlineBehindACaret)
{
    const IntroductionLesson lesson = introductionLessons[0];
    LessonBlock block;
    block.update(lesson, 0, 5, 0.05, QSizeF(width, height));
    const QRectF start = block.caret();
    ASSERT_FALSE(start.isEmpty());
    EXPECT_NEAR(start.left(), 0.3 * width + 3, 1) << "only the caret, at the start of the line";

    for (const double progress : { 0.72, 1.0 }) {
        block.update(lesson, 0, 5, progress, QSizeF(width, height));
        EXPECT_TRUE(block.caret().isEmpty()) << progress;
        const QImage image = drawn(width, height, [&](QPainter& painter) { block.paint(painter); });
        // The whole headline is drawn: its last glyph's ink ends where the full line's does.
        const int baselineMiddle = static_cast<int>(start.center().y());
        int rightmost = -1;
        for (int y = baselineMiddle - 15; y < baselineMiddle + 10; ++y)
            rightmost = std::max(rightmost, lightSpan(image, y, 0, width).second);
        EXPECT_EQ(block.headline().text().toStdString(), lesson.headline);
        const QRectF ink = block.headline().metrics().tightBoundingRect(block.headline().text());
        EXPECT_NEAR(rightmost, start.left() - 3 + ink.right(), 2) << progress;
    }
}

// The band is drawn from outlines rather than the triangles that define it: both must
// cover the same pixels, whether the ink runs all round or only part of the way.
TEST(InkBandTest, CoversWhatTheTrianglesCover)
{
    const ScreenPerimeter screen = Onboarding::screenPerimeter(width, height);
    const auto filled = [](const Path& path) {
        return drawn(width, height, [&](QPainter& p) { p.fillPath(toPainterPath(path), Qt::black); });
    };
    for (const InkField field : { InkField { 900, 26, 3.0, 1 }, InkField { 2700, 17, 12.5, 0.8 } }) {
        const QImage triangles = filled(InkGeometry::path(field, screen));
        Path outline;
        InkGeometry::band(field, screen, outline);
        const QImage band = filled(outline);
        int inked = 0;
        int differing = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                inked += qAlpha(triangles.pixel(x, y)) > 0;
                differing += qAlpha(triangles.pixel(x, y)) != qAlpha(band.pixel(x, y));
            }
        }
        EXPECT_GT(inked, 10000) << field.front;
        EXPECT_LT(differing, inked / 1000) << field.front;
    }
}
