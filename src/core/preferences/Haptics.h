#pragma once

#include "preferences/HapticPattern.h"

#include <optional>

namespace kestrane {

class Clock;
class Preferences;

// The one way a haptic tap is played: nothing while the user has haptics off, and a tap
// closer than minimumInterval to the last one played is dropped, not delayed.
// Main thread only.
class Haptics final : public HapticsPerformer {
public:
    static constexpr double minimumInterval = 0.06;

    Haptics(const Preferences& preferences, const Clock& uptime, HapticSink& sink);

    void perform(HapticPattern pattern) override;

    // When the last tap was played, in seconds of uptime; none before the first.
    std::optional<double> lastFire() const { return lastFire_; }

private:
    const Preferences& preferences_;
    const Clock& uptime_;
    HapticSink& sink_;
    std::optional<double> lastFire_;
};

} // namespace kestrane
