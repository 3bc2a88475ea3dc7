#pragma once

#include "geometry/InkField.h"
#include "geometry/Path.h"
#include "geometry/ScreenPerimeter.h"

namespace kestrane::InkGeometry {

// The fillable outline of the whole ink band: closed triangles between an outer rim one
// corner radius outside the screen and the ink's inner edge, sampled every few points of
// the border. Every triangle winds the same way, so a non-zero fill is solid where they
// overlap.
Path path(const InkField& field, const ScreenPerimeter& perimeter);

// Same outline written into out, which is cleared first; the frame loop passes the same
// Path every frame so its storage is reused.
void path(const InkField& field, const ScreenPerimeter& perimeter, Path& out);

// The same band as closed outlines rather than triangles, for drawing: out along the outer
// rim and back along the ink's inner edge for each run of ink, or, when the ink runs all
// round, the inner ring inside a rectangle just round the screen. Filled by the non-zero
// rule it covers on the screen what the triangles do, without thousands of overlapping
// edges for a rasteriser to sort.
void band(const InkField& field, const ScreenPerimeter& perimeter, Path& out);

} // namespace kestrane::InkGeometry
