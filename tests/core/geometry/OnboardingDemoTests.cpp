#include "geometry/OnboardingDemo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kestrane;

namespace {
constexpr double width = 1440;
constexpr double height = 900;

OnboardingDemo demo(int step, double time)
{
    return { step, time, { width, height } };
}
} // namespace

TEST(OnboardingDemo, EdgeLessonSwellsItsPocket)
{
    EXPECT_DOUBLE_EQ(demo(0, 0.4).pocket()->amplitude, 6);
    EXPECT_DOUBLE_EQ(demo(0, 1.1).pocket()->amplitude, 10);
    EXPECT_DOUBLE_EQ(demo(0, 1.8).pocket()->amplitude, 14);
    EXPECT_DOUBLE_EQ(demo(0, 4).pocket()->center, height / 2);
    EXPECT_FALSE(demo(0, 1).openRows());
    EXPECT_FALSE(demo(0, 1).travellingItem());
}

TEST(OnboardingDemo, ThrownCardFliesIntoThePocketEveryCycle)
{
    const auto start = demo(1, 0).travellingItem();
    ASSERT_TRUE(start);
    EXPECT_DOUBLE_EQ(start->position.x, 0.62 * width);
    EXPECT_DOUBLE_EQ(start->position.y, height / 2);
    EXPECT_DOUBLE_EQ(start->scale, 0.85);
    EXPECT_DOUBLE_EQ(start->opacity, 0);

    const auto arrived = demo(1, 0.72 * 3.4).travellingItem();
    ASSERT_TRUE(arrived);
    EXPECT_NEAR(arrived->position.x, width - 34, 1e-9);
    EXPECT_NEAR(arrived->scale, 1, 1e-9);
    EXPECT_NEAR(arrived->opacity, 0.7407, 1e-4);

    EXPECT_FALSE(demo(1, 0.8 * 3.4).travellingItem());
    EXPECT_FALSE(demo(1, 0.99 * 3.4).travellingItem());
    EXPECT_EQ(demo(1, 3.4 + 0.5).travellingItem(), demo(1, 0.5).travellingItem());

    // The pocket reaches out, falls back as it swallows and ends ten points fuller.
    EXPECT_DOUBLE_EQ(demo(1, 0).pocket()->amplitude, 7);
    EXPECT_DOUBLE_EQ(demo(1, 0.5 * 3.4).pocket()->amplitude, 41);
    EXPECT_NEAR(demo(1, 0.9 * 3.4).pocket()->amplitude, 17, 1e-9);
}

TEST(OnboardingDemo, WeightLessonAddsAnItemEveryInterval)
{
    EXPECT_DOUBLE_EQ(demo(2, 0).pocket()->amplitude, 5.5);
    EXPECT_NEAR(demo(2, 0.9).pocket()->amplitude, 5.5 + 8.5 * (1 - std::exp(-1 / 3.2)), 1e-12);
    const BezelNode four = *demo(2, 2.6).pocket();
    EXPECT_NEAR(four.amplitude, 10.671, 1e-3);
    EXPECT_EQ(*demo(2, 4.6).pocket(), four);
    // Four items sag the bulge by half of its full sag.
    EXPECT_NEAR(four.falloffTop / four.falloffBottom, (1 - 0.07) / (1 + 0.21), 1e-12);
    EXPECT_EQ(demo(2, std::numeric_limits<double>::quiet_NaN()).pocket()->amplitude, 5.5);
}

TEST(OnboardingDemo, LookingInsideOpensTheDrawerAndShowsRowsPastAQuarter)
{
    EXPECT_FALSE(demo(3, 0.6).openRows());
    EXPECT_FALSE(demo(3, 1.0).openRows());
    const auto rows = demo(3, 1.5).openRows();
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->frame, (Rect { width - 214, height / 2 - 87, 214, 174 }));
    EXPECT_GT(rows->progress, 0.25);

    const BezelNode open = *demo(3, 2.5).pocket();
    EXPECT_DOUBLE_EQ(open.amplitude, 214);
    EXPECT_DOUBLE_EQ(open.core, 71);
    EXPECT_DOUBLE_EQ(open.falloffTop, 16);
    EXPECT_DOUBLE_EQ(open.falloffBottom, 16);
    EXPECT_DOUBLE_EQ(open.squircle, 1);
    EXPECT_DOUBLE_EQ(open.squircleExponent, 7.5);

    // Shut again after four seconds: the resting three-item pocket, no rows.
    const BezelNode shut = *demo(3, 4.2).pocket();
    EXPECT_EQ(shut, demo(3, 4.2).openNode(0, 3));
    EXPECT_NEAR(shut.amplitude, 9.4503, 1e-4);
    EXPECT_EQ(shut.squircle, 0);
    EXPECT_FALSE(demo(3, 4.2).openRows());
}

TEST(OnboardingDemo, NodesForTheSettingsLessonAndForEmptyPockets)
{
    const BezelNode settings = *demo(4, 1).pocket();
    EXPECT_NEAR(settings.amplitude, 9.4503, 1e-4);
    EXPECT_NEAR(settings.core, 8.6156, 1e-4);
    EXPECT_NEAR(settings.falloffTop, 41.5583, 1e-4);
    EXPECT_NEAR(settings.falloffBottom, 50.7691, 1e-4);
    EXPECT_EQ(settings.squircle, 0);
    EXPECT_EQ(settings.squircleExponent, 4.5);

    const OnboardingDemo any = demo(0, 0);
    EXPECT_EQ(any.node(0, 0), (BezelNode { height / 2, 0, 11 * 0.62, 56 * 0.62, 56 * 0.62, 0, 4.5 }));
    // The spread stops growing at 1.8 × 22 points of amplitude.
    EXPECT_DOUBLE_EQ(any.node(80, 0).core, 11 * (0.62 + 0.38 * 1.8));
    const BezelNode empty = any.openNode(0, 0);
    EXPECT_EQ(empty.amplitude, 0);
    EXPECT_DOUBLE_EQ(empty.core, 11 * 0.62);
    EXPECT_DOUBLE_EQ(any.openNode(1, 0).core, 40);

    for (int step : { -1, 5 }) {
        EXPECT_FALSE(demo(step, 1).pocket());
        EXPECT_FALSE(demo(step, 1).openRows());
        EXPECT_FALSE(demo(step, 1).travellingItem());
    }
}

TEST(OnboardingDemo, HeadlineIsTypedInWholeCharacters)
{
    const std::string headline = "Your screen has an edge.";
    EXPECT_EQ(typedHeadline(headline, 0.05), (TypedHeadline { "", true }));
    EXPECT_EQ(typedHeadline(headline, 0.72), (TypedHeadline { headline, false }));
    EXPECT_EQ(typedHeadline(headline, 1), (TypedHeadline { headline, false }));
    EXPECT_EQ(typedCharacterCount(24, 0.385), 12u);
    EXPECT_EQ(typedCharacterCount(24, std::numeric_limits<double>::quiet_NaN()), 0u);
    EXPECT_EQ(typedCharacterCount(0, 0.5), 0u);

    // An accent written as a combining mark is typed together with its letter.
    const std::string cafe = "Cafe\u0301 ok";
    EXPECT_EQ(typedHeadline(cafe, 0.385).shown, "Cafe\u0301");
}
