#pragma once

#include "app/LayerStack.h"
#include "app/TextField.h"
#include "engine/BezelEngine.h"
#include "graphics/GaussianBlur.h"
#include "views/NameField.h"
#include "views/PreferencesPanel.h"
#include "views/styles/TextPlate.h"
#include "views/RepaintTracker.h"
#include "views/styles/GlassCircleButton.h"
#include "views/styles/ShadowedText.h"

#include <QImage>
#include <QRegion>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QPainter;

namespace kestrane {


// What edit mode shows over the desktop: the blurred, dimmed screen behind everything; one
// row per pocket beside the edge with its name (an editable field), its item count, the
// put-back and remove buttons (a removed pocket that can come back keeps a dimmed row with
// its put-back button where its remove button was); "Add pocket" beside the plus bulge; the edit and preferences
// toggles; the footer hint; and the preferences panel. It fades and slides with the
// engine's springs and calls the engine's operations. Everything is in the screen's
// coordinates. The name fields are its own: it paints them and feeds them keys and text.
class EditChrome {
public:
    // Rows end this far from the screen's right edge, clear of where pockets are grabbed.
    static constexpr double rowTrailingInset = 64;

    // A press on the panel away from its controls, or on a row's name or count, is taken and
    // does nothing.
    enum class Control { editToggle, prefsToggle, removePocket, putBack, putBackPocket, row, panel, backdrop };
    struct Hit {
        Control control;
        std::optional<Uuid> zone = {};
        std::optional<PanelControl> panelControl = {};
        bool operator==(const Hit&) const = default;
    };

    explicit EditChrome(EditModeModel model);
    ~EditChrome();

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
    bool editsName() const { return focused_.has_value(); }
    // A key for the name being edited; false when it means nothing there.
    bool type(const KeyPress& press);
    // Text pasted or composed into the name being edited.
    void insertText(std::string_view text);
    void compose(std::string_view preedit, std::string_view commit);
    // Where the caret of the name being edited stands; empty while none is.
    QRectF caretRect() const;

private:
    struct Row;

    // Draws the blur mask again where it changed; answers that area.
    QRegion updateBlurMask();
    QImage haloPicture(const std::vector<BlurHalo>& halos) const;
    bool setBackdrop(const QImage& backdrop);
    void composeDimmed(const QRegion& area);
    void layOutRows(std::optional<QPointF> pointer);
    void placeRow(Row& row, const BlobRuntime& blob, double slide, std::optional<QPointF> pointer);
    void syncField(Row& row, const std::string& name, bool editable);
    Row* focusedRow() const;
    void focus(Row* row);
    bool edited(Row& row, TextField::Change change);
    NameField::Look fieldLook(const Row& row) const;
    void focusNewPocket();
    void layOutControls(std::optional<QPointF> pointer);
    void perform(const Hit& hit);
    void paintRow(QPainter& painter, const Row& row) const;
    void paintFooter(QPainter& painter) const;
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
    std::vector<std::unique_ptr<Row>> rows_;
    // A fresh pocket whose field is still to take the keyboard.
    std::optional<Uuid> pendingFocus_;
    // The pocket whose name has the keyboard, and whether a press on it is held.
    std::optional<Uuid> focused_;
    bool selectingName_ = false;
    // The picture behind the overlay and its blur, kept at the reduced size it is worked out at.
    QImage backdrop_;
    ReducedBlur blurred_;
    QImage blurMask_;
    // The blurred backdrop, darkened and masked: composed at the mask's resolution, then
    // enlarged once into a picture the screen's size that frames only copy. The stale part is
    // composed again before it is next painted.
    QImage dimmedSmall_;
    QImage dimmed_;
    QRegion dimmedStale_;
    double maskScope_ = -1;
    std::vector<BlurHalo> maskHalos_;
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
