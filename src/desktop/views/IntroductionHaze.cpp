#include "views/IntroductionHaze.h"

#include "graphics/GaussianBlur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrane {

bool IntroductionHaze::setBackdrop(const QImage& picture, const QRectF& area)
{
    area_ = area;
    if (picture.cacheKey() == backdrop_.cacheKey() || (picture.isNull() && backdrop_.isNull()))
        return false;
    backdrop_ = picture;
    blurred_ = QImage();
    return true;
}

bool IntroductionHaze::setRadius(double radius)
{
    const double quantised = std::round(std::max(radius, 0.0) / radiusStep) * radiusStep;
    const bool changed = quantised != radius_;
    // A change soon after the last one is a step of an animation.
    if (changed)
        moving_ = framesStill_ < stillFrames;
    framesStill_ = changed ? 0 : std::min(framesStill_ + 1, stillFrames);
    moving_ = moving_ && framesStill_ < stillFrames;
    radius_ = quantised;
    return changed;
}

const QImage& IntroductionHaze::blurred()
{
    const bool stale = blurred_.isNull() || blurredKey_ != backdrop_.cacheKey() || blurredRadius_ != radius_;
    // A radius that moves gets drafts; the exact blur once it holds still.
    if (stale || (isDraft_ && !moving_)) {
        const double pixelsPerPoint = area_.width() > 0 ? backdrop_.width() / area_.width() : 1;
        isDraft_ = moving_;
        blurred_ = gaussianBlurred(backdrop_, radius_ * pixelsPerPoint, isDraft_ ? BlurQuality::draft : BlurQuality::exact);
        blurredKey_ = backdrop_.cacheKey();
        blurredRadius_ = radius_;
    }
    return blurred_;
}

void IntroductionHaze::paint(QPainter& painter, const QPainterPath& mask, double opacity)
{
    painter.save();
    painter.setClipPath(mask, Qt::IntersectClip);
    paintClipped(painter, opacity);
    painter.restore();
}

void IntroductionHaze::paint(QPainter& painter, const QRegion& mask, double opacity)
{
    painter.save();
    painter.setClipRegion(mask, Qt::IntersectClip);
    paintClipped(painter, opacity);
    painter.restore();
}

void IntroductionHaze::paintClipped(QPainter& painter, double opacity)
{
    if (backdrop_.isNull() || opacity <= 0)
        return;
    painter.setOpacity(painter.opacity() * std::min(opacity, 1.0));
    painter.drawImage(area_, blurred());
}

} // namespace kestrane
