#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

struct wl_data_offer;
struct wl_display;

namespace kestrane {

// Reads what another program offers (a copied selection or a dropped drag) in one of its
// forms, through a pipe and without blocking the main thread. A source that writes more than
// a pocket takes, or does not finish in time, is given up with one line saying so: the
// reader then hands over nothing, never a part.
class OfferReader final {
public:
    // The bytes, or nothing when they could not all be read.
    using Done = std::function<void(std::optional<QByteArray>)>;

    static constexpr qsizetype largest = 64 * 1024 * 1024;
    static constexpr int timeoutMs = 3000;

    // `what` names the offer for messages ("copied", "dropped").
    OfferReader(wl_display* display, std::string what);
    ~OfferReader();
    OfferReader(const OfferReader&) = delete;
    OfferReader& operator=(const OfferReader&) = delete;

    // Starts reading the offer in `type`, ending a read still running without a call.
    void read(wl_data_offer* offer, const std::string& type, Done done);
    // Ends a read still running, without a call.
    void cancel();
    bool reading() const { return fd_ >= 0; }

private:
    void readMore();
    void finish(bool complete);

    wl_display* display_;
    std::string what_;
    std::string type_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QByteArray bytes_;
    QTimer giveUp_;
    Done done_;
};

} // namespace kestrane
