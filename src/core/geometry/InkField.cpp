#include "geometry/InkField.h"

#include "geometry/Easing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrane {

namespace {
constexpr double faintestPresence = 0.001;
constexpr double thinnestBody = 0.01;
constexpr double rimWidth = 300;
constexpr double faintestFade = 0.001;
constexpr double growthLength = 270;

struct Lump {
    double speed;
    double offset;
    double radius;
    double gain;
};

constexpr std::array<Lump, InkThickness::lumpCount> lumpTable { {
    { 61, 0, 260, 0.95 },
    { -44, 1600, 380, 0.72 },
    { 33, 3100, 170, 0.58 },
    { -78, 4700, 300, 0.64 },
    { 22, 6200, 460, 0.50 },
} };

// The shorter way round a border of the given length between two arc lengths a gap apart.
// Samples and lump centres lie within one length of 0, so the gap is almost always under
// two lengths, where one subtraction gives exactly what the remainder would.
double aroundBorder(double gap, double length)
{
    gap = std::abs(gap);
    if (gap >= length)
        gap = gap < 2 * length ? gap - length : std::fmod(gap, length);
    return std::min(gap, length - gap);
}

// The ripple's three waves: how many radians each turns per point of border, how fast it
// moves and how tall it is.
struct Wave {
    double perPoint;
    double perSecond;
    double gain;
};

constexpr std::array<Wave, InkThickness::waveCount> waveTable { {
    { 0.011, 0.8, 0.22 },
    { 0.024, -1.2, 0.15 },
    { 0.047, 1.9, 0.08 },
} };

// A wave's number of radians per point, rounded to a whole number of waves round the
// border: otherwise the ripple would jump where the walk ends and starts again.
double wholeWavesPerLap(double perPoint, double length)
{
    const double waves = std::max(1.0, std::round(perPoint * length / (2 * std::numbers::pi)));
    return waves * 2 * std::numbers::pi / length;
}

// Heavier towards the bottom of the screen: 0.8625 at the top, 1 at mid-height, 1.4125
// at the bottom.
double gravity(double yNormalised)
{
    const double y = std::clamp(yNormalised, 0.0, 1.0);
    return (y * y - 0.25) * 0.55 + 1;
}
} // namespace

InkThickness::InkThickness(const InkField& field, const ScreenPerimeter& perimeter)
    : field_(field)
    , length_(perimeter.length())
    , source_(perimeter.source())
    , heightScale_(1 / std::max(perimeter.height, 1.0))
    , empty_(!(field.presence > faintestPresence) || !(field.body > thinnestBody) || !(length_ > 0))
{
    if (empty_)
        return;
    for (std::size_t i = 0; i < lumpTable.size(); ++i) {
        const Lump& lump = lumpTable[i];
        // A truncated remainder: a lump running backwards may sit at a negative arc length,
        // which the distance below reads the same as its wrapped place.
        lumpCentres_[i] = std::fmod(field.clock * lump.speed + lump.offset, length_);
    }
    for (std::size_t i = 0; i < waveTable.size(); ++i)
        wavesPerPoint_[i] = wholeWavesPerLap(waveTable[i].perPoint, length_);
}

double InkThickness::ripple(double s) const
{
    double sum = 0;
    for (std::size_t i = 0; i < waveTable.size(); ++i)
        sum += waveTable[i].gain * std::sin(wavesPerPoint_[i] * s + waveTable[i].perSecond * field_.clock);
    return sum;
}

double InkThickness::lumps(double s) const
{
    double sum = 0;
    for (std::size_t i = 0; i < lumpTable.size(); ++i) {
        const double v = aroundBorder(s - lumpCentres_[i], length_) / lumpTable[i].radius;
        if (v < 1) {
            const double falloff = 1 - v * v;
            sum += lumpTable[i].gain * falloff * falloff;
        }
    }
    return sum;
}

double InkThickness::at(double s, double y) const
{
    if (empty_)
        return 0;
    const double front = field_.front;
    const double d = aroundBorder(s - source_, length_);
    const double fade = 1 - smoothstep((d - (front - rimWidth)) / rimWidth);
    if (fade <= faintestFade)
        return 0;
    const double grow = smoothstep((front - d) / growthLength);
    const double weight = gravity(y * heightScale_);
    return (1 + ripple(s) + lumps(s)) * grow * field_.body * field_.presence * fade * weight;
}

double InkField::thickness(double s, const ScreenPerimeter& perimeter) const
{
    const InkThickness ink(*this, perimeter);
    if (ink.isEmpty())
        return 0;
    return ink.at(s, perimeter.detailedSample(s).point.y);
}

} // namespace kestrane
