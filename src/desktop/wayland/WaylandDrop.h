#pragma once

#include "wayland/OfferReader.h"
#include "wayland/WaylandDataDevice.h"

#include <QPointF>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct wl_display;
struct wl_surface;

namespace kestrane {

class Edge;

// Drags of other programs over the edge's surface: while one passes, the edge hears where it
// is and says whether a pocket would take it, which the source is told (a copy, in the one
// form a pocket keeps best). At the drop that form is read in the background; only what
// arrived whole is dropped into the pocket, else the drop is refused and nothing is stored.
class WaylandDrop final {
public:
    // The edge a drag over this surface reaches; null for another of the program's surfaces.
    using EdgeOver = std::function<Edge*(wl_surface*)>;

    WaylandDrop(wl_display* display, WaylandDataDevice& device, EdgeOver edgeOver);
    ~WaylandDrop();
    WaylandDrop(const WaylandDrop&) = delete;
    WaylandDrop& operator=(const WaylandDrop&) = delete;

    void entered(std::uint32_t serial, wl_surface* surface, QPointF at, const WaylandDataDevice::Offer& offer);
    void moved(QPointF at);
    void left();
    void dropped();

private:
    struct Passing {
        Edge* edge = nullptr;
        wl_data_offer* offer = nullptr;
        std::uint32_t serial = 0;
        std::string type;
        QPointF at;
        bool targeted = false;
    };

    void answer(bool targeted);
    void take(const Passing& drop, std::optional<QByteArray> bytes);
    void forget(Passing& passing);

    WaylandDataDevice& device_;
    EdgeOver edgeOver_;
    Passing passing_;
    // A drop whose content is still being read.
    Passing dropping_;
    OfferReader reader_;
};

} // namespace kestrane
