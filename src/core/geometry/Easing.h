#pragma once

#include <algorithm>

namespace kestrane {

// t clamped to [0, 1]: a spring's progress may overshoot what an opacity or a mix accepts.
inline double clamp01(double t)
{
    return std::clamp(t, 0.0, 1.0);
}

// S(t) = t²(3 − 2t) on t clamped to [0, 1].
double smoothstep(double t);

} // namespace kestrane
