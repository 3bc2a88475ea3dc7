#pragma once

#include "app/DrawerScroll.h"
#include "engine/BezelEngine.h"
#include "engine/SpringValue.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <map>
#include <optional>
#include <vector>

class QFontMetricsF;
class QPainter;

namespace kestrane {

// The open pocket's items, drawn inside its bulge: one row per item (icon, name, a remove
// button on the hovered row) in a list that slides out of the edge as the bulge swells, is
// clipped to the bulge's outline, scrolls with the wheel and the touchpad, fades at its
// ends when it holds more than six rows, and sinks and dims while it is pulled towards
// clearing the pocket. Everything is in the screen's coordinates.
class DrawerView {
public:
    static constexpr double rowHeight = 46;
    static constexpr double removeStrip = 44;

    enum class Part { row, removeButton };
    struct Hit {
        Part part;
        ResolvedPocketItems::value_type item;
    };

    DrawerView();
    // Loads what the first drawer needs (its font, the icon theme) ahead of time.
    void warmUp() const;

    // Takes this frame's drawer from the engine and the pointer (absent when it is off the
    // screen), and tells the engine how far the list is pulled past its end.
    void update(BezelEngine& engine, std::optional<QPointF> pointer);
    // Advances the scrolling and the rows' own motion; true while any of it moves.
    bool step(double dt, double now);
    void paint(QPainter& painter) const;
    // What the previous and this frame cover: what must be repainted.
    QRect changedRegion() const;

    bool isShown() const { return opacity_ > 0.001; }
    // The rows take the pointer only once the drawer is nearly open.
    bool takesInput() const { return isShown() && takesInput_; }
    // Whether the point lies on the list as it is drawn.
    bool contains(QPointF point) const;
    std::optional<Hit> hitAt(QPointF point) const;
    // The tooltip at the point: a row's full name and what it does, or the remove button's.
    QString helpAt(QPointF point) const;
    // The name cut to the width in its middle; a name already cut (a text's headline
    // ending in "…") is shortened into that ellipsis rather than given a second one.
    static QString fittedName(const QString& name, const QFontMetricsF& metrics, double width);
    // Positive deltas scroll towards the end of the list.
    void scroll(double delta, bool smooth, double now);
    // Moves the highlighted row (the hovered one) by this many rows, into view.
    void moveHighlight(int by);
    ResolvedPocketItems::value_type hoveredItem() const;
    // Removes the highlighted item from the pocket and highlights its neighbour.
    void removeHighlighted(BezelEngine& engine);

private:
    struct Row {
        ResolvedPocketItems::value_type item;
        QIcon icon;
        QString fullName;
        // A link's address, told apart from other links to the same host.
        QString address;
        QString name;
        double nameWidth = -1;
        double targetTop = 0;
        bool placed = false;
        SpringValue top;
        SpringValue hover;
    };

    void follow(const BezelEngine& engine);
    void layOut(const BezelEngine& engine);
    void place(double open, double clearing, double amplitude, Size screen);
    void updateHover(std::optional<QPointF> pointer);
    void reportOverscroll(BezelEngine& engine);
    std::optional<QPointF> inList(QPointF point) const;
    const Row* rowAt(QPointF listPoint) const;
    double rowTop(std::size_t index) const;
    void paintRow(QPainter& painter, const Row& row) const;
    void fadeEnds(QPainter& painter) const;

    QFont nameFont_;
    std::vector<Row> rows_;
    DrawerScroll scroll_;
    std::optional<Uuid> pocket_;
    bool wasWanted_ = false;
    bool hoverLive_ = false;
    std::optional<Uuid> hovered_;
    QRectF content_;
    QPainterPath pouch_;
    QTransform toScreen_;
    double opacity_ = 0;
    bool takesInput_ = false;
    bool fades_ = false;
    double listHeight_ = 0;
    std::optional<QPointF> pointer_;
    bool rowsMoved_ = false;
    std::optional<double> reportedOverscroll_;
    QRect previousBounds_;
    QRect bounds_;
    mutable QImage layer_;
};

} // namespace kestrane
