#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrane::e2e {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    int brightest() const;
    int darkest() const;
};

// A screenshot written by `xwd`: a 32-bit TrueColor ZPixmap, the only kind Xvfb at depth
// 24 produces.
class XwdImage {
public:
    static XwdImage read(const std::filesystem::path& file);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb pixel(int x, int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::uint32_t bytesPerLine_ = 0;
    bool mostSignificantFirst_ = false;
    std::uint32_t masks_[3] {};
    std::string data_;
};

} // namespace kestrane::e2e
