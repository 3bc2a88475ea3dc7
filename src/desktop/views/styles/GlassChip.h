#pragma once

#include <QRectF>

class QPainter;

namespace kestrane {

// The capsule of dark glass behind a chip's label: brighter when lit (a mode it starts is
// on) and, for a chip that can be clicked, under the pointer.
struct GlassChip {
    static constexpr double height = 28;
    static constexpr double padding = 12;

    static void paint(QPainter& painter, const QRectF& frame, double hover, double lit, bool interactive);
};

// The capsule both chips and switches are made of: a black fill, a white glass tint and a
// thin white border, at these opacities, scaled about its centre; the painter is left
// translated to the centre and scaled, for what is drawn on it.
void paintGlassCapsule(QPainter& painter, const QRectF& frame, double scale, double fill, double tint, double border);

} // namespace kestrane
