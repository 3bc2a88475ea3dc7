#pragma once

#include "engine/SpringValue.h"

namespace kestrane {

enum class IntroductionPhase { idle = 0, settle = 1, wake = 2, teaching = 3, leaving = 4 };

// Everything the introduction's view reads. Every spring starts at rest.
struct IntroductionState {
    IntroductionPhase phase = IntroductionPhase::idle;
    // Time in the current phase; while teaching, time since teaching began or since the
    // last lesson that ended by itself (a click does not restart it).
    double elapsed = 0;
    // Time since the sequence started; moves the ink's lumps and ripple.
    double clock = 0;
    // How far the lesson text is shown (0 hidden, 1 shown).
    SpringValue reading;
    // How far the screen behind is dimmed (0 clear, 1 full).
    SpringValue haze;
    // How far the ink has spread along the border, both ways from the middle of the right edge.
    double inkFrontValue = 0;
    // Thickness scale of the ink band.
    SpringValue inkBody;
    // Overall strength of the ink (0 gone, 1 full).
    SpringValue inkPresence;
    // The lesson being taught.
    int step = 0;
    // How far the current lesson is revealed (0 just started, 1 fully revealed).
    SpringValue stepProgress;

    bool operator==(const IntroductionState&) const = default;
};

} // namespace kestrane
