#include "wayland/WaylandDrop.h"

#include "edge/Edge.h"
#include "wayland/OfferedForms.h"

#include <wayland-client.h>

namespace kestrane {

WaylandDrop::WaylandDrop(wl_display* display, WaylandDataDevice& device, EdgeOver edgeOver)
    : device_(device)
    , edgeOver_(std::move(edgeOver))
    , reader_(display, "dropped")
{
}

WaylandDrop::~WaylandDrop()
{
    reader_.cancel();
    forget(passing_);
    forget(dropping_);
}

void WaylandDrop::entered(std::uint32_t serial, wl_surface* surface, QPointF at, const WaylandDataDevice::Offer& offer)
{
    forget(passing_);
    Edge* edge = edgeOver_(surface);
    const auto form = bestOfferedForm(offer.types);
    if (!offer.offer)
        return;
    if (!edge || !form || !edge->dragEntered(at, *mimeDataOf(*form, {}))) {
        device_.release(offer.offer);
        return;
    }
    passing_ = { edge, offer.offer, serial, *form, at, false };
    // Only ever a copy: what is dropped stays with its source.
    wl_data_offer_set_actions(offer.offer, WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY, WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY);
    wl_data_offer_accept(offer.offer, serial, nullptr);
    moved(at);
}

void WaylandDrop::moved(QPointF at)
{
    if (!passing_.offer)
        return;
    passing_.at = at;
    answer(passing_.edge->dragMoved(at));
}

// The source hears only when the answer changes: whether a pocket would take the drop here.
void WaylandDrop::answer(bool targeted)
{
    if (targeted == passing_.targeted)
        return;
    passing_.targeted = targeted;
    wl_data_offer_accept(passing_.offer, passing_.serial, targeted ? passing_.type.c_str() : nullptr);
}

void WaylandDrop::left()
{
    if (!passing_.offer)
        return;
    passing_.edge->dragLeft();
    forget(passing_);
}

void WaylandDrop::dropped()
{
    if (!passing_.offer)
        return;
    if (!passing_.targeted) {
        left();
        return;
    }
    reader_.cancel();
    forget(dropping_);
    dropping_ = std::exchange(passing_, {});
    reader_.read(dropping_.offer, dropping_.type, [this](std::optional<QByteArray> bytes) { take(dropping_, std::move(bytes)); });
}

void WaylandDrop::take(const Passing& drop, std::optional<QByteArray> bytes)
{
    if (bytes && drop.edge->drop(drop.at, *mimeDataOf(drop.type, *bytes))) {
        wl_data_offer_finish(drop.offer);
    } else {
        if (!bytes)
            drop.edge->dragLeft();
        // Taking nothing after all, then an offer let go unfinished: the drop was refused.
        wl_data_offer_accept(drop.offer, drop.serial, nullptr);
    }
    forget(dropping_);
}

void WaylandDrop::forget(Passing& passing)
{
    if (passing.offer)
        device_.release(passing.offer);
    passing = {};
}

} // namespace kestrane
