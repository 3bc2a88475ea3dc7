#pragma once

#include "XvfbDisplay.h"

namespace kestrane::e2e {

// The mouse of the test display, moved and pressed through xdotool (XTest), so that
// every program sees the events a real mouse would make.
class Pointer {
public:
    explicit Pointer(const XvfbDisplay& display)
        : display_(display)
    {
    }

    void moveTo(int x, int y)
    {
        display_.xdotool({ "mousemove", QString::number(x), QString::number(y) });
        x_ = x;
        y_ = y;
    }

    // Moves in even steps with a short pause after each, as a hand does, so that drag
    // sources and targets see the motion on the way.
    void glideTo(int x, int y, int steps = 8)
    {
        QStringList arguments;
        for (int i = 1; i <= steps; ++i)
            arguments << "mousemove" << QString::number(x_ + (x - x_) * i / steps) << QString::number(y_ + (y - y_) * i / steps) << "sleep" << "0.03";
        display_.xdotool(arguments);
        x_ = x;
        y_ = y;
    }

    // A one-point wiggle, for programs that look at the pointer only when it moves.
    void nudge()
    {
        nudged_ = !nudged_;
        display_.xdotool({ "mousemove", QString::number(nudged_ ? x_ - 1 : x_), QString::number(y_) });
    }

    void press() { display_.xdotool({ "mousedown", "1" }); }
    void release() { display_.xdotool({ "mouseup", "1" }); }
    void click(int x, int y)
    {
        moveTo(x, y);
        display_.xdotool({ "click", "1" });
    }

private:
    const XvfbDisplay& display_;
    int x_ = XvfbDisplay::width / 2;
    int y_ = XvfbDisplay::height / 2;
    bool nudged_ = false;
};

} // namespace kestrane::e2e
