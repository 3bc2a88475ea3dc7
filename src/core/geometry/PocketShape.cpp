#include "geometry/PocketShape.h"

#include <cmath>

namespace kestrane {

double heft(int itemCount)
{
    if (itemCount <= 0)
        return 0;
    return 5.5 + 8.5 * (1 - std::exp(-(itemCount - 1) / 3.2));
}

} // namespace kestrane
