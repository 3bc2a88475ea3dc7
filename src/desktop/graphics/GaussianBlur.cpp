#include "graphics/GaussianBlur.h"

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

// One row of pixels convolved along itself into out, its ends extended: the row is widened
// by the kernel's reach on each side into `padded`, then each weight is added across the
// whole row at once, which the compiler turns into vector instructions.
void convolveRow(const std::uint8_t* in, std::uint8_t* out, int width, const std::vector<float>& kernel, std::vector<float>& padded,
    std::vector<float>& sums)
{
    const int reach = static_cast<int>(kernel.size() / 2);
    const auto channels = static_cast<std::size_t>(width) * 4;
    for (int x = -reach; x < width + reach; ++x) {
        const std::uint8_t* pixel = in + 4 * std::clamp(x, 0, width - 1);
        float* target = padded.data() + 4 * (x + reach);
        for (int c = 0; c < 4; ++c)
            target[c] = pixel[c];
    }
    std::fill(sums.begin(), sums.begin() + static_cast<std::ptrdiff_t>(channels), 0.0F);
    for (std::size_t k = 0; k < kernel.size(); ++k) {
        const float weight = kernel[k];
        const float* from = padded.data() + 4 * k;
        for (std::size_t i = 0; i < channels; ++i)
            sums[i] += weight * from[i];
    }
    for (std::size_t i = 0; i < channels; ++i)
        out[i] = rounded(sums[i]);
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
    std::vector<float> sums(static_cast<std::size_t>(width) * 4);
    std::vector<float> padded((static_cast<std::size_t>(width) + kernel.size()) * 4);
    for (int y = 0; y < height; ++y)
        convolveRow(source.constScanLine(y), across.scanLine(y), width, kernel, padded, sums);
    for (int y = 0; y < height; ++y)
        convolveColumns(across, source, y, kernel, sums);
    return source;
}

// The picture shrunk by a whole factor, each pixel the mean of the block it replaces. The
// block's rows are added a whole row of bytes at a time, then each block's columns.
QImage shrunk(const QImage& picture, int factor)
{
    // An opaque picture has the same bytes as a premultiplied one.
    const QImage source = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (factor <= 1 || source.isNull())
        return source;
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    const int width = (sourceWidth + factor - 1) / factor;
    const int height = (sourceHeight + factor - 1) / factor;
    QImage small(width, height, QImage::Format_ARGB32_Premultiplied);
    const auto channels = static_cast<std::size_t>(sourceWidth) * 4;
    std::vector<std::uint32_t> columns(channels);
    for (int row = 0; row < height; ++row) {
        std::fill(columns.begin(), columns.end(), 0);
        const int firstY = row * factor;
        const int lastY = std::min(sourceHeight, firstY + factor);
        for (int y = firstY; y < lastY; ++y) {
            const std::uint8_t* in = source.constScanLine(y);
            for (std::size_t i = 0; i < channels; ++i)
                columns[i] += in[i];
        }
        std::uint8_t* out = small.scanLine(row);
        const auto rows = static_cast<std::uint32_t>(lastY - firstY);
        for (int column = 0; column < width; ++column) {
            const int firstX = column * factor;
            const int lastX = std::min(sourceWidth, firstX + factor);
            const auto count = rows * static_cast<std::uint32_t>(lastX - firstX);
            for (int c = 0; c < 4; ++c) {
                std::uint32_t total = 0;
                for (int x = firstX; x < lastX; ++x)
                    total += columns[static_cast<std::size_t>(x * 4 + c)];
                out[column * 4 + c] = static_cast<std::uint8_t>((total + count / 2) / count);
            }
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

QImage enlarged(const QImage& small, int factor, QSize size, QImage::Format format)
{
    if (factor == 1)
        return small.convertToFormat(format);
    QImage large(size, format);
    QPainter painter(&large);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF covered(static_cast<double>(size.width()) / factor, static_cast<double>(size.height()) / factor);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), small, QRectF(QPointF(0, 0), covered));
    return large;
}

// The picture shrunk by the factor and blurred there by what the shrinking and a later
// bilinear enlarging leave of sigma.
QImage blurredAt(const QImage& picture, double sigma, int factor)
{
    const double leftOver = std::sqrt(std::max(sigma * sigma - scalingVariance(factor), 0.0)) / factor;
    return sampledGaussian(shrunk(picture, factor), leftOver);
}

} // namespace

QImage gaussianBlurred(const QImage& picture, double sigma, BlurQuality quality)
{
    // A blurred opaque picture is as opaque: said so, a painter copies it rather than blends.
    const auto format = picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (!(sigma >= negligibleSigma))
        return picture.convertToFormat(format);
    const int factor = quality == BlurQuality::draft ? largestFactor : reductionFor(sigma);
    return enlarged(blurredAt(picture, sigma, factor), factor, picture.size(), format);
}

ReducedBlur gaussianBlurredReduced(const QImage& picture, double sigma)
{
    if (!(sigma >= negligibleSigma))
        return { picture.convertToFormat(QImage::Format_ARGB32_Premultiplied), 1 };
    const int factor = reductionFor(sigma);
    return { blurredAt(picture, sigma, factor), factor };
}

} // namespace kestrane
