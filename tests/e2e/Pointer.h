#pragma once

#include "XvfbDisplay.h"

#include <QPoint>

#include <thread>

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
        at_ = { x, y };
    }

    // Moves in even steps with a short pause after each, as a hand does, so that drag
    // sources and targets see the motion on the way.
    void glideTo(int x, int y, int steps = 8)
    {
        QStringList arguments;
        for (int i = 1; i <= steps; ++i)
            arguments << "mousemove" << QString::number(at_.x() + (x - at_.x()) * i / steps) << QString::number(at_.y() + (y - at_.y()) * i / steps) << "sleep" << "0.03";
        display_.xdotool(arguments);
        at_ = { x, y };
    }

    // A hand holds still after pressing and before clicking: a few of the overlay's idle
    // frames, so that it has seen where the pointer is and which buttons are down.
    void press()
    {
        display_.xdotool({ "mousedown", "1" });
        std::this_thread::sleep_for(stillness);
    }
    void release() { display_.xdotool({ "mouseup", "1" }); }
    void click(int x, int y)
    {
        moveTo(x, y);
        std::this_thread::sleep_for(stillness);
        display_.xdotool({ "click", "1" });
    }

private:
    static constexpr milliseconds stillness { 150 };
    const XvfbDisplay& display_;
    QPoint at_ { XvfbDisplay::width / 2, XvfbDisplay::height / 2 };
};

} // namespace kestrane::e2e
