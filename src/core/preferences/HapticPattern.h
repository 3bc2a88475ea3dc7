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

// The device that plays a tap at once.
class HapticSink {
public:
    virtual ~HapticSink() = default;
    virtual void play(HapticPattern pattern) = 0;
};

// For hardware without force feedback.
class SilentHapticSink final : public HapticSink {
public:
    void play(HapticPattern) override { }
};

} // namespace kestrane
