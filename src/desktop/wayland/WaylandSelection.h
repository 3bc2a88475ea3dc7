#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

struct wl_data_device;
struct wl_data_device_listener;
struct wl_data_device_manager;
struct wl_data_offer;
struct wl_data_offer_listener;
struct wl_display;
struct wl_seat;

namespace kestrane {

// The seat's selection (what was last copied), as the compositor offers it to the surface
// with the keyboard. Each new selection is read at once, in the background, in the one form
// a pocket keeps best (files and links, then a picture, then text), so that a paste finds it
// ready; a source that writes too much or never finishes is given up with one line.
class WaylandSelection final {
public:
    WaylandSelection(wl_display* display, wl_data_device_manager* manager, wl_seat* seat);
    ~WaylandSelection();
    WaylandSelection(const WaylandSelection&) = delete;
    WaylandSelection& operator=(const WaylandSelection&) = delete;

    // What was read of the selection; null while there is none or it is still being read.
    const QMimeData* contents() const { return ready_ ? contents_.get() : nullptr; }

private:
    struct Offer {
        wl_data_offer* offer = nullptr;
        std::vector<std::string> types;
    };

    void offered(wl_data_offer* offer);
    void selected(wl_data_offer* offer);
    void dragOffered(wl_data_offer* offer);
    void read(const std::string& type);
    void readMore();
    void finish(bool complete);
    void forget(wl_data_offer* offer);
    std::vector<Offer>::iterator offerFor(wl_data_offer* offer);

    static const struct wl_data_device_listener deviceListener;
    static const struct wl_data_offer_listener offerListener;

    wl_display* display_;
    wl_data_device* device_;
    std::vector<Offer> offers_;
    wl_data_offer* selection_ = nullptr;
    std::string readingType_;
    int readEnd_ = -1;
    std::unique_ptr<QSocketNotifier> reading_;
    QByteArray bytes_;
    QTimer giveUp_;
    std::unique_ptr<QMimeData> contents_;
    bool ready_ = false;
};

} // namespace kestrane
