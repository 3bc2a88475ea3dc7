#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace kestrane {

// A soft dark plate under a block of white text, as dark as the desktop behind it needs for
// the text to read: none over a dark desktop, up to three quarters black over a white one.
class TextPlate {
public:
    // How far the plate's soft edge reaches past its area.
    static constexpr double feather = 8;

    // Places the plate over the area (points) and works out its darkness from the picture of
    // the screen behind (the whole screen of `screen` points, drawn dimmed by `dimming`); a
    // null picture leaves the darkness as it was, unless no picture is ever to come.
    void place(const QRectF& area, const QImage& behind, QSizeF screen, double dimming = 0);
    // Where the window system gives no picture of the desktop (a compositor that blurs behind
    // the surface itself, or none at all), every plate is as dark as over a white desktop.
    static void assumeLightDesktop(bool assume) { lightDesktopAssumed_ = assume; }
    void paint(QPainter& painter, double opacity) const;
    // What paint() covers.
    QRectF bounds() const { return area_.adjusted(-feather, -feather, feather, feather); }
    double darkness() const { return darkness_; }

private:
    QRectF area_;
    double darkness_ = 0;
    mutable QImage soft_;
    static inline bool lightDesktopAssumed_ = false;
};

} // namespace kestrane
