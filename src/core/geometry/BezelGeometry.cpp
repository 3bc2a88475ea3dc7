#include "geometry/BezelGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kestrane::BezelGeometry {

namespace {
constexpr double minimumAmplitude = 0.05;
constexpr double minimumHeight = 1;
constexpr double squircleThreshold = 0.001;
// Subpaths start and end one point outside the canvas so that no antialiased seam shows
// where a bulge is cut by the top or bottom of the screen.
constexpr double clipMargin = 1;
constexpr double sampleStep = 1;
// Move, the line to the stop row, the line back to the edge and the close.
constexpr std::size_t elementsBesideSamples = 4;

struct Cluster {
    const BezelNode* begin;
    const BezelNode* end;
    double start;
    double stop;
};

double topOf(const BezelNode& node)
{
    return node.center - node.reachTop();
}

double bottomOf(const BezelNode& node)
{
    return node.center + node.reachBottom();
}

bool isVisible(const BezelNode& node)
{
    // A non-finite node would make the sampled span unbounded or meaningless.
    return node.amplitude > minimumAmplitude && 2 * node.core + node.falloffTop + node.falloffBottom > minimumHeight
        && std::isfinite(topOf(node) + bottomOf(node));
}

// Insertion sort: stable, allocation-free and the fastest choice for the handful of nodes
// an edge carries.
void sortByCenter(std::vector<BezelNode>& nodes)
{
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        const BezelNode moving = nodes[i];
        std::size_t j = i;
        for (; j > 0 && moving.center < nodes[j - 1].center; --j)
            nodes[j] = nodes[j - 1];
        nodes[j] = moving;
    }
}

// The visible nodes, sorted. Kept per thread so that the frame loop does not allocate;
// the contents never outlive one call.
const std::vector<BezelNode>& visibleSorted(const std::vector<BezelNode>& nodes)
{
    thread_local std::vector<BezelNode> scratch;
    scratch.clear();
    for (const BezelNode& node : nodes) {
        if (isVisible(node))
            scratch.push_back(node);
    }
    sortByCenter(scratch);
    return scratch;
}

// Calls visit for each run of overlapping nodes. A node joins the run when its top lies
// above the lowest bottom reached so far, not just the previous node's bottom, so that a
// short node nested inside a long one does not split the long one's group.
template <typename Visit> void forEachCluster(const std::vector<BezelNode>& sorted, double height, Visit visit)
{
    std::size_t first = 0;
    double top = topOf(sorted[0]);
    double bottom = bottomOf(sorted[0]);
    auto emit = [&](std::size_t last) {
        visit(Cluster { sorted.data() + first, sorted.data() + last, std::max(-clipMargin, top), std::min(height + clipMargin, bottom) });
    };
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const BezelNode& node = sorted[i];
        if (topOf(node) <= bottom) {
            top = std::min(top, topOf(node));
            bottom = std::max(bottom, bottomOf(node));
            continue;
        }
        emit(i);
        first = i;
        top = topOf(node);
        bottom = bottomOf(node);
    }
    emit(sorted.size());
}

// Written as !(stop > start) so that a NaN height draws nothing as well.
bool isEmpty(const Cluster& cluster)
{
    return !(cluster.stop > cluster.start);
}

std::size_t elementCount(const Cluster& cluster)
{
    if (isEmpty(cluster))
        return 0;
    return static_cast<std::size_t>(std::ceil((cluster.stop - cluster.start) / sampleStep)) + elementsBesideSamples;
}

// The cube sum merges overlapping bulges into one swell that never dips below the highest
// of them. A lone contributor is returned as is, which keeps a single bulge exact and
// skips the cube root on rows where bulges do not overlap.
double offset(const Cluster& cluster, double y)
{
    double cubes = 0;
    double last = 0;
    int contributors = 0;
    for (const BezelNode* node = cluster.begin; node != cluster.end; ++node) {
        const double b = profile(*node, y);
        if (b > 0) {
            cubes += b * b * b;
            last = b;
            ++contributors;
        }
    }
    return contributors > 1 ? std::cbrt(cubes) : last;
}

void appendCluster(const Cluster& cluster, double width, Path& out)
{
    if (isEmpty(cluster))
        return;
    out.moveTo(width, cluster.start);
    // Rows are start + i rather than an accumulated y so that long spans do not drift.
    for (double i = 0;; ++i) {
        const double y = cluster.start + i * sampleStep;
        if (!(y < cluster.stop))
            break;
        out.lineTo(width - offset(cluster, y), y);
    }
    out.lineTo(width - offset(cluster, cluster.stop), cluster.stop);
    out.lineTo(width, cluster.stop);
    out.close();
}

double bump(const BezelNode& node, double distance, double fall)
{
    if (distance <= node.core)
        return node.amplitude;
    if (fall <= 0)
        return 0;
    const double t = (distance - node.core) / fall;
    const double u = 1 - t * t;
    return node.amplitude * u * u;
}

double superellipse(double ratio, double exponent)
{
    return std::pow(std::max(0.0, 1 - std::pow(ratio, exponent)), 1 / exponent);
}
} // namespace

double profile(const BezelNode& node, double y)
{
    if (!(node.amplitude > 0))
        return 0;
    const double distance = std::abs(y - node.center);
    const double fall = y >= node.center ? node.falloffBottom : node.falloffTop;
    const double reach = node.core + fall;
    if (reach <= 0 || distance >= reach)
        return 0;
    const double b = bump(node, distance, fall);
    if (!(node.squircle > squircleThreshold))
        return b;
    const double flat = node.amplitude * superellipse(distance / reach, node.squircleExponent);
    return b + node.squircle * (flat - b);
}

void path(const std::vector<BezelNode>& nodes, double width, double height, Path& out)
{
    out.clear();
    const std::vector<BezelNode>& sorted = visibleSorted(nodes);
    if (sorted.empty())
        return;
    std::size_t total = 0;
    forEachCluster(sorted, height, [&](const Cluster& cluster) { total += elementCount(cluster); });
    out.elements.reserve(total);
    forEachCluster(sorted, height, [&](const Cluster& cluster) { appendCluster(cluster, width, out); });
}

Path path(const std::vector<BezelNode>& nodes, double width, double height)
{
    Path out;
    path(nodes, width, height, out);
    return out;
}

} // namespace kestrane::BezelGeometry
