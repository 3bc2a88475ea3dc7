#pragma once

#include "geometry/ScreenPerimeter.h"

#include <array>

namespace kestrane {

// The ink of the introduction at one moment: how far it has spread along the border,
// measured both ways from the middle of the right edge, how thick its band is, the time
// that moves its lumps and ripple, and its overall strength (0 gone, 1 full).
struct InkField {
    double front = 0;
    double body = 0;
    double clock = 0;
    double presence = 0;

    // Ink thickness at arc length s of the border; 0 where there is no ink.
    double thickness(double s, const ScreenPerimeter& perimeter) const;

    bool operator==(const InkField&) const = default;
};

// One field on one perimeter, with what does not depend on the arc length (the border
// length, the source, where each lump is) worked out once, for sampling the whole border.
class InkThickness {
public:
    static constexpr int lumpCount = 5;
    static constexpr int waveCount = 3;

    InkThickness(const InkField& field, const ScreenPerimeter& perimeter);

    // Whether there is no ink anywhere: too faint, too thin, or no border to lie on.
    bool isEmpty() const { return empty_; }
    // Thickness at arc length s, whose border point lies at height y.
    double at(double s, double y) const;

private:
    double lumps(double s) const;
    double ripple(double s) const;

    InkField field_;
    double length_;
    double source_;
    double heightScale_;
    bool empty_;
    std::array<double, lumpCount> lumpCentres_ {};
    std::array<double, waveCount> wavesPerPoint_ {};
};

} // namespace kestrane
