#include "views/styles/ShadowedText.h"

#include "views/GaussianBlur.h"

#include <QPainter>

#include <cmath>

namespace kestrane {

namespace {
// A Gaussian is drawn out to three standard deviations.
constexpr double gaussianReach = 3;
} // namespace

ShadowedText::ShadowedText(QFont font, QColor color, Shadow shadow)
    : font_(std::move(font))
    , color_(color)
    , shadow_(shadow)
{
}

void ShadowedText::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    drawShadow();
}

double ShadowedText::shadowReach() const
{
    return std::ceil(gaussianReach * shadow_.radius / 2) + std::max(std::abs(shadow_.offset.x()), std::abs(shadow_.offset.y()));
}

void ShadowedText::drawShadow()
{
    shadowPicture_ = QImage();
    if (text_.isEmpty())
        return;
    const QFontMetricsF measure = metrics();
    const double margin = std::ceil(gaussianReach * shadow_.radius / 2);
    const QSize size(static_cast<int>(std::ceil(measure.horizontalAdvance(text_) + 2 * margin)), static_cast<int>(std::ceil(measure.height() + 2 * margin)));
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setFont(font_);
    painter.setPen(shadow_.color);
    painter.drawText(QPointF(margin, margin + measure.ascent()), text_);
    painter.end();
    shadowPicture_ = gaussianBlurred(picture, shadow_.radius / 2);
    shadowCorner_ = QPointF(-margin, -margin - measure.ascent()) + shadow_.offset;
}

void ShadowedText::paint(QPainter& painter, QPointF baseline) const
{
    if (text_.isEmpty())
        return;
    painter.drawImage(baseline + shadowCorner_, shadowPicture_);
    painter.setFont(font_);
    painter.setPen(color_);
    painter.drawText(baseline, text_);
}

} // namespace kestrane
