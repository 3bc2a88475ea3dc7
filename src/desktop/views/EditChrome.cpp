#include "views/EditChrome.h"

#include "app/BackdropPress.h"
#include "engine/EditLayout.h"
#include "geometry/Easing.h"
#include "graphics/GaussianBlur.h"
#include "platform/Defaults.h"
#include "preferences/Preferences.h"
#include "preferences/SessionKeys.h"
#include "views/styles/Glyphs.h"
#include "views/styles/LegibleLabel.h"

#include <QPainter>

#include <utility>

namespace kestrane {

namespace {
constexpr double inputEdit = 0.05;
constexpr double plusLabelY = BezelEngine::plusCenter;
constexpr double footerSpacing = 12;

// The footer's drop shadow, blurred once for each text: a Gaussian whose reach (three
// deviations) plus the offset fits the picture's margin round the frame.
QImage footerShadow(QRectF frame, QSize pixels, double ratio)
{
    constexpr double offset = 6;
    constexpr double sigma = (legibleLabelReach - offset) / 3;
    QImage shape(pixels, QImage::Format_ARGB32_Premultiplied);
    shape.setDevicePixelRatio(ratio);
    shape.fill(Qt::transparent);
    QPainter painter(&shape);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.35F));
    painter.drawRoundedRect(frame.translated(0, offset), 14, 14);
    painter.end();
    QImage blurred = gaussianBlurred(shape, sigma * ratio);
    blurred.setDevicePixelRatio(ratio);
    return blurred;
}

// A shortcut that could not be registered is not offered: it would do nothing. Where no
// program may grab keys, the desktop's own settings bind one (the preferences say how).
QString shortcutHint(const Preferences& preferences, const Defaults& defaults)
{
    if (const auto trigger = defaults.stringValue(sessionKeys::portalTriggerKey); trigger && !trigger->empty())
        return QString::fromStdString(*trigger) + " to toggle \u00B7 esc to close";
    if (defaults.boolValue(sessionKeys::launchTogglesKey).value_or(false))
        return "esc to close";
    const bool rawKeyEvents = defaults.boolValue(sessionKeys::rawKeyEventsKey).value_or(false);
    const QString display = QString::fromStdString(preferences.shortcut().display());
    const bool works = preferences.shortcutRegistered();
    if (rawKeyEvents)
        return "double-tap control" + (works ? " or " + display : QString()) + " to toggle \u00B7 esc to close";
    return (works ? display + " to toggle \u00B7 " : QString()) + "esc to close";
}
} // namespace

EditChrome::EditChrome(EditModeModel model)
    : model_(model)
    , rows_(model.engine())
    , addLabel_(legibleLabel(13, QFont::Medium, 0.9))
    , footer_(legibleLabel(12, QFont::Medium, 0.9))
    , panel_(model)
{
    addLabel_.setText("Add pocket");
}

bool EditChrome::takesInput() const
{
    return edit_ > inputEdit && !model_.engine().state().dragSession;
}

void EditChrome::update(std::optional<QPointF> pointer, const QImage& backdrop, QPoint origin)
{
    const BezelState& state = model_.engine().state();
    const bool wasShown = isShown();
    screen_ = QSizeF(state.size.width, state.size.height);
    origin_ = origin;
    const QRegion wholeScreen(QRectF(QPointF(), screen_).toAlignedRect());
    edit_ = RepaintTracker::quantised(clamp01(state.editProgress.value));
    if (!isShown()) {
        rows_.hide();
        backdrop_.clear();
        changed_ = wasShown ? wholeScreen : QRegion();
        pieces_.clear();
        return;
    }
    const EditBackdrop::Change backdropChange = backdrop_.update(screen_, backdrop, state.blurScope.value, model_.engine().blurHalos());
    if (pointer && !takesInput())
        pointer.reset();
    rows_.layOut({ screen_, edit_, takesInput(), pointer ? hovered_ : std::nullopt, backdrop_.picture() });
    layOutControls(pointer);
    panel_.update(screen_, pointer, takesInput(), backdrop_.picture(), EditBackdrop::dimOpacity);

    const double shownEditBefore = std::exchange(paintedEdit_, edit_);
    const bool whole = !wasShown || backdropChange.picture || shownEditBefore != paintedEdit_;
    const QRegion piecesChanged = trackPieces();
    changed_ = whole ? wholeScreen : piecesChanged + panel_.changedRegion() + backdropChange.mask;
}

void EditChrome::paintBackdrop(QPainter& painter)
{
    if (isShown())
        backdrop_.paint(painter, edit_);
}

