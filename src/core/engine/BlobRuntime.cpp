#include "engine/BlobRuntime.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

double heft(int itemCount)
{
    if (itemCount <= 0)
        return 0;
    return 5.5 + 8.5 * (1 - std::exp(-(itemCount - 1) / 3.2));
}

double smoothstep(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

} // namespace kestrane
