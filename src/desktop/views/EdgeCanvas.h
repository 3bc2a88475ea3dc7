#pragma once

#include "engine/BezelEngine.h"
#include "geometry/Path.h"

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

namespace kestrane {

// What the edge canvas draws of one frame.
struct EdgeScene {
    Size size;
    std::vector<BezelNode> nodes;
    double plusAmplitude = 0;
    std::optional<PullCounter> counter;

    static EdgeScene of(const BezelEngine& engine);
};

// The dark edge with its bulges, drawn in one pass: the outline filled black, a faint rim
// light along it once a bulge is large, the plus glyph on the plus bulge and the pull
// counter. update() takes one frame's state from the engine; paint() draws it.
class EdgeCanvas {
public:
    EdgeCanvas();

    // Rebuilds what this frame shows; the outline's storage is reused from frame to frame.
    void update(const BezelEngine& engine) { update(EdgeScene::of(engine)); }
    void update(const EdgeScene& scene);
    // Everything the previous and the current frame cover, in whole pixels on the canvas:
    // what must be repainted after update(); nothing when the frame shows what the previous
    // one showed.
    QRect changedRegion() const;
    // The pixels this frame paints at all, in whole pixels: where a window without a
    // compositor to blend it must show.
    QRegion paintedRegion() const;
    // What this frame draws, in canvas coordinates; empty when nothing.
    QRectF paintedBounds() const { return currentBounds_; }
    void paint(QPainter& painter) const;
    // Clears the changed region of a device that still shows the previous frame and paints
    // this frame into it.
    void repaintChanged(QPainter& painter) const;

    // The counter's 12.5-pixel text is sized for a device of this resolution (96 unless told).
    void setLogicalDpi(double dpi);

private:
    struct PlusGlyph {
        QPointF center;
        double opacity = 0;
        bool operator==(const PlusGlyph&) const = default;
    };
    // The counter's text and its measured size, kept while depth and total stay the same.
    struct CounterLabel {
        std::int64_t depth = -1;
        std::int64_t total = -1;
        QString text;
        QSizeF size;
    };
    struct Counter {
        QRectF box;
        double opacity = 0;
        bool operator==(const Counter&) const = default;
    };

    void updateCounter(const std::optional<PullCounter>& counter);
    void relabel(std::int64_t depth, std::int64_t total);
    QRectF frameBounds() const;
    void paintRim(QPainter& painter) const;
    void paintPlus(QPainter& painter) const;
    void paintCounter(QPainter& painter) const;

    Path path_;
    // The previous frame's path, to tell a frame that shows the same as the one before.
    Path previousPath_;
    bool unchanged_ = false;
    QPainterPath outline_;
    QRect canvas_;
    double rimOpacity_ = 0;
    std::optional<PlusGlyph> plus_;
    std::optional<Counter> counter_;
    CounterLabel label_;
    QFont counterFont_;
    QRectF previousBounds_;
    QRectF currentBounds_;
};

} // namespace kestrane
