#pragma once

#include "engine/Dropzone.h"
#include "engine/SpringValue.h"

namespace kestrane {

// The animated state of one pocket.
struct BlobRuntime {
    Dropzone config;
    SpringValue y;
    SpringValue amplitude;
    SpringValue life = SpringValue::atRest(1);
    SpringValue lean;
    SpringValue swallow;
    int itemCount = 0;
    double targetY = 0;
    bool isDying = false;
    double proximity = 0;
    SpringValue arrange;
    bool wasAgainstWall = false;
    bool wasBrushed = false;

    bool isLiving() const { return !isDying; }
    bool operator==(const BlobRuntime&) const = default;
};

} // namespace kestrane
