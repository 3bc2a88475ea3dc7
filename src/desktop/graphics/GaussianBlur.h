#pragma once

#include <QImage>

namespace kestrane {

// A draft blur works at the smallest resolution whatever the sigma: it spreads as far as the
// Gaussian does but is shaped less like one, several times faster at small sigmas; for a
// blur that changes every few frames, where nobody sees the shape.
enum class BlurQuality { exact, draft };

// The picture blurred by a Gaussian of standard deviation sigma (pixels), edges extended;
// an opaque picture stays opaque (RGB32), others come premultiplied. A sigma of 0 answers
// the picture as it is.
//
// Large blurs are worked out at a reduced resolution (a quarter in each direction from a
// sigma of about 4) and scaled back up: the shrinking and the bilinear enlarging blur on
// their own, and the Gaussian at the small scale is narrowed by what they add, so that the
// whole matches a Gaussian of sigma within a few percent of intensity.
QImage gaussianBlurred(const QImage& picture, double sigma, BlurQuality quality = BlurQuality::exact);

// The same exact blur left at the resolution it was worked out at, for a caller that scales
// it while drawing it anyway: the picture's size divided by `factor`, rounded up, of which
// the original's area is the top-left size / factor.
struct ReducedBlur {
    QImage picture;
    int factor = 1;
};
ReducedBlur gaussianBlurredReduced(const QImage& picture, double sigma);

} // namespace kestrane
