#pragma once

#include "geometry/Point.h"

namespace kestrane {

// A point of the screen border and the unit vector from it into the screen.
struct BorderSample {
    Point point;
    Point inward;
    bool operator==(const BorderSample&) const = default;
};

// The rounded-rectangle border of the screen, walked clockwise by arc length from the
// top-left end of the top edge, (radius, 0). Origin top-left, y growing downwards.
struct ScreenPerimeter {
    double width = 0;
    double height = 0;
    double cornerRadius = 0;

    // The corner radius actually walked: never more than half the shorter side, so that a
    // screen smaller than two radii still has a continuous border that stays on screen.
    // Negative or non-finite sizes count as 0.
    double radius() const;
    double straightTop() const;
    double straightSide() const;
    double quarterArc() const;
    double length() const;
    // The middle of the right edge, where the ink starts.
    double source() const;

    BorderSample detailedSample(double s) const;
    // The shorter way around the border between two arc lengths.
    double distance(double s1, double s2) const;

    bool operator==(const ScreenPerimeter&) const = default;
};

} // namespace kestrane
