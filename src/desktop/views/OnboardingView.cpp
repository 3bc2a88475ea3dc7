#include "views/OnboardingView.h"

#include "geometry/Easing.h"
#include "geometry/InkGeometry.h"
#include "onboarding/Onboarding.h"
#include "views/PathConversion.h"
#include "views/styles/LegibleLabel.h"

#include <QPainter>

#include <algorithm>

namespace kestrane {

namespace {
// The haze blurs slightly as the introduction begins and more while a lesson is read.
constexpr double hazeRadius = 2.2;
constexpr double readingRadius = 5.8;
constexpr double hazeOpacity = 0.34;
constexpr double readingOpacity = 0.66;
constexpr double invisible = 0.001;

// The drawer rows: when each fades in (start and span of the drawer's progress) and how
// much of the row its text bar fills.
struct RowLook {
    double start;
    double span;
    double widthFactor;
};
constexpr RowLook rowLooks[] = { { 0.45, 0.50, 0.86 }, { 0.57, 0.38, 0.62 }, { 0.69, 0.26, 0.74 } };
constexpr double rowsTop = 69;
constexpr double rowInset = 34;
constexpr double rowPitch = 46;
constexpr double firstRowCentre = 23;
constexpr double iconSide = 20;
constexpr double iconRadius = 4.5;
constexpr double textIndent = 32;
constexpr double textRightInset = 26;
constexpr double textBarHeight = 9;
constexpr double rowVisible = 0.01;
constexpr double cardSide = 34;
constexpr double cardRadius = 7;
constexpr QPointF cardInset { 7, 10 };
constexpr double cardInnerRadius = 2;
// Everything the demonstration may draw lies in this part of the screen: from the card's
// start at 62 % of the width to the edge, and this far above and below the middle.
constexpr double demoLeftFraction = 0.62;
constexpr double demoHalfHeight = 260;
// Antialiasing and the card's width reach past the outlines.
constexpr double margin = 24;

// How far the points of the outline reach into the screen from its nearest side.
double depthOf(const Path& path, QSizeF screen)
{
    double depth = 0;
    for (const Path::Element& element : path.elements) {
        if (element.op != Path::Op::Close)
            depth = std::max(depth, std::min({ element.x, element.y, screen.width() - element.x, screen.height() - element.y }));
    }
    return depth;
}

void paintRows(QPainter& painter, const OpenRows& rows)
{
    const Rect& frame = rows.frame;
    const double top = frame.y + frame.height / 2 - rowsTop;
    const double iconLeft = frame.x + rowInset;
    const double textLeft = iconLeft + textIndent;
    const double available = frame.x + frame.width - textLeft - textRightInset;
    for (std::size_t i = 0; i < std::size(rowLooks); ++i) {
        const double shown = smoothstep((rows.progress - rowLooks[i].start) / rowLooks[i].span);
        if (shown <= rowVisible)
            continue;
        const double centre = top + firstRowCentre + rowPitch * static_cast<double>(i);
        painter.setBrush(white(0.34 * shown));
        painter.drawRoundedRect(QRectF(iconLeft, centre - iconSide / 2, iconSide, iconSide), iconRadius, iconRadius);
        painter.setBrush(white(0.22 * shown));
        painter.drawRoundedRect(QRectF(textLeft, centre - textBarHeight / 2, available * rowLooks[i].widthFactor, textBarHeight),
            textBarHeight / 2, textBarHeight / 2);
    }
}

void paintCard(QPainter& painter, const TravellingItem& item)
{
    const double side = cardSide * item.scale;
    const QRectF card(item.position.x - side / 2, item.position.y - side / 2, side, side);
    painter.setBrush(white(0.8 * item.opacity));
    painter.drawRoundedRect(card, cardRadius, cardRadius);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(0.3 * item.opacity)));
    painter.drawRoundedRect(card.adjusted(cardInset.x(), cardInset.y(), -cardInset.x(), -cardInset.y()), cardInnerRadius, cardInnerRadius);
}

} // namespace

