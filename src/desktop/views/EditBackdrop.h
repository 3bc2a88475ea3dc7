#pragma once

#include "engine/BezelEngine.h"
#include "graphics/GaussianBlur.h"

#include <QImage>
#include <QRegion>
#include <QSizeF>

#include <vector>

class QPainter;

namespace kestrane {

// Edit mode's backdrop: the desktop blurred and dimmed behind everything, fading in from a
// band along the edge to the whole screen, with halos cut round the pockets. It is worked out
// at a reduced resolution and composed again only where the mask or the picture changed.
class EditBackdrop {
public:
    // Edit mode darkens what it blurs a little, so that its white labels stand out.
    static constexpr double dimOpacity = 0.3;

    // What a frame changed: the picture behind (then all of it), and where the mask changed.
    struct Change {
        bool picture = false;
        QRegion mask;
    };

    // Takes this frame's picture of the screen behind, how far the blur reaches over the
    // screen (0 to 1) and the halos round the pockets.
    Change update(QSizeF screen, const QImage& picture, double scope, std::vector<BlurHalo> halos);
    // Lets the pictures go while edit mode is not shown.
    void clear();
    void paint(QPainter& painter, double opacity);
    // The picture of the screen behind, as last taken.
    const QImage& picture() const { return backdrop_; }

private:
    bool setPicture(const QImage& picture);
    // Draws the blur mask again where it changed; answers that area.
    QRegion updateMask(double scope, std::vector<BlurHalo> halos);
    QImage haloPicture(const std::vector<BlurHalo>& halos) const;
    void composeDimmed(const QRegion& area);

    QSizeF screen_;
    // The picture behind the overlay and its blur, kept at the reduced size it is worked out at.
    QImage backdrop_;
    ReducedBlur blurred_;
    QImage blurMask_;
    double maskScope_ = -1;
    std::vector<BlurHalo> maskHalos_;
    // The blurred backdrop, darkened and masked: composed at the mask's resolution, then
    // enlarged once into a picture the screen's size that frames only copy. The stale part is
    // composed again before it is next painted.
    QImage dimmedSmall_;
    QImage dimmed_;
    QRegion dimmedStale_;
};

} // namespace kestrane
