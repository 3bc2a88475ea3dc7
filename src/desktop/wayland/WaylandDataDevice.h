#pragma once

#include <QPointF>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct wl_data_device;
struct wl_data_device_listener;
struct wl_data_device_manager;
struct wl_data_offer;
struct wl_data_offer_listener;
struct wl_seat;
struct wl_surface;

namespace kestrane {

// The seat's data device: what other programs offer the program's surfaces, as the selection
// (what was last copied) or as a drag passing over them, each offer with the forms it comes
// in. An offer lives until the one it was handed to releases it.
class WaylandDataDevice final {
public:
    struct Offer {
        wl_data_offer* offer = nullptr;
        std::vector<std::string> types;
    };
    struct Handlers {
        // A new selection; its offer is null when nothing is copied.
        std::function<void(const Offer&)> selected;
        // A drag came onto one of the program's surfaces, at a place in it; its offer is null
        // when it carries nothing another program could take.
        std::function<void(std::uint32_t serial, wl_surface*, QPointF, const Offer&)> dragEntered;
        std::function<void(QPointF)> dragMoved;
        std::function<void()> dragLeft;
        std::function<void()> dropped;
    };

    WaylandDataDevice(wl_data_device_manager* manager, wl_seat* seat);
    ~WaylandDataDevice();
    WaylandDataDevice(const WaylandDataDevice&) = delete;
    WaylandDataDevice& operator=(const WaylandDataDevice&) = delete;

    void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }
    wl_data_device* device() const { return device_; }
    wl_data_device_manager* manager() const { return manager_; }
    void release(wl_data_offer* offer);
    // How many drags came onto the program's surfaces so far.
    std::uint64_t dragsEntered() const { return dragsEntered_; }

private:
    void offered(wl_data_offer* offer);
    std::vector<Offer>::iterator find(wl_data_offer* offer);
    Offer offerFor(wl_data_offer* offer);

    static const struct wl_data_device_listener deviceListener;
    static const struct wl_data_offer_listener offerListener;

    wl_data_device_manager* manager_;
    wl_data_device* device_;
    std::vector<Offer> offers_;
    Handlers handlers_;
    std::uint64_t dragsEntered_ = 0;
};

} // namespace kestrane
