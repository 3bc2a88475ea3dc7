#include "wayland/WaylandSelection.h"

#include "platform/Log.h"

#include <QImage>
#include <QUrl>

#include <wayland-client.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace kestrane {

namespace {
// A paste is refused beyond this, as a drop of text or a picture that large is.
constexpr qsizetype largestSelection = 64 * 1024 * 1024;
constexpr int readTimeout = 3000;

// The forms a pocket keeps, best first.
constexpr std::array preferredTypes { "text/uri-list", "image/png", "image/jpeg", "text/plain;charset=utf-8", "UTF8_STRING", "text/plain" };
} // namespace

const wl_data_offer_listener WaylandSelection::offerListener {
    [](void* data, wl_data_offer* offer, const char* type) {
        auto* self = static_cast<WaylandSelection*>(data);
        if (const auto known = self->offerFor(offer); known != self->offers_.end())
            known->types.emplace_back(type);
    },
    [](void*, wl_data_offer*, std::uint32_t) {},
    [](void*, wl_data_offer*, std::uint32_t) {},
};

const wl_data_device_listener WaylandSelection::deviceListener {
    [](void* data, wl_data_device*, wl_data_offer* offer) { static_cast<WaylandSelection*>(data)->offered(offer); },
    [](void* data, wl_data_device*, std::uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t, wl_data_offer* offer) {
        static_cast<WaylandSelection*>(data)->dragOffered(offer);
    },
    [](void*, wl_data_device*) {},
    [](void*, wl_data_device*, std::uint32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_data_device*) {},
    [](void* data, wl_data_device*, wl_data_offer* offer) { static_cast<WaylandSelection*>(data)->selected(offer); },
};

WaylandSelection::WaylandSelection(wl_display* display, wl_data_device_manager* manager, wl_seat* seat)
    : display_(display)
    , device_(wl_data_device_manager_get_data_device(manager, seat))
{
    wl_data_device_add_listener(device_, &deviceListener, this);
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(readTimeout);
    QObject::connect(&giveUp_, &QTimer::timeout, [this] {
        logLine("Kestrane: the copied " + readingType_ + " did not arrive in time; it is not pasted");
        finish(false);
    });
}

WaylandSelection::~WaylandSelection()
{
    finish(false);
    for (const Offer& offer : offers_)
        wl_data_offer_destroy(offer.offer);
    wl_data_device_release(device_);
}

void WaylandSelection::offered(wl_data_offer* offer)
{
    offers_.push_back({ offer, {} });
    wl_data_offer_add_listener(offer, &offerListener, this);
}

// Drops are not taken on this surface yet: what a drag offers is let go when it comes.
void WaylandSelection::dragOffered(wl_data_offer* offer)
{
    if (offer)
        forget(offer);
}

void WaylandSelection::selected(wl_data_offer* offer)
{
    finish(false);
    if (selection_ && selection_ != offer)
        forget(selection_);
    selection_ = offer;
    contents_.reset();
    ready_ = false;
    const auto known = offerFor(offer);
    if (!offer || known == offers_.end())
        return;
    for (const char* type : preferredTypes) {
        if (std::find(known->types.begin(), known->types.end(), type) != known->types.end())
            return read(type);
    }
}

void WaylandSelection::read(const std::string& type)
{
    std::array<int, 2> pipe {};
    if (pipe2(pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return logLine("Kestrane: no pipe to read the copied " + type);
    wl_data_offer_receive(selection_, type.c_str(), pipe[1]);
    wl_display_flush(display_);
    close(pipe[1]);
    readingType_ = type;
    readEnd_ = pipe[0];
    bytes_.clear();
    reading_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    QObject::connect(reading_.get(), &QSocketNotifier::activated, [this] { readMore(); });
    giveUp_.start();
}

void WaylandSelection::readMore()
{
    std::array<char, 65536> chunk {};
    for (;;) {
        const ssize_t got = ::read(readEnd_, chunk.data(), chunk.size());
        if (got > 0) {
            bytes_.append(chunk.data(), got);
            if (bytes_.size() <= largestSelection)
                continue;
            logLine("Kestrane: the copied " + readingType_ + " is larger than 64 MiB; it is not pasted");
            return finish(false);
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        return finish(got == 0);
    }
}

void WaylandSelection::finish(bool complete)
{
    giveUp_.stop();
    reading_.reset();
    if (readEnd_ >= 0)
        close(readEnd_);
    readEnd_ = -1;
    if (!complete)
        return;
    contents_ = std::make_unique<QMimeData>();
    if (readingType_ == "text/uri-list")
        contents_->setData("text/uri-list", bytes_);
    else if (readingType_.starts_with("image/"))
        contents_->setImageData(QImage::fromData(bytes_));
    else
        contents_->setText(QString::fromUtf8(bytes_));
    bytes_.clear();
    ready_ = true;
}

std::vector<WaylandSelection::Offer>::iterator WaylandSelection::offerFor(wl_data_offer* offer)
{
    return std::find_if(offers_.begin(), offers_.end(), [offer](const Offer& each) { return each.offer == offer; });
}

void WaylandSelection::forget(wl_data_offer* offer)
{
    const auto known = offerFor(offer);
    if (known == offers_.end())
        return;
    wl_data_offer_destroy(known->offer);
    offers_.erase(known);
}

} // namespace kestrane
