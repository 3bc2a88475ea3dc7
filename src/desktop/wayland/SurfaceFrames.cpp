#include "wayland/SurfaceFrames.h"

#include <QPainter>
#include <QTimer>

#include <wayland-client.h>

namespace kestrane {

namespace {
// Enough for one frame on screen, one the compositor still reads, and one being painted.
constexpr std::size_t maxBuffers = 3;
constexpr int busyRetryDelay = 16;

QRect deviceRect(const QRect& logical, int scale)
{
    return { logical.topLeft() * scale, logical.size() * scale };
}
} // namespace

const wl_callback_listener SurfaceFrames::frameListener {
    [](void* data, wl_callback*, std::uint32_t) { static_cast<SurfaceFrames*>(data)->frameDone(); },
};

SurfaceFrames::SurfaceFrames(wl_shm* shm, Painter paint)
    : shm_(shm)
    , paint_(std::move(paint))
{
}

SurfaceFrames::~SurfaceFrames()
{
    detach();
}

void SurfaceFrames::attach(wl_surface* surface, int scale)
{
    detach();
    surface_ = surface;
    scale_ = scale;
    wl_surface_set_buffer_scale(surface_, scale_);
}

void SurfaceFrames::detach()
{
    if (frameCallback_)
        wl_callback_destroy(frameCallback_);
    frameCallback_ = nullptr;
    buffers_.clear();
    surface_ = nullptr;
    size_ = {};
}

void SurfaceFrames::resize(QSize size)
{
    size_ = size;
    buffers_.clear();
    damage_ = QRect(QPoint(), size_);
    schedule();
}

void SurfaceFrames::repaint(const QRegion& region)
{
    damage_ += region;
    schedule();
}

void SurfaceFrames::hold(bool held)
{
    held_ = held;
    schedule();
}

// Frames go out one at a time: a new one once the compositor asked for it, so that a
// hidden or slow output is not painted for nothing.
void SurfaceFrames::schedule()
{
    if (held_ || renderQueued_ || frameCallback_ || damage_.isEmpty())
        return;
    renderQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        renderQueued_ = false;
        if (!held_)
            render();
    });
}

void SurfaceFrames::render()
{
    if (!surface_ || size_.isEmpty())
        return;
    ShmBuffer* target = freeBuffer();
    if (!target) {
        // Every buffer is still the compositor's: try again when it may have let one go.
        QTimer::singleShot(busyRetryDelay, this, [this] { schedule(); });
        return;
    }
    const QRegion region = (target->stale + damage_) & QRect(QPoint(), size_);
    for (auto& buffer : buffers_)
        buffer->stale += damage_;
    target->stale = {};
    damage_ = {};
    QImage& image = target->image();
    image.setDevicePixelRatio(scale_);
    {
        QPainter painter(&image);
        painter.setClipRegion(region);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(region.boundingRect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        paint_(painter, region);
    }
    wl_surface_attach(surface_, target->buffer(), 0, 0);
    for (const QRect& rect : region) {
        const QRect device = deviceRect(rect, scale_);
        wl_surface_damage_buffer(surface_, device.x(), device.y(), device.width(), device.height());
    }
    target->handOver();
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &frameListener, this);
    wl_surface_commit(surface_);
}

ShmBuffer* SurfaceFrames::freeBuffer()
{
    const QSize device = size_ * scale_;
    for (auto& buffer : buffers_) {
        if (!buffer->busy() && buffer->size() == device)
            return buffer.get();
    }
    if (buffers_.size() >= maxBuffers)
        return nullptr;
    auto buffer = ShmBuffer::create(shm_, device);
    if (!buffer)
        return nullptr;
    // A new buffer holds nothing yet: all of it must be painted.
    buffer->stale = QRect(QPoint(), size_);
    buffers_.push_back(std::move(buffer));
    return buffers_.back().get();
}

void SurfaceFrames::frameDone()
{
    wl_callback_destroy(frameCallback_);
    frameCallback_ = nullptr;
    schedule();
}

} // namespace kestrane
