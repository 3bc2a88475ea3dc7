#pragma once

namespace kestrane {

// Haptic feedback patterns, by their platform values.
enum class HapticPattern { generic = 0, alignment = 1, levelChange = 2 };

// Where the engine sends haptic taps; the haptics service decides whether one plays.
class HapticsPerformer {
public:
    virtual ~HapticsPerformer() = default;
    virtual void perform(HapticPattern pattern) = 0;
};

} // namespace kestrane
