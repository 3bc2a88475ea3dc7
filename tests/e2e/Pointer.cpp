#include "Pointer.h"

namespace kestrane::e2e {

namespace {
constexpr const char* stepPause = "0.03";
constexpr const char* leftButton = "1";
} // namespace

Pointer::Pointer(const XvfbDisplay& display)
    : display_(display)
    , x_(XvfbDisplay::width / 2)
    , y_(XvfbDisplay::height / 2)
{
}

void Pointer::moveTo(int x, int y)
{
    display_.xdotool({ "mousemove", QString::number(x), QString::number(y) });
    x_ = x;
    y_ = y;
}

void Pointer::glideTo(int x, int y, int steps)
{
    QStringList arguments;
    for (int i = 1; i <= steps; ++i) {
        const int stepX = x_ + (x - x_) * i / steps;
        const int stepY = y_ + (y - y_) * i / steps;
        arguments << "mousemove" << QString::number(stepX) << QString::number(stepY) << "sleep" << stepPause;
    }
    display_.xdotool(arguments);
    x_ = x;
    y_ = y;
}

void Pointer::nudge()
{
    nudged_ = !nudged_;
    display_.xdotool({ "mousemove", QString::number(nudged_ ? x_ - 1 : x_), QString::number(y_) });
}

void Pointer::press()
{
    display_.xdotool({ "mousedown", leftButton });
}

void Pointer::release()
{
    display_.xdotool({ "mouseup", leftButton });
}

void Pointer::click(int x, int y)
{
    moveTo(x, y);
    display_.xdotool({ "click", leftButton });
}

} // namespace kestrane::e2e
