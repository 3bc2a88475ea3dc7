#pragma once

#include "engine/SpringValue.h"

#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace kestrane {

// A round button of dark glass with a white symbol: it brightens and grows a little under
// the pointer, shrinks while pressed, and lights while its mode is on. Its hover, press and
// lit states follow springs stepped from the frame loop.
class GlassCircleButton {
public:
    explicit GlassCircleButton(double diameter) : diameter_(diameter) { }

    void setCentre(QPointF centre) { centre_ = centre; }
    void setState(bool hovering, bool pressed, bool active);
    // True while any spring moves.
    bool step(double dt);
    bool contains(QPointF point) const;
    // What the button covers with its shadow and scale, for repainting.
    QRectF bounds() const;
    // The symbol, a path of lines about the button's centre, is stroked in white.
    void paint(QPainter& painter, const QPainterPath& symbol, double opacity) const;

private:
    double diameter_;
    QPointF centre_;
    bool hovering_ = false;
    bool pressed_ = false;
    bool active_ = false;
    SpringValue hover_;
    SpringValue press_;
    SpringValue lit_;
};

} // namespace kestrane
