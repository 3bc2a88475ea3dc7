#pragma once

#include "wayland/OfferReader.h"
#include "wayland/WaylandDataDevice.h"

#include <QMimeData>

#include <memory>

struct wl_display;

namespace kestrane {

// The seat's selection (what was last copied), as the compositor offers it to the surface
// with the keyboard. Each new selection is read at once, in the background, in the one form
// a pocket keeps best, so that a paste finds it ready.
class WaylandSelection final {
public:
    WaylandSelection(wl_display* display, WaylandDataDevice& device);
    ~WaylandSelection();
    WaylandSelection(const WaylandSelection&) = delete;
    WaylandSelection& operator=(const WaylandSelection&) = delete;

    // A new selection took the place of the last.
    void select(const WaylandDataDevice::Offer& offer);
    // What was read of the selection; null while there is none or it is still being read.
    const QMimeData* contents() const { return contents_.get(); }

private:
    WaylandDataDevice& device_;
    wl_data_offer* selection_ = nullptr;
    OfferReader reader_;
    std::unique_ptr<QMimeData> contents_;
};

} // namespace kestrane
