#include "views/styles/GlassCircleButton.h"

#include "views/styles/LegibleLabel.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrane {

namespace {
constexpr SpringMotion pressMotion { 0.26, 0.48 };
constexpr SpringMotion hoverMotion { 0.34, 0.7 };
constexpr SpringMotion activeMotion { 0.4, 0.6 };
constexpr double shadowReach = 24;

double mix(double from, double to, double t)
{
    return from + (to - from) * t;
}

QColor black(double opacity)
{
    return QColor::fromRgbF(0, 0, 0, static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
}

// The shadow of a disc blurred by a Gaussian, as a radial gradient: across the rim the
// blur of a straight edge, half the strength at the rim itself, so that no rings show.
void paintShadow(QPainter& painter, QRectF disc, double press)
{
    const double opacity = mix(0.28, 0.16, press);
    const double sigma = mix(14, 7, press) / 2;
    const double radius = disc.width() / 2;
    const double reach = radius + 3 * sigma;
    const QPointF centre = disc.center() + QPointF(0, mix(5, 2, press));
    QRadialGradient gradient(centre, reach);
    constexpr int stops = 16;
    for (int i = 0; i <= stops; ++i) {
        const double r = reach * i / stops;
        const double covered = 0.5 * std::erfc((r - radius) / (sigma * std::numbers::sqrt2));
        gradient.setColorAt(static_cast<double>(i) / stops, black(opacity * covered));
    }
    painter.setBrush(gradient);
    painter.drawEllipse(centre, reach, reach);
}
} // namespace

void GlassCircleButton::setState(bool hovering, bool pressed, bool active)
{
    hovering_ = hovering;
    pressed_ = pressed;
    active_ = active;
}

bool GlassCircleButton::step(double dt)
{
    hover_.step(hovering_ ? 1 : 0, dt, hoverMotion);
    press_.step(pressed_ ? 1 : 0, dt, pressMotion);
    lit_.step(active_ ? 1 : 0, dt, activeMotion);
    return !(hover_.isSettled && press_.isSettled && lit_.isSettled);
}

bool GlassCircleButton::contains(QPointF point) const
{
    const QPointF d = point - centre_;
    return std::hypot(d.x(), d.y()) <= diameter_ / 2;
}

QRectF GlassCircleButton::bounds() const
{
    const double half = diameter_ / 2 + shadowReach;
    return { centre_.x() - half, centre_.y() - half, 2 * half, 2 * half };
}

void GlassCircleButton::paint(QPainter& painter, const QPainterPath& symbol, double opacity, SymbolStyle style) const
{
    const double ratio = painter.device()->devicePixelRatioF();
    const std::vector<double> shown = look();
    if (picture_.isNull() || shown != pictureLook_ || symbol != pictureSymbol_ || style != pictureStyle_
        || ratio != picture_.devicePixelRatioF()) {
        pictureLook_ = shown;
        pictureSymbol_ = symbol;
        pictureStyle_ = style;
        drawPicture(symbol, style, ratio);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(bounds().topLeft(), picture_);
    painter.restore();
}

void GlassCircleButton::drawPicture(const QPainterPath& symbol, SymbolStyle style, double ratio) const
{
    const double hover = std::clamp(hover_.value, 0.0, 1.2);
    const double press = std::clamp(press_.value, 0.0, 1.0);
    const double lit = std::clamp(lit_.value, 0.0, 1.0);
    const double scale = mix(1 + 0.07 * hover, 0.88, press);
    const QSizeF size = bounds().size();
    picture_ = QImage((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(Qt::transparent);
    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(size.width() / 2, size.height() / 2);
    painter.scale(scale, scale);
    const double r = diameter_ / 2;
    const QRectF disc(-r, -r, diameter_, diameter_);
    painter.setPen(Qt::NoPen);
    paintShadow(painter, disc, press);
    const double fill = lit > 0 ? mix(mix(0.34, 0.42, hover), 0.46, lit) : mix(0.34, 0.42, hover);
    painter.setBrush(black(fill));
    painter.drawEllipse(disc);
    painter.setBrush(white(mix(0.1 * hover, 0.2, lit)));
    painter.drawEllipse(disc);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(mix(0.12, 0.26, std::min(hover, 1.0))), 1));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    const bool filled = style == SymbolStyle::filled;
    painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.5F), filled ? 1.2 : 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(symbol);
    if (filled) {
        painter.setPen(Qt::NoPen);
        painter.fillPath(symbol, white(0.96));
        return;
    }
    painter.setPen(QPen(white(0.96), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(symbol);
}

} // namespace kestrane
