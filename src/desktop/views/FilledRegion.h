#pragma once

#include <QPainterPath>
#include <QRect>
#include <QRegion>

namespace kestrane {

// The pixels of `clip` whose centres lie inside the path (by its fill rule), as rows of
// rectangles, rows with the same spans merged. Scan-converts the flattened path directly,
// many times faster than building a QRegion from its polygon.
QRegion filledRegion(const QPainterPath& path, const QRect& clip);

} // namespace kestrane
