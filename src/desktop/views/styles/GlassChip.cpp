#include "views/styles/GlassChip.h"

#include "views/styles/LegibleLabel.h"

#include <QPainter>

#include <algorithm>

namespace kestrane {

void paintGlassCapsule(QPainter& painter, const QRectF& frame, double scale, double fill, double tint, double border)
{
    painter.translate(frame.center());
    painter.scale(scale, scale);
    const QRectF capsule(-frame.width() / 2, -frame.height() / 2, frame.width(), frame.height());
    const double round = capsule.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(fill)));
    painter.drawRoundedRect(capsule, round, round);
    painter.setBrush(white(tint));
    painter.drawRoundedRect(capsule, round, round);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(border), 1));
    painter.drawRoundedRect(capsule.adjusted(0.5, 0.5, -0.5, -0.5), round - 0.5, round - 0.5);
}

void GlassChip::paint(QPainter& painter, const QRectF& frame, double hover, double lit, bool interactive)
{
    const double l = std::clamp(lit, 0.0, 1.0);
    const double h = std::clamp(hover, 0.0, 1.0);
    painter.save();
    paintGlassCapsule(painter, frame, 1 + 0.05 * h, 0.32 + 0.1 * l + 0.07 * h, interactive ? 0.14 * l : 0, 0.13 + 0.11 * l + 0.17 * h);
    painter.restore();
}

} // namespace kestrane
