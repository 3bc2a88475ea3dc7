#pragma once

#include "wayland/ShmBuffer.h"

#include <QImage>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

struct wl_output;
struct wl_shm;
struct zwlr_screencopy_frame_v1;
struct zwlr_screencopy_frame_v1_listener;
struct zwlr_screencopy_manager_v1;

namespace kestrane {

// A picture of one output as the compositor last composed it (wlroots' screen copy),
// copied into shared memory and kept upright and opaque (RGB32, device pixels). It holds
// whatever the output shows, the program's own surface included.
class ScreenCopy final {
public:
    // `finished` is told when a capture brought a picture or failed.
    ScreenCopy(zwlr_screencopy_manager_v1* manager, wl_shm* shm, std::function<void()> finished);
    ~ScreenCopy();
    ScreenCopy(const ScreenCopy&) = delete;
    ScreenCopy& operator=(const ScreenCopy&) = delete;

    // Starts taking a picture of the output; the one held stays until it arrives.
    void capture(wl_output* output);
    bool capturing() const { return frame_ != nullptr; }
    // Forgets the picture and any capture under way.
    void clear();
    // Null until a capture brought one.
    const QImage& picture() const { return picture_; }

private:
    void offered(std::uint32_t format, QSize size, std::uint32_t stride);
    void copy();
    void ready();
    void finish();

    static const struct zwlr_screencopy_frame_v1_listener frameListener;

    zwlr_screencopy_manager_v1* manager_;
    wl_shm* shm_;
    std::function<void()> finished_;
    zwlr_screencopy_frame_v1* frame_ = nullptr;
    // The shared-memory buffer the compositor asked for, and whether it sends rows bottom first.
    std::uint32_t format_ = 0;
    QSize size_;
    std::uint32_t stride_ = 0;
    bool upsideDown_ = false;
    std::unique_ptr<ShmBuffer> buffer_;
    QImage picture_;
    // A compositor that stops composing (an output switched off) never answers.
    QTimer giveUp_;
};

} // namespace kestrane