void EditChrome::layOutControls(std::optional<QPointF> pointer)
{
    const BezelState& state = model_.engine().state();
    hovered_ = pointer ? hitAt(*pointer) : std::nullopt;
    const Point editCentre = editLayout::editToggleCentre(screen_.width(), screen_.height(), state.bottomInset);
    const Point prefsCentre = editLayout::prefsToggleCentre(screen_.height(), state.bottomInset);
    editToggle_.setCentre({ editCentre.x, editCentre.y });
    prefsToggle_.setCentre({ prefsCentre.x, prefsCentre.y });
    const auto hovering = [&](Control control) { return hovered_ && hovered_->control == control; };
    const auto pressing = [&](Control control) { return pressed_ && pressed_->control == control && hovering(control); };
    editToggle_.setState(hovering(Control::editToggle), pressing(Control::editToggle), state.isArranging);
    prefsToggle_.setState(hovering(Control::prefsToggle), pressing(Control::prefsToggle), state.isShowingPreferences);
    const QString lead = state.isArranging ? "Drag to move \u00B7 rename inline \u00B7 " : "Click a pocket to see what's inside \u00B7 ";
    footer_.setText(lead + shortcutHint(model_.preferences(), model_.defaults()));
    const double footerHeight = footer_.metrics().height() + 22;
    footerFrame_ = QRectF(prefsCentre.x + editLayout::prefsToggleRadius + footerSpacing, prefsCentre.y - footerHeight / 2,
        footer_.width() + 32, footerHeight);
    drawFooterPicture();
    addOpacity_ = edit_ * clamp01(state.plusAmplitude.value / 18);
    addFrame_ = placeAddLabel();
    const double labelRight = addFrame_.right() - legibleLabelReach - 10;
    const double inset = PocketRow::plateInset;
    const QRectF plate(
        labelRight - addLabel_.width() - inset, plusLabelY - PocketRow::height / 2, addLabel_.width() + 2 * inset, PocketRow::height);
    addPlate_.place(plate, backdrop_.picture(), screen_, EditBackdrop::dimOpacity);
}

bool EditChrome::step(double dt)
{
    const bool togglesMoving = editToggle_.step(dt) | prefsToggle_.step(dt);
    const bool rowsMoving = rows_.step(dt);
    return togglesMoving || rowsMoving;
}

std::optional<EditChrome::Hit> EditChrome::hitAt(QPointF point) const
{
    if (!isShown() || !takesInput())
        return std::nullopt;
    if (editToggle_.contains(point))
        return Hit { Control::editToggle };
    if (prefsToggle_.contains(point))
        return Hit { Control::prefsToggle };
    if (const auto control = panel_.controlAt(point))
        return Hit { Control::panel, {}, control };
    if (panel_.contains(point))
        return Hit { Control::panel };
    if (const auto row = rows_.hitAt(point))
        return row;
    if (model_.engine().hitTest({ point.x(), point.y() }))
        return std::nullopt;
    return Hit { Control::backdrop };
}

void EditChrome::press(QPointF point)
{
    pressed_ = hitAt(point);
    rows_.press(point, pressed_ && pressed_->control == Control::row ? pressed_->pocket : std::nullopt);
}

void EditChrome::drag(QPointF point)
{
    rows_.drag(point);
}

bool EditChrome::release(QPointF point)
{
    rows_.release();
    const auto pressed = std::exchange(pressed_, std::nullopt);
    if (!pressed)
        return false;
    if (hitAt(point) == pressed)
        perform(*pressed);
    return true;
}

void EditChrome::perform(const Hit& hit)
{
    BezelEngine& engine = model_.engine();
    const BezelState& state = engine.state();
    switch (hit.control) {
    case Control::editToggle:
        engine.setArranging(!state.isArranging);
        break;
    case Control::prefsToggle:
        engine.setShowingPreferences(!state.isShowingPreferences);
        break;
    case Control::removePocket:
        engine.removeZone(*hit.pocket);
        break;
    case Control::putBack:
        engine.undoClear(*hit.pocket);
        break;
    case Control::putBackPocket:
        engine.undoRemoval();
        break;
    case Control::row:
        break;
    case Control::panel:
        if (hit.panelControl)
            panel_.perform(*hit.panelControl);
        break;
    case Control::backdrop:
        switch (backdropPressFor(state.wantsOpen, state.isShowingPreferences)) {
        case BackdropPress::closeDrawer:
            engine.closeDrawer();
            break;
        case BackdropPress::hidePreferences:
            engine.setShowingPreferences(false);
            break;
        case BackdropPress::leaveEditMode:
            engine.setEditing(false);
            break;
        }
        break;
    }
}

