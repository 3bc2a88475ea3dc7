#pragma once

#include "engine/SpringValue.h"

#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include <vector>

class QPainter;

namespace kestrane {

// A round button of dark glass with a white symbol: it brightens and grows a little under
// the pointer, shrinks while pressed, and lights while its mode is on. Its hover, press and
// lit states follow springs stepped from the frame loop.
class GlassCircleButton {
public:
    explicit GlassCircleButton(double diameter)
        : diameter_(diameter)
    {
    }

    void setCentre(QPointF centre) { centre_ = centre; }
    void setState(bool hovering, bool pressed, bool active);
    // True while any spring moves.
    bool step(double dt);
    bool contains(QPointF point) const;
    // What the button covers with its shadow and scale, for repainting.
    QRectF bounds() const;
    // The numbers its drawing depends on besides its place: a change means a repaint.
    std::vector<double> look() const { return { hover_.value, press_.value, lit_.value }; }
    // How the symbol, a path about the button's centre, is drawn in white: its lines
    // stroked, or its closed outlines filled (by the path's own fill rule).
    enum class SymbolStyle { stroked, filled };
    void paint(QPainter& painter, const QPainterPath& symbol, double opacity, SymbolStyle style = SymbolStyle::stroked) const;

private:
    void drawPicture(const QPainterPath& symbol, SymbolStyle style, double ratio) const;

    double diameter_;
    QPointF centre_;
    bool hovering_ = false;
    bool pressed_ = false;
    bool active_ = false;
    SpringValue hover_;
    SpringValue press_;
    SpringValue lit_;
    // The button as last drawn, kept while its look and symbol stay the same: painting is
    // const, the picture only a cache of it.
    mutable QImage picture_;
    mutable std::vector<double> pictureLook_;
    mutable QPainterPath pictureSymbol_;
    mutable SymbolStyle pictureStyle_ = SymbolStyle::stroked;
};

} // namespace kestrane
