#include "views/styles/TextPlate.h"

#include "graphics/GaussianBlur.h"

#include <QPainter>

#include <algorithm>

namespace kestrane {

namespace {
// White text at 0.62 opacity meets 4.5:1 over this grey and anything darker.
constexpr double legibleGrey = 64;
constexpr double darkest = 0.8;
constexpr double cornerRadius = 14;
constexpr int sampleStep = 3;

// The brightest grey of the picture inside the rectangle of its pixels.
double brightestGrey(const QImage& picture, const QRect& area)
{
    const QRect inside = area & picture.rect();
    int brightest = 0;
    for (int y = inside.top(); y <= inside.bottom(); y += sampleStep) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); x += sampleStep)
            brightest = std::max(brightest, qGray(line[x]));
    }
    return brightest;
}

// The darkness that brings a grey (0–255) down to one white text reads on.
double darknessOver(double grey)
{
    return grey <= legibleGrey ? 0 : std::min(darkest, 1 - legibleGrey / grey);
}
} // namespace

void TextPlate::place(const QRectF& area, const QImage& behind, QSizeF screen, double dimming)
{
    area_ = area;
    // Until the picture comes (a moment after a view opens) the plate stays as it was: a
    // plate shown at once over a desktop that proves dark would flash.
    if (behind.isNull() || screen.width() <= 0) {
        if (lightDesktopAssumed_)
            darkness_ = darknessOver(255 * (1 - dimming));
        return;
    }
    const double pixelsPerPoint = behind.width() / screen.width();
    const QRect pixels = QTransform::fromScale(pixelsPerPoint, pixelsPerPoint).mapRect(bounds()).toAlignedRect() & behind.rect();
    double brightest = 0;
    if (behind.format() == QImage::Format_RGB32 || behind.format() == QImage::Format_ARGB32_Premultiplied) {
        brightest = brightestGrey(behind, pixels);
    } else {
        const QImage part = behind.copy(pixels).convertToFormat(QImage::Format_RGB32);
        brightest = brightestGrey(part, part.rect());
    }
    darkness_ = darknessOver(brightest * (1 - dimming));
}

void TextPlate::paint(QPainter& painter, double opacity) const
{
    if (darkness_ <= 0 || opacity <= 0 || area_.isEmpty())
        return;
    const QSize size = bounds().size().toSize();
    if (soft_.size() != size) {
        QImage sharp(size, QImage::Format_ARGB32_Premultiplied);
        sharp.fill(Qt::transparent);
        QPainter shape(&sharp);
        shape.setRenderHint(QPainter::Antialiasing);
        shape.setPen(Qt::NoPen);
        shape.setBrush(Qt::black);
        shape.drawRoundedRect(QRectF(feather, feather, area_.width(), area_.height()), cornerRadius, cornerRadius);
        shape.end();
        soft_ = gaussianBlurred(sharp, feather / 2);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity * darkness_);
    painter.drawImage(bounds().topLeft(), soft_);
    painter.restore();
}

} // namespace kestrane
