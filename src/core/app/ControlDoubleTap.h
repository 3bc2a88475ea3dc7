#pragma once

#include <cstdint>
#include <optional>

namespace kestrane {

// Two lone presses of Control in quick succession. A press is lone when Control went down
// with no other modifier held or locked and nothing else went down before it came up: so
// Control used in a combination (copy, paste, a shortcut) never counts.
class ControlDoubleTap {
public:
    // Between the downs of the two presses (strictly less).
    static constexpr double window = 0.35;

    // The modifier flags are now these (stored flag bits), at this many seconds of
    // uptime. True when this release completes a double tap.
    bool modifiersChanged(std::uint64_t flags, double now);
    // A key that is not Control, or a mouse button, went down.
    void otherInputPressed();

private:
    void forget();

    std::uint64_t flags_ = 0;
    // When Control went down, while the press is still lone.
    std::optional<double> pressDown_;
    // When the last lone press went down, while it may still open a pair.
    std::optional<double> lastTap_;
};

} // namespace kestrane
