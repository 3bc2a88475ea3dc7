#include "PreferencesFixture.h"

#include "platform/Clock.h"
#include "preferences/Haptics.h"

#include <vector>

using namespace kestrane;

namespace {
struct RecordingSink final : HapticSink {
    void play(HapticPattern pattern) override { played.push_back(pattern); }
    std::vector<HapticPattern> played;
};

class HapticsTest : public kestrane::testing::PreferencesTest {
protected:
    Preferences& settings { open() };
    ManualClock clock;
    RecordingSink sink;
    Haptics haptics { settings, clock, sink };
};
} // namespace

TEST_F(HapticsTest, TapsCloserThanTheMinimumIntervalToTheLastOnePlayedAreDropped)
{
    haptics.perform(HapticPattern::alignment);
    clock.advance(0.03);
    haptics.perform(HapticPattern::levelChange);
    clock.advance(0.04);
    haptics.perform(HapticPattern::levelChange);
    EXPECT_EQ(sink.played, (std::vector { HapticPattern::alignment, HapticPattern::levelChange }));
    EXPECT_EQ(haptics.lastFire(), clock.now());
}

TEST_F(HapticsTest, WithHapticsOffNothingPlaysAndTheLastTapIsNotMoved)
{
    haptics.perform(HapticPattern::alignment);
    const auto played = haptics.lastFire();
    settings.setHapticsEnabled(false);
    clock.advance(0.07);
    haptics.perform(HapticPattern::alignment);
    EXPECT_EQ(sink.played.size(), 1u);
    EXPECT_EQ(haptics.lastFire(), played);

    settings.setHapticsEnabled(true);
    clock.advance(0.03);
    haptics.perform(HapticPattern::levelChange);
    EXPECT_EQ(sink.played.size(), 2u);
}
