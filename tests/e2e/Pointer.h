#pragma once

#include "XvfbDisplay.h"

#include <QPoint>

#include <thread>

namespace kestrane::e2e {

// The mouse of the test display, moved and pressed through XTest, so that every program
// sees the events a real mouse would make.
class Pointer {
public:
    explicit Pointer(const XvfbDisplay& display)
        : display_(display)
    {
    }

    void moveTo(int x, int y)
    {
        display_.movePointer(x, y);
        at_ = { x, y };
    }

    // Moves in even steps with a short pause after each, as a hand does, so that drag
    // sources and targets see the motion on the way.
    void glideTo(int x, int y, int steps = 8)
    {
        const QPoint from = at_;
        for (int i = 1; i <= steps; ++i) {
            moveTo(from.x() + (x - from.x()) * i / steps, from.y() + (y - from.y()) * i / steps);
            std::this_thread::sleep_for(milliseconds(30));
        }
    }

    // A hand holds still after pressing and before clicking: a few of the overlay's idle
    // frames, so that it has seen where the pointer is and which buttons are down.
    void press()
    {
        display_.pressButton(true);
        std::this_thread::sleep_for(stillness);
    }
    void release() { display_.pressButton(false); }
    void click(int x, int y)
    {
        moveTo(x, y);
        std::this_thread::sleep_for(stillness);
        display_.pressButton(true);
        display_.pressButton(false);
    }

private:
    static constexpr milliseconds stillness { 150 };
    const XvfbDisplay& display_;
    QPoint at_ { XvfbDisplay::width / 2, XvfbDisplay::height / 2 };
};

} // namespace kestrane::e2e
