#include "views/styles/Glyphs.h"

#include <QPolygonF>

#include <cmath>

namespace kestrane::glyphs {

QPainterPath checkmark()
{
    QPainterPath path;
    path.moveTo(-6, 0.5);
    path.lineTo(-2, 4.5);
    path.lineTo(6.5, -4.5);
    return path;
}

QPainterPath pencil()
{
    QPainterPath path;
    path.moveTo(-5.5, 5.5);
    path.lineTo(-5, 2.5);
    path.lineTo(3, -5.5);
    path.lineTo(5.5, -3);
    path.lineTo(-2.5, 5);
    path.closeSubpath();
    return path;
}

// A filled wheel of eight flat-topped teeth round a hole: teeth that taper and gaps that
// widen outwards stay apart at 1x, where the whole gear is 15 pixels across.
QPainterPath gear()
{
    constexpr int teeth = 8;
    constexpr double tipRadius = 7.4;
    constexpr double rootRadius = 5.5;
    constexpr double holeRadius = 2.3;
    // Half the angle each tooth spans at its tip and at its root.
    constexpr double tipHalf = 0.17;
    constexpr double rootHalf = 0.28;
    const auto at = [](double radius, double angle) { return QPointF(radius * std::cos(angle), radius * std::sin(angle)); };
    QPolygonF wheel;
    for (int i = 0; i < teeth; ++i) {
        const double middle = 2 * M_PI * i / teeth;
        wheel << at(rootRadius, middle - rootHalf) << at(tipRadius, middle - tipHalf) << at(tipRadius, middle + tipHalf)
              << at(rootRadius, middle + rootHalf);
    }
    QPainterPath path;
    path.addPolygon(wheel);
    path.closeSubpath();
    path.addEllipse(QPointF(0, 0), holeRadius, holeRadius);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QPainterPath minus()
{
    QPainterPath path;
    path.moveTo(-3.5, 0);
    path.lineTo(3.5, 0);
    return path;
}

QPainterPath putBackArrow()
{
    QPainterPath path;
    path.moveTo(-1, -5);
    path.lineTo(-4, -2);
    path.lineTo(-1, 1);
    path.moveTo(-4, -2);
    path.lineTo(1.5, -2);
    path.cubicTo(5.5, -2, 5.5, 4.5, 1.5, 4.5);
    path.lineTo(-2, 4.5);
    return path;
}

} // namespace kestrane::glyphs
