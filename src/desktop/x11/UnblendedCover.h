#pragma once

#include "x11/OverlayWindowSetup.h"
#include "x11/SelectionWatcher.h"
#include "x11/X11Display.h"

#include <QImage>
#include <QRegion>
#include <QTimer>

#include <functional>
#include <optional>

class QPainter;

namespace kestrane {

// What the overlay shows where no compositor blends it: the window is shaped to what it
// paints, and where it must cover more of the screen than the edge, it paints a picture of
// the desktop behind it, read while the window was hidden. Follows a compositor starting
// and stopping; with one running it does nothing.
class UnblendedCover {
public:
    // `changed` is told when the whole window must be repainted.
    UnblendedCover(const X11Display& display, const OverlayWindowSetup& setup, std::function<void()> changed);

    // Whether it is at work: no compositor runs.
    bool isActive() const { return !compositor_.hasOwner(); }
    // Shapes the window to the painted region and the covered one (window coordinates);
    // `frame` is the window's place on the root window, where the picture is read.
    void update(const QRegion& painted, const QRegion& covered, const QRect& frame);
    // The window moved or changed size: the picture no longer fits.
    void forgetPicture() { picture_ = QImage(); }
    // The picture of the desktop behind the window, in device pixels of the window's frame;
    // null until it has been read.
    const QImage& picture() const { return picture_; }
    // Fills the rectangle with the picture, or with transparency where there is none.
    void paintBackground(QPainter& painter, const QRect& rect) const;

private:
    void followCompositor();
    void readPicture(const QRect& frame);
    void shape(const std::optional<QRegion>& region);

    const X11Display& display_;
    const OverlayWindowSetup& setup_;
    std::function<void()> changed_;
    SelectionWatcher compositor_;
    std::optional<QRegion> shape_;
    QImage picture_;
    QRect pictureFrame_;
    QTimer reading_;
};

} // namespace kestrane
