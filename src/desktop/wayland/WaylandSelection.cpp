#include "wayland/WaylandSelection.h"

#include "wayland/OfferedForms.h"

namespace kestrane {

WaylandSelection::WaylandSelection(wl_display* display, WaylandDataDevice& device)
    : device_(device)
    , reader_(display, "copied")
{
}

WaylandSelection::~WaylandSelection()
{
    reader_.cancel();
    if (selection_)
        device_.release(selection_);
}

void WaylandSelection::select(const WaylandDataDevice::Offer& offer)
{
    reader_.cancel();
    contents_.reset();
    if (selection_ && selection_ != offer.offer)
        device_.release(selection_);
    selection_ = offer.offer;
    const auto form = bestOfferedForm(offer.types);
    if (!selection_ || !form)
        return;
    reader_.read(selection_, *form, [this, type = *form](std::optional<QByteArray> bytes) {
        if (bytes)
            contents_ = mimeDataOf(type, *bytes);
    });
}

} // namespace kestrane
