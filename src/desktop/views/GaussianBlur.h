#pragma once

#include <QImage>

namespace kestrane {

// The picture blurred by a Gaussian of standard deviation sigma (pixels), edges extended,
// as premultiplied ARGB; a sigma of 0 answers the picture as it is.
//
// Large blurs are worked out at a reduced resolution (a quarter in each direction from a
// sigma of about 4) and scaled back up: the shrinking and the bilinear enlarging blur on
// their own, and the Gaussian at the small scale is narrowed by what they add, so that the
// whole matches a Gaussian of sigma within a few percent of intensity.
QImage gaussianBlurred(const QImage& picture, double sigma);

} // namespace kestrane
