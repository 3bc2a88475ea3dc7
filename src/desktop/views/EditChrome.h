#pragma once

#include "app/LayerStack.h"
#include "views/ChromeHit.h"
#include "views/EditBackdrop.h"
#include "views/EditModeModel.h"
#include "views/PocketRows.h"
#include "views/PreferencesPanel.h"
#include "views/RepaintTracker.h"
#include "views/styles/GlassCircleButton.h"
#include "views/styles/ShadowedText.h"
#include "views/styles/TextPlate.h"

#include <QImage>
#include <QRegion>

#include <optional>
#include <string_view>

class QPainter;

namespace kestrane {

// What edit mode shows over the desktop: the blurred, dimmed screen behind everything; one
// row per pocket beside the edge with its name (an editable field), its item count, the
// put-back and remove buttons (a removed pocket that can come back keeps a dimmed row with
// its put-back button where its remove button was); "Add pocket" beside the plus bulge; the
// edit and preferences toggles; the footer hint; and the preferences panel. It fades and
// slides with the engine's springs and calls the engine's operations. Everything is in the
// screen's coordinates. The backdrop and the rows are views of their own: the chrome lays
// them out each frame, orders their painting and hands the rows the keyboard.
class EditChrome {
public:
    // Rows end this far from the screen's right edge, clear of where pockets are grabbed.
    static constexpr double rowTrailingInset = PocketRow::trailingInset;

    using Hit = ChromeHit;
    using Control = ChromeHit::Control;

    explicit EditChrome(EditModeModel model);

    // Takes this frame's state: the pointer (screen coordinates, absent off the screen), the
    // picture behind the overlay and the window's origin on the screen.
    void update(std::optional<QPointF> pointer, const QImage& backdrop, QPoint origin);
    // Device pixels per point, for the pictures it keeps.
    void setScale(double scale) { scale_ = scale; }
    // Advances the buttons' own hover and press motion; true while any of it moves.
    bool step(double dt);
    void paintBackdrop(QPainter& painter);
    // Paints the pieces that reach into `area`, the part of the screen being repainted.
    void paint(QPainter& painter, const QRegion& area) const;
    QRegion changedRegion() const { return changed_; }

    bool isShown() const { return edit_ > 0.001; }
    // Which control, or the dimmed backdrop, takes a press at the point; nothing where the
    // press belongs to a pocket or the plus bulge, or while the chrome takes no input.
    std::optional<Hit> hitAt(QPointF point) const;
    void press(QPointF point);
    // Performs the pressed control when the release lands on it; true when the chrome had
    // the press.
    bool release(QPointF point);
    // A move with the press held: a press on a name selects up to the pointer.
    void drag(QPointF point);
    QString helpAt(QPointF point) const;

    // Whether a pocket's name has the keyboard; it then takes what is typed.
    bool editsName() const { return rows_.editsName(); }
    // A key for the name being edited; false when it means nothing there.
    bool type(const KeyPress& press) { return rows_.type(press); }
    // Text pasted or composed into the name being edited.
    void insertText(std::string_view text) { rows_.insertText(text); }
    void compose(std::string_view preedit, std::string_view commit) { rows_.compose(preedit, commit); }
    // Where the caret of the name being edited stands; empty while none is.
    QRectF caretRect() const { return rows_.caretRect(); }

private:
    void layOutControls(std::optional<QPointF> pointer);
    void perform(const Hit& hit);
    void paintAddLabel(QPainter& painter) const;
    void paintFooter(QPainter& painter) const;
    // What the footer covers, its shadow included.
    QRectF footerBounds() const;
    // The footer drawn once per text: its frame, shadow and hint, at the frame's corner.
    void drawFooterPicture();
    // Notes every piece's place and look; answers what changed since the last frame.
    QRegion trackPieces();
    // Where "Add pocket" is drawn, its shadows included.
    QRectF placeAddLabel() const;
    bool takesInput() const;

    EditModeModel model_;
    QSizeF screen_;
    double scale_ = 1;
    QPoint origin_;
    double edit_ = 0;
    EditBackdrop backdrop_;
    PocketRows rows_;
    GlassCircleButton editToggle_ { 54 };
    GlassCircleButton prefsToggle_ { 42 };
    ShadowedText addLabel_;
    TextPlate addPlate_;
    ShadowedText footer_;
    QRectF footerFrame_;
    QImage footerPicture_;
    QString footerPictureText_;
    double addOpacity_ = 0;
    QRectF addFrame_;
    std::optional<Hit> pressed_;
    std::optional<Hit> hovered_;
    PreferencesPanel panel_;
    RepaintTracker pieces_;
    QRegion changed_;
    double paintedEdit_ = -1;
};

} // namespace kestrane
