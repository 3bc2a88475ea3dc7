#pragma once

#include "engine/SpringValue.h"
#include "platform/Uuid.h"
#include "views/NameField.h"
#include "views/styles/LegibleLabel.h"
#include "views/styles/ShadowedText.h"
#include "views/styles/TextPlate.h"

#include <QRectF>

class QPainter;

namespace kestrane {

// One pocket's row in edit mode, as placed for this frame: its name (an editable field on a
// capsule that grows while arranging), its item count, and its put-back and remove buttons.
// "Add pocket" is set like a row's name, so it shares the row's measures.
struct PocketRow {
    // Rows end this far from the screen's right edge, clear of where pockets are grabbed.
    static constexpr double trailingInset = 64;
    // How far rows slide in from the right as edit mode fades in.
    static constexpr double slideIn = 46;
    static constexpr double height = 28;
    // How far a label's plate reaches past its text.
    static constexpr double plateInset = 10;

    Uuid id;
    NameField field { uiFont(13, QFont::Medium) };
    // The field is shown and may take the keyboard.
    bool shown = false;
    bool takesKeys = false;
    ShadowedText nameShadow = legibleLabel(13, QFont::Medium, 0.92);
    ShadowedText count = ShadowedText(uiFont(10.5, QFont::DemiBold), white(0.9), std::vector<Shadow> {});
    TextPlate plate;
    double opacity = 0;
    double nameOpacity = 0;
    double arrange = 0;
    int items = 0;
    // Shows the put-back button: for a clearing, or for the pocket's own removal.
    bool lifted = false;
    bool removed = false;
    bool removable = false;
    QRectF name;
    QRectF badge;
    QRectF putBack;
    QRectF remove;
    SpringValue removeScale = SpringValue::atRest(1);
    SpringValue putBackScale = SpringValue::atRest(1);
    bool hoverRemove = false;
    bool hoverPutBack = false;

    QRectF bounds() const;
    NameField::Look fieldLook() const;
    // Advances the buttons' hover motion; true while it moves.
    bool step(double dt);
    void paint(QPainter& painter) const;
};

} // namespace kestrane
