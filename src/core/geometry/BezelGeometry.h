#pragma once

#include "geometry/BezelNode.h"
#include "geometry/Path.h"

#include <vector>

namespace kestrane::BezelGeometry {

// The edge outline for a set of bulges: one closed subpath per group of overlapping
// nodes, drawn against the vertical line x = width and bulging leftward. Only the rows a
// group covers are sampled, clipped to one point beyond the top and bottom of the canvas.
Path path(const std::vector<BezelNode>& nodes, double width, double height);

// Same outline written into out, which is cleared first; the frame loop passes the same
// Path every frame so its storage is reused.
void path(const std::vector<BezelNode>& nodes, double width, double height, Path& out);

// How far one node's outline reaches out of the edge at height y; 0 outside its reach.
double profile(const BezelNode& node, double y);

} // namespace kestrane::BezelGeometry
