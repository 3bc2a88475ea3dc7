#pragma once

#include "x11/UnblendedCover.h"
#include "x11/X11Display.h"

#include <QImage>
#include <QRect>
#include <QThreadPool>
#include <QTimer>

#include <functional>

namespace kestrane {

// The one picture of what lies behind the overlay, shared by every layer that blurs it.
// With a compositor it is put together from the windows stacked below the overlay, which
// keeps the overlay's own drawing out of it, and read again a moment after a window below
// moves, maps, unmaps or closes, and every refresh interval for what changes inside them:
// a still desktop costs no work. Without one, the overlay covers the windows' own pixels:
// the picture is the one the cover read with the overlay hidden when it began to cover,
// and stays as it was until the overlay stops covering (reading it again would hide the
// overlay for a moment each time).
class Backdrop {
public:
    static constexpr int refreshInterval = 10000;
    static constexpr int settleInterval = 120;

    // `changed` is told when the picture changed.
    Backdrop(const X11Display& display, xcb_window_t overlay, const UnblendedCover& cover, std::function<void()> changed);
    ~Backdrop();

    // Keeps a picture of the area (root window pixels) while wanted; drops it when not.
    void want(bool wanted, const QRect& area);
    // Null until there is one.
    QImage picture() const;
    // A window below moved, mapped, unmapped or closed.
    void windowsChanged();

private:
    void refresh();
    // On the capture thread: reads the background first when given how, then the windows
    // below over it, and hands the picture to deliver() on this thread.
    void capture(std::function<void()> readBackground);
    void deliver(int generation, QImage fresh);

    const X11Display& display_;
    xcb_window_t overlay_;
    const UnblendedCover& cover_;
    std::function<void()> changed_;
    QTimer refreshing_;
    QTimer settling_;
    bool wanted_ = false;
    QRect area_;
    QImage picture_;
    // Counts the changes of what is wanted: a capture begun before the last one is stale.
    int generation_ = 0;
    // The desktop under the windows, touched on the capture thread only.
    QImage background_;
    QObject receiver_;
    // Last, so that it is destroyed first, waiting for a running capture.
    QThreadPool pool_;
};

} // namespace kestrane