void OnboardingView::update(const Onboarding& flow, const QImage& backdrop, QSizeF screen)
{
    const IntroductionState& state = flow.state();
    const bool wasShown = isShown();
    const double opacityBefore = hazeOpacity_;
    phase_ = state.phase;
    screen_ = screen;
    const QRegion before = drawn_;
    if (!isShown()) {
        changed_ = before;
        drawn_ = QRegion();
        haze_.setBackdrop(QImage(), QRectF());
        return;
    }
    const double reading = clamp01(state.reading.value);
    const double haze = clamp01(state.haze.value);
    const bool radiusMoved = haze_.setRadius(hazeRadius + readingRadius * reading);
    const bool backdropChanged = haze_.setBackdrop(backdrop, QRectF(QPointF(0, 0), screen));
    hazeOpacity_ = haze * (hazeOpacity + readingOpacity * reading);

    const InkField field = flow.field();
    const ScreenPerimeter perimeter = Onboarding::screenPerimeter(screen.width(), screen.height());
    InkGeometry::band(field, perimeter, inkPath_);
    toPainterPath(inkPath_, ink_);
    inkDepth_ = depthOf(inkPath_, screen);
    demo_.reset();
    if (state.phase == IntroductionPhase::teaching) {
        demo_ = OnboardingDemo { state.step, state.elapsed, { screen.width(), screen.height() } };
        toPainterPath(demo_->pocketOnInk(field, perimeter), demoPocket_);
        demoDepth_ = demo_->inkDepth(field, perimeter);
        lesson_.update(
            flow.currentLesson(), state.step, static_cast<int>(introductionLessons.size()), state.stepProgress.value, screen, backdrop);
    }

    const QRect whole = QRectF(QPointF(0, 0), screen).toAlignedRect();
    const bool hazeChanged = radiusMoved || backdropChanged || opacityBefore != hazeOpacity_;
    const bool hazeShown = hazeOpacity_ > invisible && haze_.hasBackdrop();
    drawn_ = hazeShown ? QRegion(whole) : inkRegion() + demoRegion() + lessonRegion();
    changed_ = (!wasShown || hazeChanged) ? QRegion(whole) : before + inkRegion() + demoRegion() + lessonRegion();
}

QRegion OnboardingView::inkRegion() const
{
    const QRect whole = QRectF(QPointF(0, 0), screen_).toAlignedRect();
    const int depth = static_cast<int>(std::ceil(inkDepth_ + margin));
    return QRegion(whole) - whole.adjusted(depth, depth, -depth, -depth);
}

QRegion OnboardingView::demoRegion() const
{
    if (!demo_)
        return {};
    const double left = demoLeftFraction * screen_.width() - cardSide - margin - demoDepth_;
    return QRectF(left, screen_.height() / 2 - demoHalfHeight, screen_.width() - left, 2 * demoHalfHeight).toAlignedRect();
}

QRegion OnboardingView::lessonRegion() const
{
    return demo_ ? lesson_.bounds().toAlignedRect() : QRect();
}

void OnboardingView::paint(QPainter& painter)
{
    if (!isShown())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (hazeOpacity_ > invisible)
        haze_.paint(painter, QRegion(QRectF(QPointF(0, 0), screen_).toAlignedRect()), hazeOpacity_);
    painter.fillPath(ink_, Qt::black);
    if (demo_) {
        paintDemo(painter, *demo_);
        lesson_.paint(painter);
    }
    painter.restore();
}

void OnboardingView::paintDemo(QPainter& painter, const OnboardingDemo& demo) const
{
    painter.fillPath(demoPocket_, Qt::black);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.translate(-demoDepth_, 0);
    if (const auto rows = demo.openRows())
        paintRows(painter, *rows);
    if (const auto item = demo.travellingItem())
        paintCard(painter, *item);
    painter.restore();
}

} // namespace kestrane
