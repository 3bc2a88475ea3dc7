#include "geometry/ScreenPerimeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrane {

namespace {
constexpr double halfPi = std::numbers::pi / 2;

double sanitized(double length)
{
    return std::isfinite(length) && length > 0 ? length : 0;
}

// The corner arc starting at angle start (radians, screen coordinates) around centre.
BorderSample corner(Point centre, double radius, double start, double u, double quarter)
{
    const double theta = start + (quarter > 0 ? u / quarter : 0) * halfPi;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    return { { centre.x + radius * c, centre.y + radius * s }, { -c, -s } };
}

// The border's lengths, worked out once for each query.
struct Measures {
    double width;
    double height;
    double radius;
    double top;
    double side;
    double quarter;

    explicit Measures(const ScreenPerimeter& perimeter)
        : width(sanitized(perimeter.width))
        , height(sanitized(perimeter.height))
        , radius(std::min(sanitized(perimeter.cornerRadius), std::min(width, height) / 2))
        , top(std::max(width - 2 * radius, 0.0))
        , side(std::max(height - 2 * radius, 0.0))
        , quarter(radius * halfPi)
    {
    }

    double length() const { return 4 * quarter + 2 * top + 2 * side; }
};
} // namespace

double ScreenPerimeter::radius() const
{
    return Measures(*this).radius;
}

double ScreenPerimeter::straightTop() const
{
    return Measures(*this).top;
}

double ScreenPerimeter::straightSide() const
{
    return Measures(*this).side;
}

double ScreenPerimeter::quarterArc() const
{
    return Measures(*this).quarter;
}

double ScreenPerimeter::length() const
{
    return Measures(*this).length();
}

double ScreenPerimeter::source() const
{
    const Measures m(*this);
    return m.top + m.quarter + m.side / 2;
}

BorderSample ScreenPerimeter::detailedSample(double s) const
{
    const Measures m(*this);
    const double w = m.width;
    const double h = m.height;
    const double r = m.radius;
    const double a = m.top;
    const double b = m.side;
    const double q = m.quarter;
    const double total = m.length();
    if (!(total > 0) || !std::isfinite(s)) {
        s = 0;
    } else if (s < 0 || s >= total) {
        // Only arc lengths off the first lap need the (slow) remainder.
        s = std::fmod(s, total);
        if (s < 0)
            s += total;
    }

    // Each piece takes the next stretch of arc length; a piece of zero length never
    // matches because u < 0 is tested against its own length first.
    double u = s;
    if (u < a)
        return { { r + u, 0 }, { 0, 1 } };
    u -= a;
    if (u < q)
        return corner({ w - r, r }, r, -halfPi, u, q);
    u -= q;
    if (u < b)
        return { { w, r + u }, { -1, 0 } };
    u -= b;
    if (u < q)
        return corner({ w - r, h - r }, r, 0, u, q);
    u -= q;
    if (u < a)
        return { { w - r - u, h }, { 0, -1 } };
    u -= a;
    if (u < q)
        return corner({ r, h - r }, r, halfPi, u, q);
    u -= q;
    if (u < b)
        return { { 0, h - r - u }, { 1, 0 } };
    u -= b;
    if (u < q)
        return corner({ r, r }, r, std::numbers::pi, u, q);
    // Rounding can leave s a hair short of the total: that is the start again.
    return { { r, 0 }, { 0, 1 } };
}

double ScreenPerimeter::distance(double s1, double s2) const
{
    const double total = length();
    if (!(total > 0))
        return 0;
    const double x = std::fmod(std::abs(s1 - s2), total);
    return std::min(x, total - x);
}

} // namespace kestrane
