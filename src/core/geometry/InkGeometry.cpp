#include "geometry/InkGeometry.h"

#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kestrane::InkGeometry {

namespace {
constexpr double sampleStep = 3;
constexpr double thinnestInk = 0.01;
constexpr double smallestArea = 0.0001;
constexpr std::size_t minimumSamples = 3;
// A border of about three million points; beyond it the size is surely wrong, and the
// outline would take more memory than is reasonable to ask for every frame.
constexpr double mostSamples = 1 << 20;
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

// Writes triangles straight into a path's storage, sized beforehand for the most there
// can be, and trims the storage to what was written at the end.
class TriangleWriter {
public:
    TriangleWriter(Path& out, std::size_t mostTriangles)
        : out_(out)
    {
        out_.elements.resize(mostTriangles * elementsPerTriangle);
        next_ = out_.elements.data();
    }
    ~TriangleWriter() { out_.elements.resize(static_cast<std::size_t>(next_ - out_.elements.data())); }
    TriangleWriter(const TriangleWriter&) = delete;
    TriangleWriter& operator=(const TriangleWriter&) = delete;

    // The triangle a, b, c, turned if need be so that its cross product is positive;
    // triangles with almost no area are dropped.
    void add(Point a, Point b, Point c)
    {
        const double turn = cross(b - a, c - a);
        if (std::abs(turn) <= smallestArea)
            return;
        if (turn < 0)
            std::swap(b, c);
        *next_++ = { Path::Op::Move, a.x, a.y };
        *next_++ = { Path::Op::Line, b.x, b.y };
        *next_++ = { Path::Op::Line, c.x, c.y };
        *next_++ = { Path::Op::Close, 0, 0 };
    }

private:
    Path& out_;
    Path::Element* next_;
};

// How many of the arc lengths 0, step, 2 step, … lie before the end of the border; none
// for a border too long to sample.
std::size_t sampleCount(double length)
{
    if (length / sampleStep > mostSamples) {
        logLine("Kestrane: no ink outline for a screen border " + std::to_string(length) + " points long");
        return 0;
    }
    auto count = static_cast<std::size_t>(std::ceil(length / sampleStep));
    while (count > 1 && static_cast<double>(count - 1) * sampleStep >= length)
        --count;
    while (static_cast<double>(count) * sampleStep < length)
        ++count;
    return count;
}

// The outer point lies rim points outside the screen, so the band's outer edge is never seen.
Sample sampleAt(const InkThickness& ink, const ScreenPerimeter& perimeter, double rim, double s)
{
    const BorderSample border = perimeter.detailedSample(s);
    const double th = ink.at(s, border.point.y);
    const Point& p = border.point;
    const Point& in = border.inward;
    return { { p.x - rim * in.x, p.y - rim * in.y }, { p.x + th * in.x, p.y + th * in.y }, th };
}

// One closed outline through a run of samples: out along the outer points from `first` for
// `pairs` pairs, back along the inner points.
void appendRun(const std::vector<Sample>& samples, std::size_t first, std::size_t pairs, Path& out)
{
    const std::size_t n = samples.size();
    for (std::size_t i = 0; i <= pairs; ++i) {
        const Point& p = samples[(first + i) % n].outer;
        i == 0 ? out.moveTo(p.x, p.y) : out.lineTo(p.x, p.y);
    }
    for (std::size_t i = pairs + 1; i-- > 0;) {
        const Point& p = samples[(first + i) % n].inner;
        out.lineTo(p.x, p.y);
    }
    out.close();
}

// Ink all round: the outer ring one way, the inner ring the other, so that the non-zero
// rule leaves the inside empty. The outer ring lies wholly outside the screen (a corner
// radius beyond it), so a rectangle just round the screen stands in for it.
void appendRing(const std::vector<Sample>& samples, const ScreenPerimeter& perimeter, Path& out)
{
    out.moveTo(-1, -1);
    out.lineTo(perimeter.width + 1, -1);
    out.lineTo(perimeter.width + 1, perimeter.height + 1);
    out.lineTo(-1, perimeter.height + 1);
    out.close();
    for (std::size_t i = samples.size(); i-- > 0;) {
        const Point& p = samples[i].inner;
        i + 1 == samples.size() ? out.moveTo(p.x, p.y) : out.lineTo(p.x, p.y);
    }
    out.close();
}

void appendPair(const Sample& a, const Sample& b, TriangleWriter& out)
{
    if (!(a.thickness > thinnestInk) && !(b.thickness > thinnestInk))
        return;
    out.add(a.outer, b.outer, b.inner);
    out.add(a.outer, b.inner, a.inner);
}
} // namespace

// Samples are visited in order and joined to the previous one as they come, the last to
// the first, so nothing but the path is written.
void path(const InkField& field, const ScreenPerimeter& perimeter, Path& out)
{
    out.clear();
    const InkThickness ink(field, perimeter);
    if (ink.isEmpty())
        return;
    const std::size_t n = sampleCount(perimeter.length());
    if (n < minimumSamples)
        return;
    TriangleWriter writer(out, 2 * n);
    const double rim = perimeter.radius();
    const Sample first = sampleAt(ink, perimeter, rim, 0);
    Sample previous = first;
    // Arc lengths are i × step rather than an accumulated s so that long borders do not drift.
    for (std::size_t i = 1; i < n; ++i) {
        const Sample next = sampleAt(ink, perimeter, rim, static_cast<double>(i) * sampleStep);
        appendPair(previous, next, writer);
        previous = next;
    }
    appendPair(previous, first, writer);
}

// A pair of neighbouring samples is joined when ink lies on either.
void band(const InkField& field, const ScreenPerimeter& perimeter, Path& out)
{
    out.clear();
    const InkThickness ink(field, perimeter);
    if (ink.isEmpty())
        return;
    const std::size_t n = sampleCount(perimeter.length());
    if (n < minimumSamples)
        return;
    std::vector<Sample> samples;
    samples.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        samples.push_back(sampleAt(ink, perimeter, perimeter.radius(), static_cast<double>(i) * sampleStep));
    const auto joined = [&](std::size_t i) { return samples[i].thickness > thinnestInk || samples[(i + 1) % n].thickness > thinnestInk; };
    std::size_t start = 0;
    while (start < n && joined(start))
        ++start;
    if (start == n) {
        appendRing(samples, perimeter, out);
        return;
    }
    // A run begins at a joined pair after one that is not; its pairs cover one sample more.
    for (std::size_t step = 1; step <= n; ++step) {
        const std::size_t first = (start + step) % n;
        if (!joined(first) || joined((first + n - 1) % n))
            continue;
        std::size_t length = 0;
        while (length < n && joined((first + length) % n))
            ++length;
        appendRun(samples, first, length, out);
    }
}

Path path(const InkField& field, const ScreenPerimeter& perimeter)
{
    Path out;
    path(field, perimeter, out);
    return out;
}

} // namespace kestrane::InkGeometry
