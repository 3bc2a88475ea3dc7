#include "window/Backdrop.h"

#include "x11/ScreenCapture.h"

#include <utility>

namespace kestrane {

Backdrop::Backdrop(const X11Display& display, xcb_window_t overlay, const UnblendedCover& cover, std::function<void()> changed)
    : display_(display)
    , overlay_(overlay)
    , cover_(cover)
    , changed_(std::move(changed))
{
    refreshing_.setInterval(refreshInterval);
    QObject::connect(&refreshing_, &QTimer::timeout, [this] { refresh(); });
    settling_.setSingleShot(true);
    settling_.setInterval(settleInterval);
    QObject::connect(&settling_, &QTimer::timeout, [this] { refresh(); });
    pool_.setMaxThreadCount(1);
}

Backdrop::~Backdrop()
{
    pool_.waitForDone();
}

void Backdrop::windowsChanged()
{
    if (refreshing_.isActive() && !settling_.isActive())
        settling_.start();
}

void Backdrop::want(bool wanted, const QRect& area)
{
    if (wanted == wanted_ && area == area_)
        return;
    wanted_ = wanted;
    area_ = area;
    ++generation_;
    picture_ = QImage();
    background_ = QImage();
    refreshing_.stop();
    settling_.stop();
    if (!wanted || cover_.isActive())
        return;
    // The pixels are asked for now, before the overlay draws over the desktop, and read
    // and put together away from the frame that opens the view. Without a published
    // background picture, the desktop showing between the windows stands in for it.
    PixelRequest background = requestRootBackground(display_, area);
    PixelRequest screen = background.valid ? PixelRequest {} : requestPixels(display_, display_.root(), area);
    capture([this, area, background, screen] {
        return background.valid ? collectPixels(display_, background) : desktopStandIn(display_, overlay_, area, screen);
    });
    refreshing_.start();
}

void Backdrop::capture(std::function<QImage()> background)
{
    if (capturing_) {
        // Read once more when the running capture is done: the desktop changed meanwhile.
        recapture_ = true;
        return;
    }
    capturing_ = true;
    pool_.start([this, background = std::move(background), generation = generation_, area = area_]() {
        QImage under = background();
        QImage fresh = captureBelow(display_, overlay_, area, under);
        QMetaObject::invokeMethod(&receiver_, [this, generation, under = std::move(under), fresh = std::move(fresh)]() mutable {
            deliver(generation, std::move(under), std::move(fresh));
        }, Qt::QueuedConnection);
    });
}

void Backdrop::deliver(int generation, QImage background, QImage fresh)
{
    capturing_ = false;
    const bool current = generation == generation_ && wanted_;
    if (current) {
        background_ = std::move(background);
        if (fresh != picture_) {
            picture_ = std::move(fresh);
            changed_();
        }
    }
    if (std::exchange(recapture_, false) && wanted_)
        refresh();
}

QImage Backdrop::picture() const
{
    if (!wanted_)
        return {};
    if (!cover_.isActive())
        return picture_;
    // The cover reads the window's whole frame, which is the area only once it has grown.
    return cover_.picture().size() == area_.size() ? cover_.picture() : QImage();
}

void Backdrop::refresh()
{
    if (background_.isNull() && capturing_) {
        recapture_ = true;
        return;
    }
    capture([background = background_] { return background; });
}

} // namespace kestrane
