#include "EngineFixture.h"

#include <cmath>

using namespace kestrane;
using namespace kestrane::testing;

namespace {
class PullCounterTest : public EngineFixture {
protected:
    Dropzone pocket;

    void SetUp() override { pocket = startWithOnePocket(3); }

    // What the frame loop passes for a pointer dragged `down` points below the press.
    static std::int64_t depthFor(double down) { return static_cast<std::int64_t>(std::floor(std::max(0.0, down) / 26)) + 1; }
};
} // namespace

TEST_F(PullCounterTest, DepthIsClampedToThePocketWithAHapticOnEveryRise)
{
    engine->beginPullCount(pocket.id);
    EXPECT_EQ(engine->pullDepth, 1);
    EXPECT_EQ(engine->pullTotal, 3);
    engine->setPullDepth(depthFor(25));
    EXPECT_EQ(engine->pullDepth, 1);
    EXPECT_TRUE(haptics.played.empty());
    engine->setPullDepth(depthFor(26));
    EXPECT_EQ(engine->pullDepth, 2);
    engine->setPullDepth(depthFor(200));
    EXPECT_EQ(engine->pullDepth, 3);
    EXPECT_EQ(haptics.played, (std::vector<HapticPattern> { HapticPattern::alignment, HapticPattern::levelChange }));
    engine->setPullDepth(depthFor(30));
    engine->setPullDepth(depthFor(-80));
    EXPECT_EQ(engine->pullDepth, 1);
    EXPECT_EQ(haptics.played.size(), 2u) << "going down plays nothing";

    engine->endPullCount();
    EXPECT_FALSE(engine->pullCountZone);
    EXPECT_EQ(engine->pullDepth, 0);
    engine->needsStep = false;
    engine->endPullCount();
    engine->setPullDepth(2);
    EXPECT_FALSE(engine->needsStep);
    EXPECT_EQ(engine->pullDepth, 0);
}

TEST_F(PullCounterTest, AnEmptyPocketStartsNoCount)
{
    const Dropzone empty = zone("Empty", 0.2);
    storeZones({ pocket, empty });
    makeEngine();
    engine->beginPullCount(empty.id);
    EXPECT_FALSE(engine->pullCountZone);
    EXPECT_FALSE(engine->pullCounter());
}

TEST_F(PullCounterTest, TheCounterShowsOnlyOnABulgeBigEnoughToCarryIt)
{
    engine->beginPullCount(pocket.id);
    engine->blobs[0].amplitude = SpringValue::atRest(27);
    EXPECT_FALSE(engine->pullCounter());
    engine->blobs[0].amplitude = SpringValue::atRest(40.5);
    const auto counter = engine->pullCounter();
    ASSERT_TRUE(counter);
    EXPECT_EQ(*counter, (PullCounter { { 1440 - 20.25, 450 }, 1, 3, 0.75 }));
    engine->blobs[0].amplitude = SpringValue::atRest(80);
    EXPECT_EQ(engine->pullCounter()->presence, 1);

    // The presence spring comes up while counting and goes when it ends.
    run(1);
    EXPECT_NEAR(engine->pullCount.value, 1, 0.01);
    engine->endPullCount();
    run(1);
    EXPECT_NEAR(engine->pullCount.value, 0, 0.01);
}
