#include "views/EditBackdrop.h"

#include "geometry/Easing.h"
#include "views/RepaintTracker.h"
#include "views/styles/LegibleLabel.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace kestrane {

namespace {
constexpr double blurRadius = 8;
constexpr double bandWidth = 600;
constexpr double haloCorner = 40;
constexpr double haloGrowth = 44;
constexpr double haloBlur = 48;
// The mask and the dimmed picture are worked out at half the screen's resolution: both are
// soft, and scaled up they show no difference.
constexpr double maskScale = 0.5;
// The halos are blurred far more than the mask is detailed: they are drawn smaller still.
constexpr double haloScale = 0.125;

QRectF grownHalo(const BlurHalo& halo)
{
    const QRectF rect(halo.rect.x, halo.rect.y, halo.rect.width, halo.rect.height);
    return rect.adjusted(-haloGrowth / 2, -haloGrowth / 2, haloGrowth / 2, haloGrowth / 2);
}

// Where the mask differs between two sets of halos: the places of those that changed.
QRegion haloChanges(const std::vector<BlurHalo>& before, const std::vector<BlurHalo>& after)
{
    // A halo's blur reaches three of its deviations beyond the grown rect.
    const double reach = 1.5 * haloBlur + 1;
    QRegion changed;
    const auto addUnmatched = [&](const std::vector<BlurHalo>& list, const std::vector<BlurHalo>& other) {
        for (const BlurHalo& halo : list) {
            if (std::find(other.begin(), other.end(), halo) == other.end())
                changed += grownHalo(halo).adjusted(-reach, -reach, reach, reach).toAlignedRect();
        }
    };
    addUnmatched(before, after);
    addUnmatched(after, before);
    return changed;
}

// The mask is drawn at half resolution: an area to redraw is widened to even coordinates,
// so that it covers whole pixels of the mask.
QRegion evenAligned(const QRegion& region)
{
    QRegion aligned;
    for (const QRect& rect : region) {
        const int left = rect.left() & ~1;
        const int top = rect.top() & ~1;
        aligned += QRect(QPoint(left, top), QPoint((rect.right() | 1), (rect.bottom() | 1)));
    }
    return aligned;
}
} // namespace

EditBackdrop::Change EditBackdrop::update(QSizeF screen, const QImage& picture, double scope, std::vector<BlurHalo> halos)
{
    screen_ = screen;
    const Change change { setPicture(picture), updateMask(scope, std::move(halos)) };
    dimmedStale_ += change.picture ? QRegion(QRectF(QPointF(), screen_).toAlignedRect()) : change.mask;
    return change;
}

void EditBackdrop::clear()
{
    setPicture(QImage());
    dimmedSmall_ = QImage();
    dimmed_ = QImage();
    dimmedStale_ = QRegion();
}

QRegion EditBackdrop::updateMask(double scope, std::vector<BlurHalo> halos)
{
    scope = RepaintTracker::quantised(clamp01(scope));
    for (BlurHalo& halo : halos)
        halo.presence = RepaintTracker::quantised(clamp01(halo.presence));
    const QRect whole = QRectF(QPointF(), screen_).toAlignedRect();
    const QSize size = (screen_ * maskScale).toSize();
    const bool fresh = blurMask_.size() != size || scope != maskScope_;
    if (!fresh && halos == maskHalos_)
        return {};
    const QRegion changed = fresh ? QRegion(whole) : evenAligned(haloChanges(maskHalos_, halos));
    maskScope_ = scope;
    maskHalos_ = halos;
    if (fresh)
        blurMask_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    QPainter mask(&blurMask_);
    mask.scale(maskScale, maskScale);
    mask.setClipRegion(changed);
    mask.setCompositionMode(QPainter::CompositionMode_Source);
    mask.fillRect(whole, white(scope));
    mask.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QLinearGradient band(screen_.width() - bandWidth, 0, screen_.width(), 0);
    band.setColorAt(0, white(0));
    band.setColorAt(0.5, white(1));
    band.setColorAt(1, white(1));
    mask.fillRect(QRectF(screen_.width() - bandWidth, 0, bandWidth, screen_.height()), band);
    mask.setRenderHint(QPainter::SmoothPixmapTransform);
    mask.drawImage(QRectF(whole), haloPicture(halos));
    return changed;
}

QImage EditBackdrop::haloPicture(const std::vector<BlurHalo>& halos) const
{
    QImage picture((screen_ * haloScale).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(haloScale, haloScale);
    painter.setPen(Qt::NoPen);
    for (const BlurHalo& halo : halos) {
        painter.setBrush(white(halo.presence));
        painter.drawRoundedRect(grownHalo(halo), haloCorner, haloCorner);
    }
    painter.end();
    return gaussianBlurred(picture, haloBlur / 2 * haloScale);
}

bool EditBackdrop::setPicture(const QImage& picture)
{
    if (picture.cacheKey() == backdrop_.cacheKey() || (picture.isNull() && backdrop_.isNull()))
        return false;
    backdrop_ = picture;
    const double pixelsPerPoint = screen_.width() > 0 ? picture.width() / screen_.width() : 1;
    blurred_ = picture.isNull() ? ReducedBlur {} : gaussianBlurredReduced(picture, blurRadius * pixelsPerPoint);
    return true;
}

void EditBackdrop::composeDimmed(const QRegion& area)
{
    const QRect small = dimmedSmall_.rect();
    QRegion smallArea;
    for (const QRect& rect : area)
        smallArea += QRect(rect.x() / 2, rect.y() / 2, rect.width() / 2, rect.height() / 2);
    QPainter compose(&dimmedSmall_);
    compose.setClipRegion(smallArea);
    compose.setRenderHint(QPainter::SmoothPixmapTransform);
    compose.setCompositionMode(QPainter::CompositionMode_Source);
    const bool blurred = !blurred_.picture.isNull();
    if (blurred)
        compose.drawImage(QRectF(small), blurred_.picture, QRectF(QPointF(), QSizeF(backdrop_.size()) / blurred_.factor));
    else
        compose.fillRect(small, Qt::black);
    compose.setCompositionMode(QPainter::CompositionMode_SourceOver);
    compose.fillRect(small, QColor::fromRgbF(0, 0, 0, static_cast<float>(blurred ? dimOpacity : 1)));
    compose.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    compose.drawImage(small, blurMask_);
    compose.end();

    QPainter enlarge(&dimmed_);
    enlarge.setClipRegion(area);
    enlarge.setRenderHint(QPainter::SmoothPixmapTransform);
    enlarge.setCompositionMode(QPainter::CompositionMode_Source);
    enlarge.drawImage(QRectF(dimmed_.rect()), dimmedSmall_);
}

// Without a picture of the screen behind, the backdrop is a plain black veil, painted as
// faint as the dimming over a picture would be.
void EditBackdrop::paint(QPainter& painter, double opacity)
{
    if (dimmed_.size() != screen_.toSize() || dimmedSmall_.size() != blurMask_.size()) {
        dimmed_ = QImage(screen_.toSize(), QImage::Format_ARGB32_Premultiplied);
        dimmedSmall_ = QImage(blurMask_.size(), QImage::Format_ARGB32_Premultiplied);
        dimmedStale_ = QRegion(dimmed_.rect());
    }
    if (!dimmedStale_.isEmpty())
        composeDimmed(std::exchange(dimmedStale_, QRegion()));
    painter.save();
    painter.setOpacity(opacity * (backdrop_.isNull() ? dimOpacity : 1));
    painter.drawImage(QPointF(), dimmed_);
    painter.restore();
}

} // namespace kestrane
