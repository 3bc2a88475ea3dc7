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
} // namespace

double ScreenPerimeter::radius() const
{
    const double w = sanitized(width);
    const double h = sanitized(height);
    return std::min(sanitized(cornerRadius), std::min(w, h) / 2);
}

double ScreenPerimeter::straightTop() const
{
    return std::max(sanitized(width) - 2 * radius(), 0.0);
}

double ScreenPerimeter::straightSide() const
{
    return std::max(sanitized(height) - 2 * radius(), 0.0);
}

double ScreenPerimeter::quarterArc() const
{
    return radius() * halfPi;
}

double ScreenPerimeter::length() const
{
    return 4 * quarterArc() + 2 * straightTop() + 2 * straightSide();
}

double ScreenPerimeter::source() const
{
    return straightTop() + quarterArc() + straightSide() / 2;
}

BorderSample ScreenPerimeter::detailedSample(double s) const
{
    const double w = sanitized(width);
    const double h = sanitized(height);
    const double r = radius();
    const double a = straightTop();
    const double b = straightSide();
    const double q = quarterArc();
    const double total = 4 * q + 2 * a + 2 * b;
    if (!(total > 0) || !std::isfinite(s))
        s = 0;
    else {
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
