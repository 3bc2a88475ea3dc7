#include "views/LessonBlock.h"

#include "geometry/Easing.h"
#include "geometry/OnboardingDemo.h"
#include "views/styles/LegibleLabel.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

namespace kestrane {

namespace {
constexpr double headlineSize = 34;
constexpr double detailSize = 16;
constexpr double labelSize = 11;
constexpr double blockSpacing = 12;
constexpr double progressRowPadding = 18;
constexpr QSizeF currentCapsule { 20, 6 };
constexpr QSizeF otherCapsule { 6, 6 };
constexpr double capsuleSpacing = 7;
constexpr double labelPadding = 10;
constexpr QSizeF caretSize { 2, 30 };
constexpr double caretSpacing = 3;
constexpr double caretDrop = 4;
constexpr double blockRise = 18;
constexpr double plateMargin = 22;
constexpr double detailRise = 10;
// The block's corner, as fractions of the screen's width and height.
constexpr double leftFraction = 0.3;
constexpr double topFraction = 0.4;
// The detail fades in once the headline is mostly typed, the progress row last.
constexpr double detailStart = 0.55;
constexpr double detailSpan = 0.45;
constexpr double rowStart = 0.7;
constexpr double rowSpan = 0.3;

QFont systemFont(double pixelSize, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setWeight(weight);
    return font;
}

QColor black(double opacity)
{
    return QColor::fromRgbF(0, 0, 0, static_cast<float>(opacity));
}

double detailShown(double progress)
{
    return smoothstep((progress - detailStart) / detailSpan);
}

} // namespace

LessonBlock::LessonBlock()
    : headline_(systemFont(headlineSize, QFont::DemiBold), white(0.97), { black(0.55), 22, { 0, 6 } })
    , detail_(systemFont(detailSize, QFont::Normal), white(0.62), { black(0.5), 16, { 0, 4 } })
    , labelFont_(systemFont(labelSize, QFont::Medium))
{
}

void LessonBlock::update(const IntroductionLesson& lesson, int index, int lessonCount, double progress, QSizeF screen, const QImage& behind)
{
    progress_ = std::clamp(progress, 0.0, 1.0);
    index_ = index;
    lessonCount_ = lessonCount;
    const TypedHeadline typed = typedHeadline(lesson.headline, progress_);
    typing_ = typed.isTyping;
    headline_.setText(QString::fromStdString(typed.shown));
    headlineWidth_ =
        headline_.metrics().horizontalAdvance(QString::fromUtf8(lesson.headline.data(), static_cast<qsizetype>(lesson.headline.size())));
    detail_.setText(QString::fromUtf8(lesson.detail.data(), static_cast<qsizetype>(lesson.detail.size())));
    const double rise = (1 - smoothstep(progress_)) * blockRise;
    corner_ = QPointF(leftFraction * screen.width(), topFraction * screen.height() + rise);
    plate_.place(textArea().adjusted(-plateMargin, -plateMargin, plateMargin, plateMargin), behind, screen);
}

double LessonBlock::headlineHeight() const
{
    return headline_.metrics().height();
}

double LessonBlock::detailTop() const
{
    return headlineHeight() + blockSpacing;
}

double LessonBlock::progressRowTop() const
{
    return detailTop() + detail_.metrics().height() + blockSpacing + progressRowPadding;
}

QRectF LessonBlock::caret() const
{
    if (!typing_)
        return {};
    const QPointF baseline = corner_ + QPointF(headline_.width() + caretSpacing, headline_.metrics().ascent());
    return { baseline.x(), baseline.y() - caretSize.height() + caretDrop, caretSize.width(), caretSize.height() };
}

QRectF LessonBlock::textArea() const
{
    const QFontMetricsF label(labelFont_);
    const double rowWidth = currentCapsule.width() + (lessonCount_ - 1) * (otherCapsule.width() + capsuleSpacing) + capsuleSpacing
        + labelPadding + label.horizontalAdvance(QStringLiteral("click to continue"));
    const double width = std::max({ headlineWidth_ + caretSpacing + caretSize.width(), detail_.width(), rowWidth });
    const double height = progressRowTop() + std::max(otherCapsule.height(), label.height());
    return { corner_, QSizeF(width, height) };
}

QRectF LessonBlock::bounds() const
{
    const double reach = std::max(headline_.shadowReach(), detail_.shadowReach());
    const QRectF risen = textArea().adjusted(0, 0, 0, blockRise).adjusted(-reach, -reach, reach, reach);
    return risen.united(plate_.bounds());
}

void LessonBlock::paint(QPainter& painter) const
{
    const double shown = smoothstep(progress_);
    if (shown <= 0)
        return;
    painter.save();
    plate_.paint(painter, shown);
    painter.setOpacity(shown);
    headline_.paint(painter, corner_ + QPointF(0, headline_.metrics().ascent()));
    if (typing_)
        painter.fillRect(caret(), white(0.75));
    const double detail = detailShown(progress_);
    if (detail > 0) {
        painter.setOpacity(shown * detail);
        detail_.paint(painter, corner_ + QPointF(0, detailTop() + (1 - detail) * detailRise + detail_.metrics().ascent()));
    }
    const double row = smoothstep((progress_ - rowStart) / rowSpan);
    if (row > 0) {
        painter.setOpacity(shown * row);
        paintProgressRow(painter);
    }
    painter.restore();
}

void LessonBlock::paintProgressRow(QPainter& painter) const
{
    const QFontMetricsF label(labelFont_);
    const double rowHeight = std::max(otherCapsule.height(), label.height());
    const double middle = corner_.y() + progressRowTop() + rowHeight / 2;
    double x = corner_.x();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < lessonCount_; ++i) {
        const bool current = i == index_;
        const QSizeF size = current ? currentCapsule : otherCapsule;
        painter.setBrush(white(current ? 0.85 : 0.22));
        painter.drawRoundedRect(QRectF(QPointF(x, middle - size.height() / 2), size), size.height() / 2, size.height() / 2);
        x += size.width() + capsuleSpacing;
    }
    painter.setFont(labelFont_);
    painter.setPen(white(0.62));
    painter.drawText(QPointF(x + labelPadding, middle - label.height() / 2 + label.ascent()), QStringLiteral("click to continue"));
}

} // namespace kestrane
