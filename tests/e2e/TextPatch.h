#pragma once

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrane::e2e {

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
