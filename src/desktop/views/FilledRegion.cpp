#include "views/FilledRegion.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrane {

namespace {
struct Crossing {
    double x;
    int direction;
};

using Rows = std::vector<std::vector<Crossing>>;

// Where each edge crosses the centre line of each pixel row it spans.
void addCrossings(const QPolygonF& polygon, const QRect& clip, Rows& rows)
{
    const int count = static_cast<int>(polygon.size());
    for (int i = 0; i < count; ++i) {
        const QPointF a = polygon[i];
        const QPointF b = polygon[(i + 1) % count];
        if (a.y() == b.y())
            continue;
        const int first = std::max(clip.top(), static_cast<int>(std::ceil(std::min(a.y(), b.y()) - 0.5)));
        const int last = std::min(clip.bottom(), static_cast<int>(std::ceil(std::max(a.y(), b.y()) - 0.5)) - 1);
        const double slope = (b.x() - a.x()) / (b.y() - a.y());
        for (int y = first; y <= last; ++y)
            rows[static_cast<std::size_t>(y - clip.top())].push_back({ a.x() + (y + 0.5 - a.y()) * slope, b.y() > a.y() ? 1 : -1 });
    }
}

// The spans of one row: from where the row enters the path to where it leaves it.
std::vector<std::pair<int, int>> spansOf(std::vector<Crossing>& crossings, const QRect& clip, Qt::FillRule rule)
{
    const auto inside = [rule](int winding) { return rule == Qt::WindingFill ? winding != 0 : winding % 2 != 0; };
    std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
    std::vector<std::pair<int, int>> spans;
    int winding = 0;
    double start = 0;
    for (const Crossing& crossing : crossings) {
        const bool wasInside = inside(winding);
        winding += crossing.direction;
        if (!wasInside && inside(winding)) {
            start = crossing.x;
        } else if (wasInside && !inside(winding)) {
            const int left = std::max(clip.left(), static_cast<int>(std::ceil(start - 0.5)));
            const int right = std::min(clip.right() + 1, static_cast<int>(std::ceil(crossing.x - 0.5)));
            if (right > left)
                spans.emplace_back(left, right);
        }
    }
    return spans;
}
} // namespace

QRegion filledRegion(const QPainterPath& path, const QRect& clip)
{
    if (clip.isEmpty())
        return {};
    Rows rows(static_cast<std::size_t>(clip.height()));
    for (const QPolygonF& polygon : path.toFillPolygons())
        addCrossings(polygon, clip, rows);

    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> previous;
    std::size_t previousFirst = 0;
    for (int y = clip.top(); y <= clip.bottom(); ++y) {
        std::vector<std::pair<int, int>> spans = spansOf(rows[static_cast<std::size_t>(y - clip.top())], clip, path.fillRule());
        if (!spans.empty() && spans == previous) {
            for (std::size_t i = previousFirst; i < rects.size(); ++i)
                rects[i].setBottom(y);
            continue;
        }
        previousFirst = rects.size();
        for (const auto& [left, right] : spans)
            rects.emplace_back(left, y, right - left, 1);
        previous = std::move(spans);
    }
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

} // namespace kestrane
