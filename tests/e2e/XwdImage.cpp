#include "XwdImage.h"

#include "TemporaryFolder.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace kestrane::e2e {

namespace {
// The header's fields, each a big-endian 32-bit word, in file order.
enum Field {
    headerSize, fileVersion, pixmapFormat, pixmapDepth, pixmapWidth, pixmapHeight, xOffset, byteOrder,
    bitmapUnit, bitmapBitOrder, bitmapPad, bitsPerPixel, bytesPerLine, visualClass, redMask, greenMask,
    blueMask, bitsPerRgb, colormapEntries, colorCount, fieldCount
};
constexpr std::uint32_t supportedVersion = 7;
constexpr std::uint32_t zPixmap = 2;
constexpr std::uint32_t colorEntrySize = 12;

std::uint32_t word(const std::string& data, std::size_t offset, bool mostSignificantFirst)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t index = mostSignificantFirst ? i : 3 - i;
        value = value << 8 | static_cast<unsigned char>(data.at(offset + index));
    }
    return value;
}

int channel(std::uint32_t value, std::uint32_t mask)
{
    const auto shifted = (value & mask) >> std::countr_zero(mask);
    const auto maximum = mask >> std::countr_zero(mask);
    return static_cast<int>(shifted * 255 / maximum);
}
} // namespace

int Rgb::brightest() const
{
    return std::max({ red, green, blue });
}

int Rgb::darkest() const
{
    return std::min({ red, green, blue });
}

XwdImage XwdImage::read(const std::filesystem::path& file)
{
    const std::string data = testing::readFile(file);
    if (data.size() < fieldCount * 4)
        throw std::runtime_error("not an XWD file: " + file.string());
    std::uint32_t header[fieldCount];
    for (int i = 0; i < fieldCount; ++i)
        header[i] = word(data, static_cast<std::size_t>(i) * 4, true);
    if (header[fileVersion] != supportedVersion || header[pixmapFormat] != zPixmap || header[bitsPerPixel] != 32)
        throw std::runtime_error("unsupported XWD layout in " + file.string());

    XwdImage image;
    image.width_ = static_cast<int>(header[pixmapWidth]);
    image.height_ = static_cast<int>(header[pixmapHeight]);
    image.bytesPerLine_ = header[bytesPerLine];
    image.mostSignificantFirst_ = header[byteOrder] != 0;
    image.masks_[0] = header[redMask];
    image.masks_[1] = header[greenMask];
    image.masks_[2] = header[blueMask];
    const std::size_t pixelsStart = header[headerSize] + std::size_t { header[colorCount] } * colorEntrySize;
    if (data.size() < pixelsStart + std::size_t { image.bytesPerLine_ } * header[pixmapHeight])
        throw std::runtime_error("truncated XWD file: " + file.string());
    image.data_ = data.substr(pixelsStart);
    return image;
}

Rgb XwdImage::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel outside the screenshot");
    const std::size_t offset = std::size_t { bytesPerLine_ } * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * 4;
    const std::uint32_t value = word(data_, offset, mostSignificantFirst_);
    return { channel(value, masks_[0]), channel(value, masks_[1]), channel(value, masks_[2]) };
}

} // namespace kestrane::e2e
