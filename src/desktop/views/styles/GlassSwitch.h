#pragma once

#include <QRectF>

class QPainter;

namespace kestrane {

// An on/off switch of dark glass, 48 × 28, whose knob travels with `value` (0 off, 1 on)
// and which brightens and grows a little with `hover` (0 … 1).
struct GlassSwitch {
    static constexpr double width = 48;
    static constexpr double height = 28;

    static void paint(QPainter& painter, const QRectF& frame, double value, double hover);
};

} // namespace kestrane
