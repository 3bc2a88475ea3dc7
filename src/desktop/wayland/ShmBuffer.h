#pragma once

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <memory>

struct wl_buffer;
struct wl_shm;

namespace kestrane {

// A picture in memory shared with the compositor: the edge paints into `image` and the
// compositor reads the same bytes. While the compositor holds it (`busy`), it must not
// be painted into. It remembers what changed on the surface since it was last painted.
class ShmBuffer final {
public:
    // Four bytes a pixel in the compositor's format (by default premultiplied ARGB, which
    // `image` reads). Absent, with a line saying why, when the memory cannot be had.
    static constexpr std::uint32_t premultipliedArgb = 0;
    static std::unique_ptr<ShmBuffer> create(wl_shm* shm, QSize devicePixels, std::uint32_t format = premultipliedArgb);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* buffer() const { return buffer_; }
    QImage& image() { return image_; }
    QSize size() const { return image_.size(); }
    bool busy() const { return busy_; }
    void handOver() { busy_ = true; }
    // In surface coordinates: what changed since this buffer was painted last.
    QRegion stale;

private:
    ShmBuffer(wl_buffer* buffer, void* memory, std::size_t bytes, QSize size);

    wl_buffer* buffer_;
    void* memory_;
    std::size_t bytes_;
    QImage image_;
    bool busy_ = false;
};

} // namespace kestrane