QString EditChrome::helpAt(QPointF point) const
{
    const auto hit = hitAt(point);
    const BezelState& state = model_.engine().state();
    if (!hit)
        return {};
    switch (hit->control) {
    case Control::editToggle:
        return state.isArranging ? "Done editing" : "Edit pockets";
    case Control::prefsToggle:
        return state.isShowingPreferences ? "Close preferences" : "Preferences";
    case Control::removePocket:
        return "Remove this pocket";
    case Control::putBack:
        return "Put back what was cleared";
    case Control::putBackPocket:
        return "Put back this pocket and its items";
    default:
        break;
    }
    return rows_.helpAt(point);
}

QRegion EditChrome::trackPieces()
{
    pieces_.begin();
    rows_.track(pieces_);
    const bool arranging = model_.engine().state().isArranging;
    if (addOpacity_ > 0.001)
        pieces_.note("add", addFrame_.toAlignedRect(), { addOpacity_ });
    auto toggleLook = editToggle_.look();
    toggleLook.insert(toggleLook.end(), { edit_, double(arranging) });
    pieces_.note("edit", editToggle_.bounds().toAlignedRect(), toggleLook);
    auto prefsLook = prefsToggle_.look();
    prefsLook.push_back(edit_);
    pieces_.note("prefs", prefsToggle_.bounds().toAlignedRect(), prefsLook);
    pieces_.note("footer", footerBounds().toAlignedRect(), { edit_, double(qHash(footer_.text())) });
    return pieces_.end();
}

QRectF EditChrome::placeAddLabel() const
{
    const double right = screen_.width() - rowTrailingInset + (1 - edit_) * PocketRow::slideIn;
    const double reach = legibleLabelReach + 10;
    return { right - addLabel_.width() - reach, plusLabelY - reach, addLabel_.width() + 2 * reach, 2 * reach };
}

void EditChrome::paint(QPainter& painter, const QRegion& area) const
{
    if (!isShown())
        return;
    // Pieces outside the area being repainted are skipped: clipped away, their shapes would
    // still be filled at full cost.
    const auto repainted = [&](const QRectF& bounds) { return area.intersects(bounds.toAlignedRect()); };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    rows_.paint(painter, area);
    if (addOpacity_ > 0.001 && repainted(addFrame_))
        paintAddLabel(painter);
    painter.setOpacity(1);
    panel_.paint(painter);
    const bool arranging = model_.engine().state().isArranging;
    if (repainted(editToggle_.bounds()))
        editToggle_.paint(painter, arranging ? glyphs::checkmark() : glyphs::pencil(), edit_);
    if (repainted(prefsToggle_.bounds()))
        prefsToggle_.paint(painter, glyphs::gear(), edit_, GlassCircleButton::SymbolStyle::filled);
    if (repainted(footerBounds()))
        paintFooter(painter);
    painter.restore();
}

void EditChrome::paintAddLabel(QPainter& painter) const
{
    painter.setOpacity(addOpacity_);
    addPlate_.paint(painter, 1);
    const QFontMetricsF metrics = addLabel_.metrics();
    const double right = addFrame_.right() - legibleLabelReach - 10;
    addLabel_.paint(painter, { right - addLabel_.width(), plusLabelY + (metrics.ascent() - metrics.descent()) / 2 });
}

QRectF EditChrome::footerBounds() const
{
    return footerFrame_.adjusted(-legibleLabelReach, -legibleLabelReach, legibleLabelReach, legibleLabelReach);
}

void EditChrome::paintFooter(QPainter& painter) const
{
    painter.setOpacity(edit_);
    painter.drawImage(footerBounds().topLeft(), footerPicture_);
}

void EditChrome::drawFooterPicture()
{
    if (footerPictureText_ == footer_.text() && !footerPicture_.isNull())
        return;
    footerPictureText_ = footer_.text();
    const QRectF frame(QPointF(legibleLabelReach, legibleLabelReach), footerFrame_.size());
    const double ratio = scale_;
    footerPicture_ = QImage(((footerFrame_.size() + QSizeF(2 * legibleLabelReach, 2 * legibleLabelReach)) * ratio).toSize(),
        QImage::Format_ARGB32_Premultiplied);
    footerPicture_.setDevicePixelRatio(ratio);
    footerPicture_.fill(Qt::transparent);
    QPainter painter(&footerPicture_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.drawImage(QPointF(0, 0), footerShadow(frame, footerPicture_.size(), ratio));
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.55F));
    painter.setPen(QPen(white(0.12), 1));
    painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    const QFontMetricsF metrics = footer_.metrics();
    footer_.paint(painter, { frame.left() + 16, frame.center().y() + (metrics.ascent() - metrics.descent()) / 2 });
}

} // namespace kestrane
