#include "x11/Backdrop.h"

#include "x11/ScreenCapture.h"

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
    refreshing_.stop();
    settling_.stop();
    if (!wanted || cover_.isActive()) {
        pool_.start([this] { background_ = QImage(); });
        return;
    }
    // The pixels are asked for now, before the overlay draws over the desktop, and read
    // and put together away from the frame that opens the view. Without a published
    // background picture, the desktop showing between the windows stands in for it.
    const PixelRequest background = requestRootBackground(display_, area);
    const PixelRequest screen = background.valid ? PixelRequest {} : requestPixels(display_, display_.root(), area);
    capture([this, area, background, screen] {
        background_ = background.valid ? collectPixels(display_, background) : desktopStandIn(display_, overlay_, area, screen);
    });
    refreshing_.start();
}

// Captures run one after another on the capture thread, in the order asked for, so each
// reads over the background the last new view read before it.
void Backdrop::capture(std::function<void()> readBackground)
{
    pool_.start([this, readBackground = std::move(readBackground), generation = generation_, area = area_] {
        if (readBackground)
            readBackground();
        QImage fresh = captureBelow(display_, overlay_, area, background_);
        QMetaObject::invokeMethod(
            &receiver_, [this, generation, fresh = std::move(fresh)]() mutable { deliver(generation, std::move(fresh)); },
            Qt::QueuedConnection);
    });
}

void Backdrop::deliver(int generation, QImage fresh)
{
    if (generation != generation_ || !wanted_ || fresh == picture_)
        return;
    picture_ = std::move(fresh);
    changed_();
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
    capture({});
}

} // namespace kestrane
