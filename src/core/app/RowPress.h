#pragma once

#include "geometry/Point.h"

#include <optional>

namespace kestrane {

// A press on a drawer row: released where it began it opens the item; moved further than
// a few points it becomes a drag of the item out of the pocket, and can no longer open it.
class RowPress {
public:
    static constexpr double dragThreshold = 5;

    void press(Point at) { downAt_ = at; }
    // True once, at the move that turns the press into a drag.
    bool becomesDrag(Point to);
    // True when the press ends as a click.
    bool release();
    bool isPressed() const { return downAt_.has_value(); }

private:
    std::optional<Point> downAt_;
};

} // namespace kestrane
