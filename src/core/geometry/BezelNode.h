#pragma once

namespace kestrane {

// The shape of one bulge of the edge outline.
struct BezelNode {
    double center = 0;
    double amplitude = 0;
    double core = 0;
    double falloffTop = 0;
    double falloffBottom = 0;
    double squircle = 0;
    double squircleExponent = 0;

    double reachTop() const { return core + falloffTop; }
    double reachBottom() const { return core + falloffBottom; }
    bool operator==(const BezelNode&) const = default;
};

} // namespace kestrane
