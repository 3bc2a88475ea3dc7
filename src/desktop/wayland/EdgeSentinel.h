#pragma once

#include "wayland/ShmBuffer.h"

#include <cstdint>
#include <memory>

struct wl_surface;
struct zwlr_layer_surface_v1;
struct zwlr_layer_surface_v1_listener;

namespace kestrane {

class WaylandConnection;
struct WaylandOutput;

// The right-most column of an output the edge is not on: a surface one point wide, showing
// nothing, that tells when the pointer comes to that output's edge, so that the pockets can
// follow it there. The compositor says where the pointer is only over the program's own
// surfaces.
class EdgeSentinel final {
public:
    EdgeSentinel(WaylandConnection& connection, const WaylandOutput& output);
    ~EdgeSentinel();
    EdgeSentinel(const EdgeSentinel&) = delete;
    EdgeSentinel& operator=(const EdgeSentinel&) = delete;

    std::uint32_t outputName() const { return outputName_; }
    wl_surface* surface() const { return surface_; }

private:
    void configured(std::uint32_t serial, std::uint32_t height);

    static const struct zwlr_layer_surface_v1_listener listener;

    WaylandConnection& connection_;
    std::uint32_t outputName_;
    int scale_;
    wl_surface* surface_;
    zwlr_layer_surface_v1* layer_;
    std::unique_ptr<ShmBuffer> buffer_;
};

} // namespace kestrane
