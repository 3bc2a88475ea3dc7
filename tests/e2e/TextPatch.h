#pragma once

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrane::e2e {

// The relative luminance of a pixel, as contrast ratios are worked out from.
inline double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

// The contrast ratio of light text in a band of the screen against what lies right behind
// it: the brightest pixel against the median, the text covering less than half the band.
inline double textContrast(const QImage& screen, const QRect& band)
{
    std::vector<double> levels;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            levels.push_back(luminance(screen.pixel(x, y)));
    const auto middle = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 2);
    std::nth_element(levels.begin(), middle, levels.end());
    return (*std::max_element(levels.begin(), levels.end()) + 0.05) / (*middle + 0.05);
}

// A band of the screen holding one line of text, and the least contrast it must have.
struct TextBand {
    std::string name;
    QRect band;
    double least = 4.5;
};

// The first band whose text does not read, with its contrast; none when all of them read.
inline std::optional<std::pair<std::string, double>> unreadable(const QImage& screen, const std::vector<TextBand>& bands)
{
    for (const TextBand& text : bands)
        if (const double contrast = textContrast(screen, text.band); contrast < text.least)
            return std::pair(text.name, contrast);
    return std::nullopt;
}

// How many pixels of the area of the screen `counted` takes.
template <typename Predicate> int countPixels(const QImage& screen, const QRect& area, Predicate counted)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += counted(screen.pixel(x, y)) ? 1 : 0;
    return count;
}

// Where the drag peer in "clicks lines" mode draws its patch of black lines on white.
inline const QRect textPatch { 100, 600, 400, 120 };

// Mean grey level of the patch on the screen, and its spread (standard deviation).
inline std::pair<double, double> brightnessAndContrast(const QImage& screen)
{
    double sum = 0;
    double squares = 0;
    const double count = textPatch.width() * textPatch.height();
    for (int y = textPatch.top(); y <= textPatch.bottom(); ++y) {
        for (int x = textPatch.left(); x <= textPatch.right(); ++x) {
            const double grey = qGray(screen.pixel(x, y));
            sum += grey;
            squares += grey * grey;
        }
    }
    const double mean = sum / count;
    return { mean, std::sqrt(std::max(squares / count - mean * mean, 0.0)) };
}

} // namespace kestrane::e2e
