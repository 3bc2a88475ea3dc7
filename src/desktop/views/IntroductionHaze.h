#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QRegion>

class QPainter;

namespace kestrane {

// A pure Gaussian blur of what lies behind the overlay, with no tint, colour or texture:
// the caller hands in a picture of the backdrop (see Backdrop) and decides where the blur
// shows, through a mask, and how strongly, through an opacity. The radius is the Gaussian's
// standard deviation in points; 0 shows the picture as it is.
//
// The blur (see gaussianBlurred) is worked out again only when the picture changes or the
// radius moves by a quarter of a point. While the radius keeps moving (it follows a spring)
// each step is a draft at the smallest resolution, and the exact blur is worked out once
// the radius holds still: an animated radius costs a small blur every few frames.
class IntroductionHaze {
public:
    static constexpr double radiusStep = 0.25;
    // A radius that changes again within this many frames (calls of setRadius) moves; one
    // that has not changed for as long holds still.
    static constexpr int stillFrames = 12;

    // The picture (in device pixels) of what lies behind `area` (in the painter's
    // coordinates). A picture already held is recognised and not blurred again; returns
    // whether the picture changed. A null picture lets go of the one held.
    bool setBackdrop(const QImage& picture, const QRectF& area);
    bool hasBackdrop() const { return !backdrop_.isNull(); }
    // Changes the radius; returns whether the blurred picture will differ. Called once per
    // frame by a caller whose radius animates, so that it knows when the radius holds still.
    bool setRadius(double radius);
    double radius() const { return radius_; }

    // Draws the blurred backdrop through the mask at the opacity; nothing without a backdrop.
    void paint(QPainter& painter, const QPainterPath& mask, double opacity);
    void paint(QPainter& painter, const QRegion& mask, double opacity);
    // The blurred picture at the current radius, the size of the backdrop.
    const QImage& blurred();

private:
    void paintClipped(QPainter& painter, double opacity);

    QImage backdrop_;
    QRectF area_;
    double radius_ = 8;
    QImage blurred_;
    qint64 blurredKey_ = 0;
    double blurredRadius_ = -1;
    int framesStill_ = stillFrames;
    bool moving_ = false;
    bool isDraft_ = false;
};

} // namespace kestrane
