#include "geometry/InkGeometry.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace kestrane::InkGeometry {

namespace {
constexpr double sampleStep = 3;
constexpr double thinnestInk = 0.01;
constexpr double smallestArea = 0.0001;
constexpr std::size_t minimumSamples = 3;
// Move, two lines and the close.
constexpr std::size_t elementsPerTriangle = 4;

struct Sample {
    Point outer;
    Point inner;
    double thickness;
};

Point operator-(Point a, Point b)
{
    return { a.x - b.x, a.y - b.y };
}

double cross(Point p, Point q)
{
    return p.x * q.y - p.y * q.x;
}

// The triangle a, b, c, turned if need be so that its cross product is positive;
// triangles with almost no area are dropped.
void appendTriangle(Point a, Point b, Point c, Path& out)
{
    const double turn = cross(b - a, c - a);
    if (std::abs(turn) <= smallestArea)
        return;
    if (turn < 0)
        std::swap(b, c);
    out.moveTo(a.x, a.y);
    out.lineTo(b.x, b.y);
    out.lineTo(c.x, c.y);
    out.close();
}

// The border samples, kept per thread so that the frame loop does not allocate; the
// contents never outlive one call.
const std::vector<Sample>& samples(const InkThickness& ink, const ScreenPerimeter& perimeter)
{
    thread_local std::vector<Sample> scratch;
    scratch.clear();
    const double length = perimeter.length();
    const double rim = perimeter.radius();
    // Arc lengths are i × step rather than an accumulated s so that long borders do not drift.
    for (double i = 0;; ++i) {
        const double s = i * sampleStep;
        if (!(s < length))
            break;
        const BorderSample border = perimeter.detailedSample(s);
        const double th = ink.at(s, border.point.y);
        scratch.push_back({ { border.point.x - rim * border.inward.x, border.point.y - rim * border.inward.y },
            { border.point.x + th * border.inward.x, border.point.y + th * border.inward.y }, th });
    }
    return scratch;
}
} // namespace

void path(const InkField& field, const ScreenPerimeter& perimeter, Path& out)
{
    out.clear();
    const InkThickness ink(field, perimeter);
    if (ink.isEmpty())
        return;
    const std::vector<Sample>& border = samples(ink, perimeter);
    const std::size_t n = border.size();
    if (n < minimumSamples)
        return;
    out.elements.reserve(2 * n * elementsPerTriangle);
    for (std::size_t i = 0; i < n; ++i) {
        const Sample& a = border[i];
        const Sample& b = border[(i + 1) % n];
        if (!(a.thickness > thinnestInk) && !(b.thickness > thinnestInk))
            continue;
        appendTriangle(a.outer, b.outer, b.inner, out);
        appendTriangle(a.outer, b.inner, a.inner, out);
    }
}

Path path(const InkField& field, const ScreenPerimeter& perimeter)
{
    Path out;
    path(field, perimeter, out);
    return out;
}

} // namespace kestrane::InkGeometry
