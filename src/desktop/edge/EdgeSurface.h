#pragma once

#include "app/KeyFocus.h"
#include "geometry/Point.h"
#include "pockets/ResolvedPocketItem.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <optional>
#include <vector>

class QMimeData;

namespace kestrane {

// What a window system offers the edge: a surface along the right edge of a screen that
// can grow to the whole screen, take clicks only where asked, take the keyboard, show
// what the edge paints, and carry drags and the clipboard. The edge above it steps,
// routes input and paints once for every window system; a surface only translates.
//
// Places are in logical pixels: "global" ones on the whole desktop, "in surface" ones
// from the surface's top-left corner.
class EdgeSurface {
public:
    struct Screen {
        QRect area;
        // Frames per second of its display; 0 when unknown.
        double refreshRate = 0;
        // The height of a panel along its bottom.
        int bottomInset = 0;
    };
    struct Pointer {
        // Absent while the surface cannot know where the pointer is.
        std::optional<QPointF> global;
        bool buttonsDown = false;
    };
    // How a drag out ended.
    struct DragOutcome {
        // Another program took the drop.
        bool accepted = false;
        // Alt was held at the drop: the items stay in the pocket.
        bool copyRequested = false;
    };

    virtual ~EdgeSurface() = default;

    // The screen holding the point, or the primary one.
    virtual std::optional<Screen> screenAt(QPoint global) const = 0;
    virtual Pointer pointer() const = 0;
    // Whether the surface knows where the pointer is wherever it is, or only while it is
    // over the surface's clickable region.
    virtual bool seesPointerEverywhere() const = 0;
    // The area the surface covers, global.
    virtual void place(const QRect& frame) = 0;
    virtual QRect frame() const = 0;
    // Clicks inside these rectangles (in surface) reach the edge; all others pass through.
    virtual void setClickable(const std::vector<Rect>& inSurface) = 0;
    // Shows a new frame of this part of the surface: the surface calls Edge::paint for it.
    virtual void repaint(const QRegion& inSurface) = 0;
    virtual void focus(KeyFocus::Action action) = 0;
    virtual bool hasFocus() const = 0;
    // Every key, even those another program has grabbed, while a shortcut is recorded.
    virtual void takeAllKeys(bool take) = 0;
    // Text, from the keyboard and from an input method, while a name is being edited.
    virtual void wantTextInput(bool want) = 0;
    // Runs a drag carrying the items out as files, each icon iconSize pixels wide.
    virtual DragOutcome dragOut(const ResolvedPocketItems& items, int iconSize) = 0;
    virtual const QMimeData* clipboard() const = 0;
    // How often the drag selection has changed hands: a drag of another program starts.
    virtual std::uint64_t dragSelectionChanges() const = 0;
    // A picture of the desktop behind the screen (device pixels), while one is wanted;
    // null where the surface cannot have one.
    virtual void wantDesktopPicture(bool wanted, const QRect& screenInDevicePixels) = 0;
    virtual QImage desktopPicture() const = 0;
    // Whether a desktop picture ever comes here; where not, the backdrop is the compositor's
    // blur or a dimming.
    virtual bool picturesDesktop() const = 0;
    // Without a compositor to blend it, the surface shows only where the edge painted and,
    // where it must cover more, what lies behind (both in surface).
    virtual void showOnly(const QRegion& painted, const QRegion& covered) = 0;
    // While the edge sleeps: wake it when the pointer leaves the screen, comes to the right
    // of reachFrom (global x) or moves with a button held. Absent stops watching.
    struct Approach {
        QRect screen;
        double reachFrom = 0;
    };
    virtual void watchApproach(const std::optional<Approach>& approach) = 0;
    // Device pixels per logical pixel, and the dots per inch text is laid out for.
    virtual double scale() const = 0;
    virtual int logicalDpi() const = 0;
};

} // namespace kestrane
