#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPointF>
#include <QString>

#include <vector>

class QPainter;

namespace kestrane {

// A soft drop shadow: its colour, blur radius (points, as a designer gives it: twice the
// Gaussian's standard deviation) and offset.
struct Shadow {
    QColor color;
    double radius = 0;
    QPointF offset;
};

// One line of text in one font and colour over blurred shadows of itself. The shadows are
// drawn once per text and kept, so a line that stays the same costs only its glyphs.
class ShadowedText {
public:
    ShadowedText(QFont font, QColor color, Shadow shadow);
    ShadowedText(QFont font, QColor color, std::vector<Shadow> shadows);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    const QFont& font() const { return font_; }
    QFontMetricsF metrics() const { return QFontMetricsF(font_); }
    double width() const { return metrics().horizontalAdvance(text_); }
    // How far the shadow reaches beyond the text's own box.
    double shadowReach() const;
    // Draws the line with its baseline starting at `baseline`.
    void paint(QPainter& painter, QPointF baseline) const;
    // Only the shadows, for a text whose glyphs something else draws.
    void paintShadows(QPainter& painter, QPointF baseline) const;

private:
    void drawShadow();

    QFont font_;
    QColor color_;
    std::vector<Shadow> shadows_;
    QString text_;
    QImage shadowPicture_;
    // Where the shadow picture's corner lies from the baseline's start.
    QPointF shadowCorner_;
};

} // namespace kestrane
