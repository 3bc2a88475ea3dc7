#pragma once

#include <QPainterPath>

namespace kestrane::glyphs {

// Symbols for round buttons, as paths about the button's centre in points, about 15 across.
// All but the gear are lines to stroke; the gear is a filled outline.
QPainterPath checkmark();
QPainterPath pencil();
QPainterPath gear();
QPainterPath minus();
// An arrow that turns back on itself, for putting something back.
QPainterPath putBackArrow();

} // namespace kestrane::glyphs
