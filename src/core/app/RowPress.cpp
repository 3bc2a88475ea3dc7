#include "app/RowPress.h"

#include <cmath>

namespace kestrane {

bool RowPress::becomesDrag(Point to)
{
    if (!downAt_ || std::hypot(to.x - downAt_->x, to.y - downAt_->y) <= dragThreshold)
        return false;
    downAt_.reset();
    return true;
}

bool RowPress::release()
{
    const bool click = downAt_.has_value();
    downAt_.reset();
    return click;
}

} // namespace kestrane
