#include "wayland/ScreenCopy.h"

#include "platform/Log.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <optional>

namespace kestrane {

namespace {
// Longer than any composing takes, even on a loaded machine.
constexpr int answerTimeout = 1000;

// How a pixel of the compositor's format reads as 0xAARRGGBB: as it is, or with red and
// blue swapped; none for formats the edge does not read.
enum class Order { argb, abgr };
std::optional<Order> orderOf(std::uint32_t format)
{
    switch (format) {
    case WL_SHM_FORMAT_ARGB8888:
    case WL_SHM_FORMAT_XRGB8888:
        return Order::argb;
    case WL_SHM_FORMAT_ABGR8888:
    case WL_SHM_FORMAT_XBGR8888:
        return Order::abgr;
    default:
        return std::nullopt;
    }
}

// The copied pixels, upright and opaque: the compositor's alpha (or padding) is not the
// desktop's.
QImage opaqueUpright(const QImage& copied, Order order, bool upsideDown)
{
    QImage picture(copied.size(), QImage::Format_RGB32);
    for (int y = 0; y < copied.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(copied.constScanLine(upsideDown ? copied.height() - 1 - y : y));
        auto* to = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < copied.width(); ++x) {
            const QRgb pixel = from[x];
            to[x] = order == Order::argb ? pixel | 0xff000000u : qRgb(qBlue(pixel), qGreen(pixel), qRed(pixel));
        }
    }
    return picture;
}
} // namespace

const zwlr_screencopy_frame_v1_listener ScreenCopy::frameListener {
    [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width, std::uint32_t height, std::uint32_t stride) {
        static_cast<ScreenCopy*>(data)->offered(format, QSize(static_cast<int>(width), static_cast<int>(height)), stride);
    },
    [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
        static_cast<ScreenCopy*>(data)->upsideDown_ = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
    },
    [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) { static_cast<ScreenCopy*>(data)->ready(); },
    [](void* data, zwlr_screencopy_frame_v1*) {
        logLine("Kestrane: the compositor gave no picture of the screen; the backdrop only dims it");
        static_cast<ScreenCopy*>(data)->finish();
    },
    [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void* data, zwlr_screencopy_frame_v1*) { static_cast<ScreenCopy*>(data)->copy(); },
};

ScreenCopy::ScreenCopy(zwlr_screencopy_manager_v1* manager, wl_shm* shm, std::function<void()> finished)
    : manager_(manager)
    , shm_(shm)
    , finished_(std::move(finished))
{
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(answerTimeout);
    QObject::connect(&giveUp_, &QTimer::timeout, [this] {
        logLine("Kestrane: the compositor did not answer for a picture of the screen; the backdrop only dims it");
        finish();
    });
}

ScreenCopy::~ScreenCopy()
{
    clear();
}

void ScreenCopy::capture(wl_output* output)
{
    if (frame_)
        zwlr_screencopy_frame_v1_destroy(frame_);
    size_ = {};
    upsideDown_ = false;
    frame_ = zwlr_screencopy_manager_v1_capture_output(manager_, 0, output);
    zwlr_screencopy_frame_v1_add_listener(frame_, &frameListener, this);
    giveUp_.start();
}

void ScreenCopy::clear()
{
    giveUp_.stop();
    if (frame_)
        zwlr_screencopy_frame_v1_destroy(frame_);
    frame_ = nullptr;
    buffer_.reset();
    picture_ = QImage();
}

// A compositor may offer several kinds of buffer; before version 3 it offers only shared
// memory, and the copy is asked for at once.
void ScreenCopy::offered(std::uint32_t format, QSize size, std::uint32_t stride)
{
    format_ = format;
    size_ = size;
    stride_ = stride;
    if (zwlr_screencopy_manager_v1_get_version(manager_) < 3)
        copy();
}

void ScreenCopy::copy()
{
    const bool readable = orderOf(format_) && !size_.isEmpty() && stride_ == static_cast<std::uint32_t>(size_.width()) * 4;
    if (!readable) {
        logLine("Kestrane: the compositor offers the screen's picture in a form the edge cannot read; the backdrop only dims it");
        finish();
        return;
    }
    if (!buffer_ || buffer_->size() != size_)
        buffer_ = ShmBuffer::create(shm_, size_, format_);
    if (!buffer_) {
        finish();
        return;
    }
    zwlr_screencopy_frame_v1_copy(frame_, buffer_->buffer());
}

void ScreenCopy::ready()
{
    picture_ = opaqueUpright(buffer_->image(), *orderOf(format_), upsideDown_);
    finish();
}

void ScreenCopy::finish()
{
    giveUp_.stop();
    if (frame_)
        zwlr_screencopy_frame_v1_destroy(frame_);
    frame_ = nullptr;
    finished_();
}

} // namespace kestrane
