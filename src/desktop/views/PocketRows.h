#pragma once

#include "app/LayerStack.h"
#include "app/TextField.h"
#include "engine/BezelEngine.h"
#include "views/ChromeHit.h"
#include "views/PocketRow.h"

#include <QImage>
#include <QRegion>
#include <QSizeF>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QPainter;

namespace kestrane {

class RepaintTracker;

// Edit mode's rows, one per pocket beside the edge: it places them each frame, feeds the
// keyboard to the name being edited (which renames its pocket) and paints them.
class PocketRows {
public:
    // What the rows of a frame are laid out with.
    struct Frame {
        QSizeF screen;
        // How far edit mode has faded in.
        double edit = 0;
        bool takesInput = false;
        // The control under the pointer, absent while the pointer is off the chrome.
        std::optional<ChromeHit> hovered;
        // The picture of the screen behind, which the plates darken for.
        QImage backdrop;
    };

    explicit PocketRows(BezelEngine& engine)
        : engine_(engine)
    {
    }

    void layOut(const Frame& frame);
    // Hides the rows and lets the name being edited go, while edit mode is not shown.
    void hide();
    // Advances the buttons' hover motion; true while any of it moves.
    bool step(double dt);
    // Notes each row shown, for repainting.
    void track(RepaintTracker& pieces) const;
    // Paints the rows that reach into `area`.
    void paint(QPainter& painter, const QRegion& area) const;
    std::optional<ChromeHit> hitAt(QPointF point) const;
    // How many items a row holds, when the point is on its count.
    QString helpAt(QPointF point) const;

    bool editsName() const { return focused_.has_value(); }
    // A press on a name that takes the keyboard gives it the keyboard and puts the caret
    // there; any other press lets the name being edited go.
    void press(QPointF point, std::optional<Uuid> pressedRow);
    // A move with the press held selects up to the pointer.
    void drag(QPointF point);
    void release() { selectingName_ = false; }
    bool type(const KeyPress& press);
    void insertText(std::string_view text);
    void compose(std::string_view preedit, std::string_view commit);
    QRectF caretRect() const;

private:
    void place(PocketRow& row, const BlobRuntime& pocket, double slide, const Frame& frame);
    void syncField(PocketRow& row, const std::string& name, bool editable, bool takesInput);
    PocketRow* rowOf(std::optional<Uuid> id) const;
    PocketRow* focusedRow() const { return rowOf(focused_); }
    void focus(PocketRow* row);
    bool edited(PocketRow& row, TextField::Change change);
    void focusNewPocket();

    BezelEngine& engine_;
    std::vector<std::unique_ptr<PocketRow>> rows_;
    // A fresh pocket whose field is still to take the keyboard.
    std::optional<Uuid> pendingFocus_;
    // The pocket whose name has the keyboard, and whether a press on it is held.
    std::optional<Uuid> focused_;
    bool selectingName_ = false;
};

} // namespace kestrane
