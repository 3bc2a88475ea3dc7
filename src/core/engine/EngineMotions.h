#pragma once

#include "engine/SpringValue.h"

namespace kestrane {

// Springs that more than one part of the engine's step moves by.

// What edit mode adds (its chrome, the swells, the panel) collapses quickly and without
// overshoot as it closes.
constexpr SpringMotion editClosingMotion { 0.15, 1.0 };
// Edit mode coming in, and pockets entering or leaving their arranging state.
constexpr SpringMotion editOpeningMotion { 0.45, 0.88 };
// A bulge swelling toward the pointer or a drag, and leaning toward it.
constexpr SpringMotion swellMotion { 0.3, 0.72 };

} // namespace kestrane
