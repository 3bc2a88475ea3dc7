#pragma once

#include "geometry/Path.h"

#include <QPainterPath>

namespace kestrane {

// The same outline as a Qt path, filled by the winding rule so that overlapping subpaths
// never cut holes into each other.
QPainterPath toPainterPath(const Path& path);

// Same conversion written into out, which is cleared first; a frame loop passes the same
// QPainterPath every frame so its storage is reused.
void toPainterPath(const Path& path, QPainterPath& out);

} // namespace kestrane
