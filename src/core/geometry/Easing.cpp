#include "geometry/Easing.h"

#include <algorithm>

namespace kestrane {

double smoothstep(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

} // namespace kestrane
