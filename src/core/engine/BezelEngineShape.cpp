#include "engine/BezelEngine.h"
#include "geometry/Easing.h"
#include "geometry/PocketShape.h"

#include <algorithm>
#include <cmath>

namespace kestrane {

std::optional<BezelNode> BezelEngine::node(const BlobRuntime& pocket, bool sagging) const
{
    const double life = pocket.life.value;
    if (life <= 0.001)
        return std::nullopt;
    const double y = pocket.y.value;
    const double speed = std::abs(pocket.y.velocity) / 2600;
    const double stretch = speed > 0 ? 1 + std::min(speed, 0.55) : 1;
    const double a = pocket.amplitude.value / std::sqrt(stretch);
    const double k = bulgeSpread(a);
    double s = (0.35 + 0.65 * life) * stretch;
    const int n = pocket.itemCount;
    const double fill = pocketFill(n);

    BezelNode result;
    result.center = y + pocket.lean.value;
    double base;
    if (n == 0) {
        base = 36;
        result.core = 34 * s;
    } else {
        s *= k;
        base = 56;
        result.core = 11 * s;
    }
    // A fuller pocket hangs lower: its outline falls off faster above and slower below.
    result.falloffTop = base * s * (1 - 0.14 * fill);
    result.falloffBottom = base * s * (1 + 0.42 * fill);
    result.squircle = 0;
    result.squircleExponent = 7.5;
    result.amplitude = a;

    const bool isOpen = openZone == pocket.config.id;
    if (isOpen && openProgress.value > drawerShownProgress) {
        const double p = clamp01(openProgress.value);
        const double r1 = clamp01(p / 0.72);
        const double r2 = clamp01((p - 0.22) / 0.78);
        const double r3 = clamp01((p - 0.38) / 0.62);
        const double half = openDrawerHeight(n) / 2;
        const double yt = drawerCentre(y, half);
        result.center += smoothstep(r2) * (yt - y);
        result.amplitude += (drawerWidth - result.amplitude) * smoothstep(r1);
        result.core += smoothstep(r2) * (std::max(10.0, half - 16) - result.core);
        result.squircle = smoothstep(r3);
        result.falloffTop += (16 - result.falloffTop) * result.squircle;
        result.falloffBottom += (16 - result.falloffBottom) * result.squircle;
        const double q = std::min(clearing.value, 1.0);
        if (sagging && purgeZone == pocket.config.id && q > 0.001) {
            result.center += 22 * q;
            result.falloffBottom *= 1 + 1.3 * q;
            result.falloffTop *= 1 - 0.22 * q;
            result.core *= 1 - 0.3 * q;
            result.amplitude *= 1 - 0.1 * q;
        }
    }

    const double w = pocket.swallow.value;
    if (std::abs(w) > 0.001) {
        // An open drawer does not gulp.
        const double f = isOpen ? 1 - clamp01(openProgress.value) : 1;
        const double g = w > 0 ? std::min(w, 1.15) : 0;
        const double shrink = w < 0 ? -w : 0;
        result.amplitude = (result.amplitude + 19 * g * f) * (1 - 0.28 * shrink * f);
        result.falloffTop *= 1 + 0.34 * g * f;
        result.falloffBottom *= 1 + 0.34 * g * f;
    }
    return result;
}

std::vector<BezelNode> BezelEngine::nodes() const
{
    std::vector<BezelNode> result;
    result.reserve(blobs.size() + 1);
    for (const BlobRuntime& pocket : blobs) {
        if (auto n = node(pocket, true))
            result.push_back(*n);
    }
    if (plusAmplitude.value > 0.05)
        result.push_back(plusNode(plusAmplitude.value));
    return result;
}

BezelNode BezelEngine::plusNode(double amplitude)
{
    const double k = bulgeSpread(amplitude);
    return BezelNode { plusCenter, amplitude, 9 * k, 44 * k, 44 * k, 0, 4.5 };
}

} // namespace kestrane
