#pragma once

#include <QRect>
#include <QRegion>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace kestrane {

// Remembers where each piece of a view was last drawn and what it looked like, so that a
// frame repaints only the pieces that moved or changed: their old and new places, and the
// places of pieces no longer drawn. A piece's look is whatever numbers its drawing depends
// on; numbers are compared after rounding to 1/256, finer than any change that shows.
class RepaintTracker {
public:
    // Starts a frame: every piece is then noted again or counts as gone.
    void begin();
    void note(const std::string& piece, QRect bounds, std::vector<double> look);
    // The area to repaint for the frame noted since begin().
    QRegion end();
    // Forgets every piece, as when the view stops drawing.
    void clear() { pieces_.clear(); }
    // A number rounded as looks are compared: views round the numbers that decide a repaint
    // this way, so that pieces repainted at different times agree on them.
    static double quantised(double x) { return std::round(x * 256) / 256; }

private:
    struct Piece {
        QRect bounds;
        std::vector<double> look;
        bool noted = false;
    };
    std::map<std::string, Piece> pieces_;
    QRegion changed_;
};

} // namespace kestrane
