#include "views/styles/LegibleLabel.h"

#include <QFontDatabase>

#include <cmath>

namespace kestrane {

std::vector<Shadow> legibleShadows()
{
    return {
        { QColor::fromRgbF(0, 0, 0, 0.6F), 2, {} },
        { QColor::fromRgbF(0, 0, 0, 0.42F), 7, {} },
        { QColor::fromRgbF(0, 0, 0, 0.26F), 16, {} },
    };
}

QFont uiFont(double size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(static_cast<int>(std::lround(size)));
    font.setWeight(weight);
    return font;
}

ShadowedText legibleLabel(double size, QFont::Weight weight, double whiteOpacity)
{
    return ShadowedText(uiFont(size, weight), white(whiteOpacity), legibleShadows());
}

QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
}

} // namespace kestrane
