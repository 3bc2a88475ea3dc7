#include "views/GaussianBlur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kestrane {

namespace {
constexpr double negligibleSigma = 0.1;
// The standard deviation left for the blur at the small scale never drops below this many
// of its pixels, where a sampled Gaussian still is one.
constexpr double smallestSigma = 0.9;
constexpr int largestFactor = 4;
// The kernel reaches three standard deviations: what lies beyond weighs under 0.3 %.
constexpr double kernelReach = 3;

std::vector<float> kernelFor(double sigma)
{
    const int reach = std::max(1, static_cast<int>(std::ceil(kernelReach * sigma)));
    std::vector<float> weights(static_cast<std::size_t>(2 * reach + 1));
    double sum = 0;
    for (int i = -reach; i <= reach; ++i) {
        const double weight = std::exp(-0.5 * i * i / (sigma * sigma));
        weights[static_cast<std::size_t>(i + reach)] = static_cast<float>(weight);
        sum += weight;
    }
    for (float& weight : weights)
        weight = static_cast<float>(weight / sum);
    return weights;
}

std::uint8_t rounded(float value)
{
    return static_cast<std::uint8_t>(std::min(value + 0.5F, 255.0F));
}

// One row of pixels convolved along itself into out; its ends are extended.
void convolveRow(const std::uint8_t* in, std::uint8_t* out, int width, const std::vector<float>& kernel)
{
    const int reach = static_cast<int>(kernel.size() / 2);
    for (int x = 0; x < width; ++x) {
        float channels[4] = { 0, 0, 0, 0 };
        for (int k = -reach; k <= reach; ++k) {
            const std::uint8_t* pixel = in + 4 * std::clamp(x + k, 0, width - 1);
            const float weight = kernel[static_cast<std::size_t>(k + reach)];
            for (int c = 0; c < 4; ++c)
                channels[c] += weight * static_cast<float>(pixel[c]);
        }
        for (int c = 0; c < 4; ++c)
            out[4 * x + c] = rounded(channels[c]);
    }
}

// Row y of the output of the vertical pass: the rows around it weighted, whole rows at a
// time so that memory is read in order.
void convolveColumns(const QImage& in, QImage& out, int y, const std::vector<float>& kernel, std::vector<float>& sums)
{
    const int reach = static_cast<int>(kernel.size() / 2);
    std::fill(sums.begin(), sums.end(), 0.0F);
    for (int k = -reach; k <= reach; ++k) {
        const std::uint8_t* row = in.constScanLine(std::clamp(y + k, 0, in.height() - 1));
        const float weight = kernel[static_cast<std::size_t>(k + reach)];
        for (std::size_t i = 0; i < sums.size(); ++i)
            sums[i] += weight * static_cast<float>(row[i]);
    }
    std::uint8_t* target = out.scanLine(y);
    for (std::size_t i = 0; i < sums.size(); ++i)
        target[i] = rounded(sums[i]);
}

QImage sampledGaussian(const QImage& picture, double sigma)
{
    QImage source = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!(sigma >= negligibleSigma) || source.isNull())
        return source;
    const std::vector<float> kernel = kernelFor(sigma);
    QImage across(source.size(), QImage::Format_ARGB32_Premultiplied);
    const int width = source.width();
    const int height = source.height();
    for (int y = 0; y < height; ++y)
        convolveRow(source.constScanLine(y), across.scanLine(y), width, kernel);
    std::vector<float> sums(static_cast<std::size_t>(width) * 4);
    for (int y = 0; y < height; ++y)
        convolveColumns(across, source, y, kernel, sums);
    return source;
}

// The picture shrunk by a whole factor, each pixel the mean of the block it replaces.
QImage shrunk(const QImage& picture, int factor)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (factor <= 1 || source.isNull())
        return source;
    const int width = (source.width() + factor - 1) / factor;
    const int height = (source.height() + factor - 1) / factor;
    QImage small(width, height, QImage::Format_ARGB32_Premultiplied);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width) * 4);
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(width));
    for (int row = 0; row < height; ++row) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        const int lastY = std::min(source.height(), (row + 1) * factor);
        for (int y = row * factor; y < lastY; ++y) {
            const std::uint8_t* line = source.constScanLine(y);
            for (int x = 0; x < source.width(); ++x) {
                const auto column = static_cast<std::size_t>(x / factor);
                for (int c = 0; c < 4; ++c)
                    sums[column * 4 + static_cast<std::size_t>(c)] += line[4 * x + c];
                ++counts[column];
            }
        }
        std::uint8_t* out = small.scanLine(row);
        for (std::size_t column = 0; column < counts.size(); ++column) {
            for (std::size_t c = 0; c < 4; ++c)
                out[column * 4 + c] = static_cast<std::uint8_t>((sums[column * 4 + c] + counts[column] / 2) / counts[column]);
        }
    }
    return small;
}

// What shrinking by the factor (a box of that width) and enlarging back (a bilinear tent of
// that half-width) blur on their own: the sum of their variances, in full pixels squared.
double scalingVariance(int factor)
{
    return (3.0 * factor * factor - 1) / 12;
}

int reductionFor(double sigma)
{
    int factor = largestFactor;
    while (factor > 1 && sigma * sigma - scalingVariance(factor) < smallestSigma * smallestSigma * factor * factor)
        --factor;
    return factor;
}

QImage enlarged(const QImage& small, int factor, QSize size)
{
    if (factor == 1)
        return small;
    QImage large(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&large);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF covered(static_cast<double>(size.width()) / factor, static_cast<double>(size.height()) / factor);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), small, QRectF(QPointF(0, 0), covered));
    return large;
}

} // namespace

QImage gaussianBlurred(const QImage& picture, double sigma)
{
    if (!(sigma >= negligibleSigma))
        return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int factor = reductionFor(sigma);
    const double leftOver = std::sqrt(std::max(sigma * sigma - scalingVariance(factor), 0.0)) / factor;
    return enlarged(sampledGaussian(shrunk(picture, factor), leftOver), factor, picture.size());
}

} // namespace kestrane
