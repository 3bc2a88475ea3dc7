#include "wayland/EdgeSentinel.h"

#include "wayland/LayerShellProtocol.h"
#include "wayland/WaylandConnection.h"

#include <wayland-client.h>

namespace kestrane {

const zwlr_layer_surface_v1_listener EdgeSentinel::listener {
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t, std::uint32_t height) {
        static_cast<EdgeSentinel*>(data)->configured(serial, height);
    },
    [](void*, zwlr_layer_surface_v1*) {},
};

EdgeSentinel::EdgeSentinel(WaylandConnection& connection, const WaylandOutput& output)
    : connection_(connection)
    , outputName_(output.name)
    , scale_(output.scale)
    , surface_(wl_compositor_create_surface(connection.compositor()))
    , layer_(zwlr_layer_shell_v1_get_layer_surface(
          connection.layerShell(), surface_, output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "kestrane-edge"))
{
    zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(layer_, 1, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    wl_surface_set_buffer_scale(surface_, scale_);
    wl_surface_commit(surface_);
}

EdgeSentinel::~EdgeSentinel()
{
    zwlr_layer_surface_v1_destroy(layer_);
    wl_surface_destroy(surface_);
}

// A surface shows, and takes the pointer, only once it has a picture: a clear one.
void EdgeSentinel::configured(std::uint32_t serial, std::uint32_t height)
{
    zwlr_layer_surface_v1_ack_configure(layer_, serial);
    const QSize size(scale_, static_cast<int>(height) * scale_);
    if (buffer_ && buffer_->size() == size)
        return wl_surface_commit(surface_);
    buffer_ = ShmBuffer::create(connection_.shm(), size);
    if (!buffer_)
        return;
    buffer_->image().fill(Qt::transparent);
    wl_surface_attach(surface_, buffer_->buffer(), 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, size.width(), size.height());
    wl_surface_commit(surface_);
}

} // namespace kestrane
