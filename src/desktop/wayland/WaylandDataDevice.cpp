#include "wayland/WaylandDataDevice.h"

#include <wayland-client.h>

#include <algorithm>

namespace kestrane {

namespace {
QPointF pointOf(wl_fixed_t x, wl_fixed_t y)
{
    return { wl_fixed_to_double(x), wl_fixed_to_double(y) };
}
} // namespace

const wl_data_offer_listener WaylandDataDevice::offerListener {
    [](void* data, wl_data_offer* offer, const char* type) {
        auto* self = static_cast<WaylandDataDevice*>(data);
        if (const auto known = self->find(offer); known != self->offers_.end())
            known->types.emplace_back(type);
    },
    [](void*, wl_data_offer*, std::uint32_t) {},
    [](void*, wl_data_offer*, std::uint32_t) {},
};

const wl_data_device_listener WaylandDataDevice::deviceListener {
    [](void* data, wl_data_device*, wl_data_offer* offer) { static_cast<WaylandDataDevice*>(data)->offered(offer); },
    [](void* data, wl_data_device*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y, wl_data_offer* offer) {
        auto* self = static_cast<WaylandDataDevice*>(data);
        ++self->dragsEntered_;
        if (self->handlers_.dragEntered)
            self->handlers_.dragEntered(serial, surface, pointOf(x, y), self->offerFor(offer));
        else if (offer)
            self->release(offer);
    },
    [](void* data, wl_data_device*) {
        if (auto& left = static_cast<WaylandDataDevice*>(data)->handlers_.dragLeft)
            left();
    },
    [](void* data, wl_data_device*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        if (auto& moved = static_cast<WaylandDataDevice*>(data)->handlers_.dragMoved)
            moved(pointOf(x, y));
    },
    [](void* data, wl_data_device*) {
        if (auto& dropped = static_cast<WaylandDataDevice*>(data)->handlers_.dropped)
            dropped();
    },
    [](void* data, wl_data_device*, wl_data_offer* offer) {
        auto* self = static_cast<WaylandDataDevice*>(data);
        if (self->handlers_.selected)
            self->handlers_.selected(self->offerFor(offer));
        else if (offer)
            self->release(offer);
    },
};

WaylandDataDevice::WaylandDataDevice(wl_data_device_manager* manager, wl_seat* seat)
    : manager_(manager)
    , device_(wl_data_device_manager_get_data_device(manager, seat))
{
    wl_data_device_add_listener(device_, &deviceListener, this);
}

WaylandDataDevice::~WaylandDataDevice()
{
    for (const Offer& offer : offers_)
        wl_data_offer_destroy(offer.offer);
    wl_data_device_release(device_);
}

void WaylandDataDevice::offered(wl_data_offer* offer)
{
    offers_.push_back({ offer, {} });
    wl_data_offer_add_listener(offer, &offerListener, this);
}

std::vector<WaylandDataDevice::Offer>::iterator WaylandDataDevice::find(wl_data_offer* offer)
{
    return std::find_if(offers_.begin(), offers_.end(), [offer](const Offer& each) { return each.offer == offer; });
}

WaylandDataDevice::Offer WaylandDataDevice::offerFor(wl_data_offer* offer)
{
    const auto known = find(offer);
    return known == offers_.end() ? Offer {} : *known;
}

void WaylandDataDevice::release(wl_data_offer* offer)
{
    const auto known = find(offer);
    if (known == offers_.end())
        return;
    wl_data_offer_destroy(known->offer);
    offers_.erase(known);
}

} // namespace kestrane
