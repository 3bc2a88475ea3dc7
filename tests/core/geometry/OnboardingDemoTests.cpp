#include "geometry/OnboardingDemo.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kestrane;

namespace {
constexpr double width = 1440;
constexpr double height = 900;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

OnboardingDemo demo(int step, double time)
{
    return { step, time, { width, height } };
}
} // namespace

TEST(OnboardingDemo, ThrownCardFliesIntoThePocketEveryCycle)
{
    EXPECT_EQ(demo(1, 0).travellingItem(), (TravellingItem { { 0.62 * width, height / 2 }, 0.85, 0 }));
    const TravellingItem arrived = demo(1, 0.72 * 3.4).travellingItem().value();
    EXPECT_NEAR(arrived.position.x, width - 34, 1e-9);
    EXPECT_NEAR(arrived.scale, 1, 1e-9);
    EXPECT_NEAR(arrived.opacity, 0.7407, 1e-4);
    EXPECT_FALSE(demo(1, 0.8 * 3.4).travellingItem());
    EXPECT_EQ(demo(1, 3.4 + 0.5).travellingItem(), demo(1, 0.5).travellingItem());
}

TEST(OnboardingDemo, EachLessonsPocketSwellsAsChoreographedAndTheDrawerOpensInTheFourth)
{
    // Lesson, time and amplitude. The edge swells; the throwing pocket reaches out, falls
    // back as it swallows and ends ten points fuller; the weight lesson gains an item at a
    // time (a broken clock counts one); looking inside opens to the drawer and shuts on the
    // resting three-item pocket of the settings lesson.
    const std::tuple<int, double, double> golden[] = { { 0, 0.4, 6 }, { 0, 1.8, 14 }, { 1, 0, 7 }, { 1, 1.7, 41 }, { 1, 3.06, 17 },
        { 2, 0, 5.5 }, { 2, nan, 5.5 }, { 2, 2.6, 10.6714 }, { 2, 4.6, 10.6714 }, { 3, 2.5, 214 }, { 3, 4.2, 9.4503 }, { 4, 1, 9.4503 } };
    for (const auto& [step, time, amplitude] : golden)
        EXPECT_NEAR(demo(step, time).pocket()->amplitude, amplitude, 1e-4) << step << " at " << time;

    const BezelNode settings = *demo(4, 1).pocket();
    EXPECT_EQ(settings.center, height / 2);
    EXPECT_NEAR(settings.core, 8.6156, 1e-4);
    EXPECT_NEAR(settings.falloffTop, 41.5583, 1e-4);
    EXPECT_NEAR(settings.falloffBottom, 50.7691, 1e-4);
    for (int step : { -1, 5 })
        EXPECT_FALSE(demo(step, 1).pocket() || demo(step, 1).openRows() || demo(step, 1).travellingItem());

    // Looking inside opens the drawer and shows its rows past a quarter of the way.
    EXPECT_FALSE(demo(3, 1.0).openRows());
    const OpenRows rows = demo(3, 1.5).openRows().value();
    EXPECT_EQ(rows.frame, (Rect { width - 214, height / 2 - 87, 214, 174 }));
    EXPECT_GT(rows.progress, 0.25);
    EXPECT_EQ(*demo(3, 2.5).pocket(), (BezelNode { height / 2, 214, 71, 16, 16, 1, 7.5 }));
    EXPECT_EQ(demo(3, 4.2).pocket()->squircle, 0);
    EXPECT_FALSE(demo(3, 4.2).openRows());
    EXPECT_EQ(demo(3, 0).openNode(0, 0).amplitude, 0);
    EXPECT_DOUBLE_EQ(demo(3, 0).openNode(1, 0).core, 40);
}

TEST(OnboardingDemo, HeadlineIsTypedInWholeCharacters)
{
    const std::string headline = "Your screen has an edge.";
    EXPECT_EQ(typedHeadline(headline, 0.05), (TypedHeadline { "", true }));
    EXPECT_EQ(typedHeadline(headline, 0.72), (TypedHeadline { headline, false }));
    EXPECT_EQ(typedCharacterCount(24, 0.385), 12u);
    EXPECT_EQ(typedCharacterCount(24, 0.3936), 12u) << "12.46 characters round to 12";
    EXPECT_EQ(typedCharacterCount(24, nan), 0u);
    // An accent written as a combining mark is typed together with its letter.
    EXPECT_EQ(typedHeadline("Cafe\u0301 ok", 0.385).shown, "Cafe\u0301");
}
