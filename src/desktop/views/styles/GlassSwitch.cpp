#include "views/styles/GlassSwitch.h"

#include "views/styles/GlassChip.h"
#include "views/styles/LegibleLabel.h"

#include <QPainter>

#include <algorithm>

namespace kestrane {

namespace {
constexpr double knobSide = 21;
constexpr double knobRest = 3.5;
constexpr double knobTravel = 20;
} // namespace

void GlassSwitch::paint(QPainter& painter, const QRectF& frame, double value, double hover)
{
    const double v = std::clamp(value, 0.0, 1.0);
    const double h = std::clamp(hover, 0.0, 1.0);
    painter.save();
    paintGlassCapsule(painter, frame, 1 + 0.05 * h, 0.32 + 0.1 * v + 0.07 * h, 0.05 + 0.14 * v, 0.13 + 0.11 * v + 0.17 * h);
    const QRectF knob(-frame.width() / 2 + knobRest + knobTravel * v, -knobSide / 2, knobSide, knobSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.22F));
    painter.drawEllipse(knob.translated(0, 2).adjusted(-1.5, -1.5, 1.5, 1.5));
    painter.setBrush(white(0.66 + 0.28 * v));
    painter.drawEllipse(knob);
    painter.restore();
}

} // namespace kestrane
