#include "views/styles/ShadowedText.h"

#include "graphics/GaussianBlur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
// A Gaussian is drawn out to three standard deviations.
constexpr double gaussianReach = 3;

double blurMargin(const Shadow& shadow)
{
    return std::ceil(gaussianReach * shadow.radius / 2);
}
} // namespace

ShadowedText::ShadowedText(QFont font, QColor color, Shadow shadow)
    : ShadowedText(std::move(font), color, std::vector<Shadow> { shadow })
{
}

ShadowedText::ShadowedText(QFont font, QColor color, std::vector<Shadow> shadows)
    : font_(std::move(font))
    , color_(color)
    , shadows_(std::move(shadows))
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
    double reach = 0;
    for (const Shadow& shadow : shadows_)
        reach = std::max(reach, blurMargin(shadow) + std::max(std::abs(shadow.offset.x()), std::abs(shadow.offset.y())));
    return reach;
}

void ShadowedText::drawShadow()
{
    shadowPicture_ = QImage();
    if (text_.isEmpty() || shadows_.empty())
        return;
    const QFontMetricsF measure = metrics();
    const double margin = shadowReach();
    const QSize size(static_cast<int>(std::ceil(measure.horizontalAdvance(text_) + 2 * margin)),
        static_cast<int>(std::ceil(measure.height() + 2 * margin)));
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    for (const Shadow& shadow : shadows_) {
        QImage glyphs(size, QImage::Format_ARGB32_Premultiplied);
        glyphs.fill(Qt::transparent);
        QPainter text(&glyphs);
        text.setFont(font_);
        text.setPen(shadow.color);
        text.drawText(QPointF(margin, margin + measure.ascent()) + shadow.offset, text_);
        text.end();
        painter.drawImage(0, 0, gaussianBlurred(glyphs, shadow.radius / 2));
    }
    painter.end();
    shadowPicture_ = picture;
    shadowCorner_ = QPointF(-margin, -margin - measure.ascent());
}

void ShadowedText::paintShadows(QPainter& painter, QPointF baseline) const
{
    if (!shadowPicture_.isNull())
        painter.drawImage(baseline + shadowCorner_, shadowPicture_);
}

void ShadowedText::paint(QPainter& painter, QPointF baseline) const
{
    if (text_.isEmpty())
        return;
    paintShadows(painter, baseline);
    painter.setFont(font_);
    painter.setPen(color_);
    painter.drawText(baseline, text_);
}

} // namespace kestrane
