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
} // namespace

using HapticsTest = kestrane::testing::PreferencesTest;

TEST_F(HapticsTest, TapsTooSoonAfterTheLastOnePlayedOrWithHapticsOffAreDropped)
{
    ManualClock clock;
    RecordingSink sink;
    Haptics haptics { open(), clock, sink };
    haptics.perform(HapticPattern::alignment);
    clock.advance(0.03);
    haptics.perform(HapticPattern::levelChange);
    clock.advance(0.04);
    haptics.perform(HapticPattern::levelChange);
    EXPECT_EQ(sink.played, (std::vector { HapticPattern::alignment, HapticPattern::levelChange }));

    // A tap dropped while off does not count as the last one played.
    preferences->setHapticsEnabled(false);
    clock.advance(0.07);
    haptics.perform(HapticPattern::alignment);
    preferences->setHapticsEnabled(true);
    clock.advance(0.03);
    haptics.perform(HapticPattern::alignment);
    EXPECT_EQ(sink.played.size(), 3u);
}
