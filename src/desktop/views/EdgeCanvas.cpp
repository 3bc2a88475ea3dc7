#include "views/EdgeCanvas.h"

#include "engine/BezelEngine.h"
#include "geometry/BezelGeometry.h"
#include "geometry/Easing.h"
#include "views/FilledRegion.h"
#include "views/PathConversion.h"
#include "views/styles/LegibleLabel.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double rimThreshold = 0.001;
constexpr double rimPeakOpacity = 0.07;
// The rim fades in between these bulge amplitudes.
constexpr double rimStartAmplitude = 7;
constexpr double rimFadeAmplitude = 13;
constexpr double rimWidth = 0.75;

// The glyph shows once the plus bulge is big enough to carry it, fully at 6 + 11.
constexpr double plusShowAmplitude = 6;
constexpr double plusFadeAmplitude = 11;
constexpr double plusSide = 11;
constexpr double plusBar = 2;

constexpr double counterPixelSize = 12.5;
// The counter fades in as the bulge under it grows past 62 % of its full size.
constexpr double counterShowPresence = 0.62;
constexpr double counterFadePresence = 0.33;
constexpr double counterUnfinishedOpacity = 0.5;

// Antialiasing and the rim's half width reach a little beyond the outline's own bounds.
constexpr double repaintMargin = 2;

double rimOpacity(const std::vector<BezelNode>& nodes)
{
    double largest = 0;
    for (const BezelNode& node : nodes)
        largest = std::max(largest, node.amplitude);
    return smoothstep((largest - rimStartAmplitude) / rimFadeAmplitude) * rimPeakOpacity;
}

// Two crossed bars with round ends, centred on the origin. One path filled once, so the
// crossing is no more opaque than the arms.
const QPainterPath& plusShape()
{
    static const QPainterPath shape = [] {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        const double half = plusSide / 2;
        const double radius = plusBar / 2;
        path.addRoundedRect(QRectF(-half, -radius, plusSide, plusBar), radius, radius);
        path.addRoundedRect(QRectF(-radius, -half, plusBar, plusSide), radius, radius);
        return path;
    }();
    return shape;
}

QRectF plusBox(QPointF center)
{
    return { center.x() - plusSide / 2, center.y() - plusSide / 2, plusSide, plusSide };
}

QFont counterFontFor(double dpi)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::DemiBold);
    // Point sizes are the only fractional size a QFont takes.
    font.setPointSizeF(counterPixelSize * 72 / dpi);
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    font.setFeature(QFont::Tag("tnum"), 1);
#endif
    return font;
}
} // namespace

EdgeCanvas::EdgeCanvas()
    : counterFont_(counterFontFor(96))
{
}

void EdgeCanvas::setLogicalDpi(double dpi)
{
    counterFont_ = counterFontFor(dpi);
    label_ = {};
}

EdgeScene EdgeScene::of(const BezelEngine& engine)
{
    return { engine.state().size, engine.nodes(), engine.state().plusAmplitude.value, engine.pullCounter() };
}

void EdgeCanvas::update(const EdgeScene& scene)
{
    const Size size = scene.size;
    std::swap(previousPath_, path_);
    BezelGeometry::path(scene.nodes, size.width, size.height, path_);
    const QRect canvasBefore = canvas_;
    const double rimBefore = rimOpacity_;
    const auto plusBefore = plus_;
    const auto counterBefore = counter_;
    canvas_ = QRectF(0, 0, size.width, size.height).toAlignedRect();
    rimOpacity_ = rimOpacity(scene.nodes);

    const double p = scene.plusAmplitude;
    plus_.reset();
    if (p > plusShowAmplitude)
        plus_ = PlusGlyph { { size.width - p * 0.5, BezelEngine::plusCenter }, smoothstep((p - plusShowAmplitude) / plusFadeAmplitude) };

    updateCounter(scene.counter);
    unchanged_ =
        path_ == previousPath_ && canvas_ == canvasBefore && rimOpacity_ == rimBefore && plus_ == plusBefore && counter_ == counterBefore;
    if (!unchanged_)
        toPainterPath(path_, outline_);
    previousBounds_ = currentBounds_;
    currentBounds_ = frameBounds();
}

void EdgeCanvas::updateCounter(const std::optional<PullCounter>& counter)
{
    counter_.reset();
    if (!counter)
        return;
    relabel(counter->depth, counter->total);
    const double base = counter->total <= counter->depth ? 1.0 : counterUnfinishedOpacity;
    const double opacity = base * smoothstep((counter->presence - counterShowPresence) / counterFadePresence);
    const QSizeF size = label_.size;
    const QRectF box(counter->center.x - size.width() / 2, counter->center.y - size.height() / 2, size.width(), size.height());
    counter_ = Counter { box, opacity };
}

void EdgeCanvas::relabel(std::int64_t depth, std::int64_t total)
{
    if (label_.depth == depth && label_.total == total)
        return;
    label_.depth = depth;
    label_.total = total;
    label_.text = QString::asprintf("%lld/%lld", static_cast<long long>(depth), static_cast<long long>(total));
    const QFontMetricsF metrics(counterFont_);
    label_.size = { metrics.horizontalAdvance(label_.text), metrics.height() };
}

QRectF EdgeCanvas::frameBounds() const
{
    QRectF bounds;
    if (!path_.empty())
        bounds = outline_.boundingRect();
    if (plus_)
        bounds = bounds.united(plusBox(plus_->center));
    if (counter_)
        bounds = bounds.united(counter_->box);
    return bounds;
}

QRect EdgeCanvas::changedRegion() const
{
    const QRectF covered = previousBounds_.united(currentBounds_);
    if (unchanged_ || covered.isNull())
        return {};
    const QRectF grown = covered.adjusted(-repaintMargin, -repaintMargin, repaintMargin, repaintMargin);
    return grown.toAlignedRect().intersected(canvas_);
}

QRegion EdgeCanvas::paintedRegion() const
{
    if (path_.empty())
        return {};
    // The plus glyph and the pull counter lie on their bulges, inside the outline.
    return filledRegion(outline_, outline_.boundingRect().toAlignedRect().intersected(canvas_));
}

void EdgeCanvas::paint(QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!path_.empty()) {
        painter.fillPath(outline_, Qt::black);
        paintRim(painter);
    }
    paintPlus(painter);
    paintCounter(painter);
    painter.restore();
}

void EdgeCanvas::repaintChanged(QPainter& painter) const
{
    const QRect region = changedRegion();
    painter.save();
    painter.setClipRect(region, Qt::IntersectClip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(region, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    paint(painter);
    painter.restore();
}

void EdgeCanvas::paintRim(QPainter& painter) const
{
    if (!(rimOpacity_ > rimThreshold))
        return;
    // Bevel joins: the outline turns back on itself where it leaves and rejoins the edge,
    // and a miter there would spike past the repainted region.
    painter.strokePath(outline_, QPen(white(rimOpacity_), rimWidth, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
}

void EdgeCanvas::paintPlus(QPainter& painter) const
{
    if (!plus_)
        return;
    painter.translate(plus_->center);
    painter.fillPath(plusShape(), white(plus_->opacity));
    painter.translate(-plus_->center);
}

void EdgeCanvas::paintCounter(QPainter& painter) const
{
    if (!counter_)
        return;
    painter.setFont(counterFont_);
    painter.setPen(white(counter_->opacity));
    painter.drawText(counter_->box, Qt::AlignCenter | Qt::TextDontClip, label_.text);
}

} // namespace kestrane
