#pragma once

#include "XvfbDisplay.h"

namespace kestrane::e2e {

// The mouse of the test display, moved and pressed through xdotool (XTest), so that
// every program sees the events a real mouse would make.
class Pointer {
public:
    explicit Pointer(const XvfbDisplay& display);

    void moveTo(int x, int y);
    // Moves in even steps with a short pause after each, as a hand does, so that drag
    // sources and targets see the motion on the way.
    void glideTo(int x, int y, int steps = 8);
    // A one-point wiggle, for programs that look at the pointer only when it moves.
    void nudge();
    void press();
    void release();
    void click(int x, int y);

private:
    const XvfbDisplay& display_;
    int x_ = 0;
    int y_ = 0;
    bool nudged_ = false;
};

} // namespace kestrane::e2e
