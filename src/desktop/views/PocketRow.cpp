#include "views/PocketRow.h"

#include "geometry/Easing.h"
#include "views/styles/Glyphs.h"

#include <QPainter>

namespace kestrane {

namespace {
constexpr double badgeHeight = 19;
constexpr double hoveredScale = 1.12;
constexpr SpringMotion buttonScaleMotion { 0.26, 0.66 };

// The name's capsule unfolds from its middle as arranging begins.
void paintCapsule(QPainter& painter, const PocketRow& row)
{
    const double capsuleShown = smoothstep(row.arrange / 0.35);
    if (capsuleShown <= 0.001)
        return;
    painter.save();
    painter.translate(row.name.center());
    painter.scale(0.34 + 0.66 * row.arrange, 1);
    painter.setOpacity(row.nameOpacity * capsuleShown);
    const QRectF capsule(-row.name.width() / 2, -row.name.height() / 2, row.name.width(), row.name.height());
    painter.setBrush(white(0.1 * row.arrange));
    painter.setPen(QPen(white(0.12 * row.arrange), 1));
    painter.drawRoundedRect(capsule.adjusted(0.5, 0.5, -0.5, -0.5), PocketRow::height / 2, PocketRow::height / 2);
    painter.restore();
}

void paintBadge(QPainter& painter, const PocketRow& row)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.09));
    painter.drawRoundedRect(row.badge, badgeHeight / 2, badgeHeight / 2);
    const QFontMetricsF metrics = row.count.metrics();
    row.count.paint(
        painter, { row.badge.center().x() - row.count.width() / 2, row.badge.center().y() + (metrics.ascent() - metrics.descent()) / 2 });
}

void paintRoundButton(QPainter& painter, const QRectF& frame, const QPainterPath& symbol, bool hovered, double scale, double opacity)
{
    painter.save();
    painter.setOpacity(opacity);
    painter.translate(frame.center());
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(hovered ? 0.24 : 0.12));
    painter.drawEllipse(QPointF(0, 0), 12, 12);
    painter.setPen(QPen(white(hovered ? 1.0 : 0.8), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(symbol);
    painter.restore();
}
} // namespace

QRectF PocketRow::bounds() const
{
    return name.united(removed ? putBack : remove).adjusted(-legibleLabelReach, -legibleLabelReach, legibleLabelReach, legibleLabelReach);
}

NameField::Look PocketRow::fieldLook() const
{
    // The text stands where the shadows painted beneath it expect it.
    return { name, 13 * arrange + 2, white((0.92 + 0.08 * arrange) * nameOpacity), white(0.45 * opacity) };
}

bool PocketRow::step(double dt)
{
    removeScale.step(hoverRemove ? hoveredScale : 1, dt, buttonScaleMotion);
    putBackScale.step(hoverPutBack ? hoveredScale : 1, dt, buttonScaleMotion);
    return !removeScale.isSettled || !putBackScale.isSettled;
}

void PocketRow::paint(QPainter& painter) const
{
    painter.setOpacity(nameOpacity);
    plate.paint(painter, 1);
    painter.setOpacity(opacity);
    paintCapsule(painter, *this);
    const QFontMetricsF nameMetrics = nameShadow.metrics();
    const double nameRight = name.right() - 13 * arrange - 2;
    painter.setOpacity(nameOpacity);
    nameShadow.paintShadows(
        painter, { nameRight - nameShadow.width(), name.center().y() + (nameMetrics.ascent() - nameMetrics.descent()) / 2 });
    painter.setOpacity(1);
    if (shown)
        field.paint(painter, fieldLook());
    painter.setOpacity(opacity);
    if (items > 0)
        paintBadge(painter, *this);
    if (lifted)
        paintRoundButton(painter, putBack, glyphs::putBackArrow(), hoverPutBack, putBackScale.value, opacity);
    const double w = clamp01(2 * (arrange - 0.25));
    if (removable && w > 0.001)
        paintRoundButton(painter, remove, glyphs::minus(), hoverRemove, (arrange * 0.7 + 0.3) * removeScale.value, opacity * smoothstep(w));
}

} // namespace kestrane
