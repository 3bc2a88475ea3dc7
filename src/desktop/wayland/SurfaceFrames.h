#pragma once

#include "wayland/ShmBuffer.h"

#include <QObject>
#include <QRegion>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
struct wl_callback;
struct wl_callback_listener;
struct wl_shm;
struct wl_surface;

namespace kestrane {

// The frames of a surface: what changed is painted into a shared-memory buffer the
// compositor is not reading, only where it changed since that buffer was painted, and
// handed over no faster than the compositor asks for frames. Nothing runs while nothing
// changes.
class SurfaceFrames final : public QObject {
public:
    using Painter = std::function<void(QPainter&, const QRegion&)>;

    SurfaceFrames(wl_shm* shm, Painter paint);
    ~SurfaceFrames() override;

    // The surface to show frames on, at this many device pixels per logical pixel; its
    // size is known at the first `resize`.
    void attach(wl_surface* surface, int scale);
    void detach();
    void resize(QSize size);
    void repaint(const QRegion& region);
    // While held, no frame goes out: what changes meanwhile is shown once it is let go.
    void hold(bool held);

private:
    void schedule();
    void render();
    ShmBuffer* freeBuffer();
    void frameDone();

    static const struct wl_callback_listener frameListener;

    wl_shm* shm_;
    Painter paint_;
    wl_surface* surface_ = nullptr;
    int scale_ = 1;
    QSize size_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    QRegion damage_;
    wl_callback* frameCallback_ = nullptr;
    bool renderQueued_ = false;
    bool held_ = false;
};

} // namespace kestrane
