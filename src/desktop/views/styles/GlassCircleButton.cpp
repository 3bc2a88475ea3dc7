#include "views/styles/GlassCircleButton.h"

#include "views/styles/LegibleLabel.h"

#include <QPainter>

#include <cmath>

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

void GlassCircleButton::paint(QPainter& painter, const QPainterPath& symbol, double opacity) const
{
    const double ratio = painter.device()->devicePixelRatioF();
    const std::vector<double> shown = look();
    if (picture_.isNull() || shown != pictureLook_ || symbol != pictureSymbol_ || ratio != picture_.devicePixelRatioF()) {
        pictureLook_ = shown;
        pictureSymbol_ = symbol;
        drawPicture(symbol, ratio);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(bounds().topLeft(), picture_);
    painter.restore();
}

void GlassCircleButton::drawPicture(const QPainterPath& symbol, double ratio) const
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
    // The drop shadow: a few widening rings of faint black stand in for a blur.
    const double shadowOpacity = mix(0.28, 0.16, press);
    const double shadowRadius = mix(14, 7, press);
    const QPointF shadowOffset(0, mix(5, 2, press));
    painter.setPen(Qt::NoPen);
    for (int ring = 4; ring >= 1; --ring) {
        const double grow = shadowRadius * ring / 4;
        painter.setBrush(black(shadowOpacity / 4));
        painter.drawEllipse(disc.translated(shadowOffset).adjusted(-grow / 2, -grow / 2, grow / 2, grow / 2));
    }
    const double fill = lit > 0 ? mix(mix(0.34, 0.42, hover), 0.46, lit) : mix(0.34, 0.42, hover);
    painter.setBrush(black(fill));
    painter.drawEllipse(disc);
    painter.setBrush(white(mix(0.1 * hover, 0.2, lit)));
    painter.drawEllipse(disc);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(mix(0.12, 0.26, std::min(hover, 1.0))), 1));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.5F), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(symbol);
    painter.setPen(QPen(white(0.96), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(symbol);
}

} // namespace kestrane
