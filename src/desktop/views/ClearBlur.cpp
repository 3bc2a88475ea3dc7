#include "views/ClearBlur.h"

#include "views/GaussianBlur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrane {

bool ClearBlur::setBackdrop(const QImage& picture, const QRectF& area)
{
    area_ = area;
    if (picture.cacheKey() == backdrop_.cacheKey() || (picture.isNull() && backdrop_.isNull()))
        return false;
    backdrop_ = picture;
    blurred_ = QImage();
    return true;
}

bool ClearBlur::setRadius(double radius)
{
    const double quantised = std::round(std::max(radius, 0.0) / radiusStep) * radiusStep;
    if (quantised == radius_)
        return false;
    radius_ = quantised;
    return true;
}

const QImage& ClearBlur::blurred()
{
    if (blurred_.isNull() || blurredKey_ != backdrop_.cacheKey() || blurredRadius_ != radius_) {
        const double pixelsPerPoint = area_.width() > 0 ? backdrop_.width() / area_.width() : 1;
        blurred_ = gaussianBlurred(backdrop_, radius_ * pixelsPerPoint);
        // A blurred screen is as opaque as the screen was; told so, the painter copies it.
        if (!backdrop_.hasAlphaChannel())
            blurred_.convertTo(QImage::Format_RGB32);
        blurredKey_ = backdrop_.cacheKey();
        blurredRadius_ = radius_;
    }
    return blurred_;
}

void ClearBlur::paint(QPainter& painter, const QPainterPath& mask, double opacity)
{
    painter.save();
    painter.setClipPath(mask, Qt::IntersectClip);
    paintClipped(painter, opacity);
    painter.restore();
}

void ClearBlur::paint(QPainter& painter, const QRegion& mask, double opacity)
{
    painter.save();
    painter.setClipRegion(mask, Qt::IntersectClip);
    paintClipped(painter, opacity);
    painter.restore();
}

void ClearBlur::paintClipped(QPainter& painter, double opacity)
{
    if (backdrop_.isNull() || opacity <= 0)
        return;
    painter.setOpacity(painter.opacity() * std::min(opacity, 1.0));
    painter.drawImage(area_, blurred());
}

} // namespace kestrane
