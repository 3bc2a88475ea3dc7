#include "window/Backdrop.h"

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
    picture_ = QImage();
    background_ = QImage();
    refreshing_.stop();
    settling_.stop();
    if (!wanted || cover_.isActive())
        return;
    // Without a published background picture, the desktop showing between the windows
    // stands in for it; the overlay draws nothing over the desktop yet when a blur is first
    // wanted.
    background_ = captureRootBackground(display_, area);
    if (background_.isNull())
        background_ = captureDesktopStandIn(display_, overlay_, area);
    refresh();
    refreshing_.start();
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
    QImage fresh = captureBelow(display_, overlay_, area_, background_);
    if (fresh == picture_)
        return;
    picture_ = std::move(fresh);
    changed_();
}

} // namespace kestrane
