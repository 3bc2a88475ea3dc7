#pragma once

#include "edge/EdgeSurface.h"
#include "pockets/ResolvedPocketItem.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct wl_compositor;
struct wl_data_source;
struct wl_data_source_listener;
struct wl_display;
struct wl_shm;
struct wl_surface;

namespace kestrane {

class ShmBuffer;
class WaylandDataDevice;

// A drag that carries pocket items out of the edge's surface to another program, as the
// compositor runs it: the items' files and, for one text, link or picture, its content,
// offered for copying only, under the items' icons. It runs until the drop or the cancel.
class WaylandDrag final {
public:
    // Each form offered, by its MIME type, with its bytes.
    using Forms = std::vector<std::pair<QByteArray, QByteArray>>;
    struct Origin {
        wl_surface* surface = nullptr;
        // The serial of the press the drag grows out of.
        std::uint32_t serial = 0;
        int scale = 1;
    };
    // How soon a drag the compositor ignored (a press already released) is given up.
    static constexpr int startTimeoutMs = 300;

    WaylandDrag(wl_display* display, wl_compositor* compositor, wl_shm* shm, WaylandDataDevice& device);

    EdgeSurface::DragOutcome run(const ResolvedPocketItems& items, int iconSize, const Origin& origin);

private:
    enum class State { running, released, finished, cancelled };

    std::unique_ptr<ShmBuffer> showIcon(wl_surface* icon, const QImage& picture, int scale) const;
    void send(const char* type, int fd);

    static const struct wl_data_source_listener sourceListener;

    wl_display* display_;
    wl_compositor* compositor_;
    wl_shm* shm_;
    WaylandDataDevice& device_;
    // While a drag runs.
    Forms forms_;
    State state_ = State::running;
    bool readAfterRelease_ = false;
    // The compositor said anything of the drag: it runs.
    bool heard_ = false;
};

} // namespace kestrane
