#pragma once

namespace kestrane {

// S(t) = t²(3 − 2t) on t clamped to [0, 1].
double smoothstep(double t);

} // namespace kestrane
