#include "views/EditChrome.h"

#include "engine/EditLayout.h"
#include "onboarding/Onboarding.h"
#include "platform/Defaults.h"
#include "preferences/Preferences.h"
#include "geometry/Easing.h"
#include "graphics/GaussianBlur.h"
#include "views/styles/LegibleLabel.h"
#include "views/NameField.h"
#include "views/styles/TextPlate.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double shownEdit = 0.001;
constexpr double inputEdit = 0.05;
constexpr double editableArrange = 0.6;
constexpr double rowSlideIn = 46;
constexpr double openRowSlide = 170;
constexpr double nameWidth = 168;
constexpr double fieldHeight = 28;
constexpr double rowSpacing = 7;
constexpr double roundButton = 26;
constexpr double badgeHeight = 19;
constexpr double badgePadding = 6;
constexpr double hoveredScale = 1.12;
constexpr SpringMotion buttonScaleMotion { 0.26, 0.66 };
constexpr double plusLabelY = BezelEngine::plusCenter;
constexpr double footerSpacing = 12;
constexpr double blurRadius = 8;
// Edit mode darkens what it blurs a little, so that its white labels stand out.
constexpr double dimOpacity = 0.3;
constexpr double bandWidth = 600;
constexpr double haloCorner = 40;
constexpr double haloGrowth = 44;
constexpr double haloBlur = 48;
// The mask and the dimmed picture are worked out at half the screen's resolution: both are
// soft, and scaled up they show no difference.
constexpr double maskScale = 0.5;
// The halos are blurred far more than the mask is detailed: they are drawn smaller still.
constexpr double haloScale = 0.125;
constexpr double labelReach = 24;
// How far a label's plate reaches past its text.
constexpr double plateInset = 10;
// The name of a removed pocket that can still be put back is shown this faint.
constexpr double removedNameOpacity = 0.45;

double quantised(double x)
{
    return std::round(x * 256) / 256;
}

QRectF grownHalo(const BlurHalo& halo)
{
    const QRectF rect(halo.rect.x, halo.rect.y, halo.rect.width, halo.rect.height);
    return rect.adjusted(-haloGrowth / 2, -haloGrowth / 2, haloGrowth / 2, haloGrowth / 2);
}

// Where the mask differs between two sets of halos: the places of those that changed.
QRegion haloChanges(const std::vector<BlurHalo>& before, const std::vector<BlurHalo>& after)
{
    // A halo's blur reaches three of its deviations beyond the grown rect.
    const double reach = 1.5 * haloBlur + 1;
    QRegion changed;
    const auto addUnmatched = [&](const std::vector<BlurHalo>& list, const std::vector<BlurHalo>& other) {
        for (const BlurHalo& halo : list) {
            if (std::find(other.begin(), other.end(), halo) == other.end())
                changed += grownHalo(halo).adjusted(-reach, -reach, reach, reach).toAlignedRect();
        }
    };
    addUnmatched(before, after);
    addUnmatched(after, before);
    return changed;
}

// The mask is drawn at half resolution: an area to redraw is widened to even coordinates,
// so that it covers whole pixels of the mask.
QRegion evenAligned(const QRegion& region)
{
    QRegion aligned;
    for (const QRect& rect : region) {
        const int left = rect.left() & ~1;
        const int top = rect.top() & ~1;
        aligned += QRect(QPoint(left, top), QPoint((rect.right() | 1), (rect.bottom() | 1)));
    }
    return aligned;
}

QPainterPath checkmark()
{
    QPainterPath path;
    path.moveTo(-6, 0.5);
    path.lineTo(-2, 4.5);
    path.lineTo(6.5, -4.5);
    return path;
}

QPainterPath pencil()
{
    QPainterPath path;
    path.moveTo(-5.5, 5.5);
    path.lineTo(-5, 2.5);
    path.lineTo(3, -5.5);
    path.lineTo(5.5, -3);
    path.lineTo(-2.5, 5);
    path.closeSubpath();
    return path;
}

// A filled wheel of eight flat-topped teeth round a hole: teeth that taper and gaps that
// widen outwards stay apart at 1x, where the whole gear is 15 pixels across.
QPainterPath gear()
{
    constexpr int teeth = 8;
    constexpr double tipRadius = 7.4;
    constexpr double rootRadius = 5.5;
    constexpr double holeRadius = 2.3;
    // Half the angle each tooth spans at its tip and at its root.
    constexpr double tipHalf = 0.17;
    constexpr double rootHalf = 0.28;
    const auto at = [](double radius, double angle) { return QPointF(radius * std::cos(angle), radius * std::sin(angle)); };
    QPolygonF wheel;
    for (int i = 0; i < teeth; ++i) {
        const double middle = 2 * M_PI * i / teeth;
        wheel << at(rootRadius, middle - rootHalf) << at(tipRadius, middle - tipHalf) << at(tipRadius, middle + tipHalf) << at(rootRadius, middle + rootHalf);
    }
    QPainterPath path;
    path.addPolygon(wheel);
    path.closeSubpath();
    path.addEllipse(QPointF(0, 0), holeRadius, holeRadius);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

// The footer's drop shadow, blurred once for each text: a Gaussian whose reach (three
// deviations) plus the offset fits the picture's margin round the frame.
QImage footerShadow(QRectF frame, QSize pixels, double ratio)
{
    constexpr double offset = 6;
    constexpr double sigma = (labelReach - offset) / 3;
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

QPainterPath minus()
{
    QPainterPath path;
    path.moveTo(-3.5, 0);
    path.lineTo(3.5, 0);
    return path;
}

QPainterPath uturn()
{
    QPainterPath path;
    path.moveTo(-1, -5);
    path.lineTo(-4, -2);
    path.lineTo(-1, 1);
    path.moveTo(-4, -2);
    path.lineTo(1.5, -2);
    path.cubicTo(5.5, -2, 5.5, 4.5, 1.5, 4.5);
    path.lineTo(-2, 4.5);
    return path;
}

// A shortcut that could not be registered is not offered: it would do nothing.
QString shortcutHint(const Preferences& preferences, bool rawKeyEvents)
{
    const QString display = QString::fromStdString(preferences.shortcut().display());
    const bool works = preferences.shortcutRegistered();
    if (rawKeyEvents)
        return "double-tap control" + (works ? " or " + display : QString()) + " to toggle \u00B7 esc to close";
    return (works ? display + " to toggle \u00B7 " : QString()) + "esc to close";
}
} // namespace

struct EditChrome::Row {
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

    QRectF bounds() const
    {
        return name.united(removed ? putBack : remove).adjusted(-labelReach, -labelReach, labelReach, labelReach);
    }
};

EditChrome::EditChrome(EditModeModel model)
    : model_(model)
    , addLabel_(legibleLabel(13, QFont::Medium, 0.9))
    , footer_(legibleLabel(12, QFont::Medium, 0.9))
    , panel_(model)
{
    addLabel_.setText("Add pocket");
}

EditChrome::~EditChrome() = default;

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
    // Quantised like every look that decides a repaint, so that pieces repainted at different
    // times agree on it.
    edit_ = quantised(clamp01(state.editProgress.value));
    if (!isShown()) {
        for (auto& row : rows_)
            row->shown = row->takesKeys = false;
        focus(nullptr);
        setBackdrop(QImage());
        dimmedSmall_ = QImage();
        dimmed_ = QImage();
        dimmedStale_ = QRegion();
        changed_ = wasShown ? QRegion(QRectF(QPointF(), screen_).toAlignedRect()) : QRegion();
        pieces_.clear();
        return;
    }
    const bool backdropChanged = setBackdrop(backdrop);
    const QRegion maskChanged = updateBlurMask();
    dimmedStale_ += backdropChanged ? QRegion(QRectF(QPointF(), screen_).toAlignedRect()) : maskChanged;
    if (pointer && !takesInput())
        pointer.reset();
    layOutRows(pointer);
    layOutControls(pointer);
    panel_.update(screen_, pointer, takesInput(), backdrop_, dimOpacity);
    focusNewPocket();

    const double shownEditBefore = std::exchange(paintedEdit_, edit_);
    const bool whole = !wasShown || backdropChanged || shownEditBefore != paintedEdit_;
    const QRegion piecesChanged = trackPieces();
    changed_ = whole ? QRegion(QRectF(QPointF(), screen_).toAlignedRect()) : piecesChanged + panel_.changedRegion() + maskChanged;
}

QRegion EditChrome::updateBlurMask()
{
    const BezelState& state = model_.engine().state();
    const double scope = quantised(clamp01(state.blurScope.value));
    auto halos = model_.engine().blurHalos();
    for (BlurHalo& halo : halos)
        halo.presence = quantised(clamp01(halo.presence));
    const QRect whole = QRectF(QPointF(), screen_).toAlignedRect();
    const QSize size = (screen_ * maskScale).toSize();
    const bool fresh = blurMask_.size() != size || scope != maskScope_;
    if (!fresh && halos == maskHalos_)
        return {};
    const QRegion changed = fresh ? QRegion(whole) : evenAligned(haloChanges(maskHalos_, halos));
    maskScope_ = scope;
    maskHalos_ = halos;
    if (fresh)
        blurMask_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    QPainter mask(&blurMask_);
    mask.scale(maskScale, maskScale);
    mask.setClipRegion(changed);
    mask.setCompositionMode(QPainter::CompositionMode_Source);
    mask.fillRect(whole, white(scope));
    mask.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QLinearGradient band(screen_.width() - bandWidth, 0, screen_.width(), 0);
    band.setColorAt(0, white(0));
    band.setColorAt(0.5, white(1));
    band.setColorAt(1, white(1));
    mask.fillRect(QRectF(screen_.width() - bandWidth, 0, bandWidth, screen_.height()), band);
    mask.setRenderHint(QPainter::SmoothPixmapTransform);
    mask.drawImage(QRectF(whole), haloPicture(halos));
    return changed;
}

QImage EditChrome::haloPicture(const std::vector<BlurHalo>& halos) const
{
    QImage picture((screen_ * haloScale).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(haloScale, haloScale);
    painter.setPen(Qt::NoPen);
    for (const BlurHalo& halo : halos) {
        painter.setBrush(white(halo.presence));
        painter.drawRoundedRect(grownHalo(halo), haloCorner, haloCorner);
    }
    painter.end();
    return gaussianBlurred(picture, haloBlur / 2 * haloScale);
}

bool EditChrome::setBackdrop(const QImage& backdrop)
{
    if (backdrop.cacheKey() == backdrop_.cacheKey() || (backdrop.isNull() && backdrop_.isNull()))
        return false;
    backdrop_ = backdrop;
    const double pixelsPerPoint = screen_.width() > 0 ? backdrop.width() / screen_.width() : 1;
    blurred_ = backdrop.isNull() ? ReducedBlur {} : gaussianBlurredReduced(backdrop, blurRadius * pixelsPerPoint);
    return true;
}

void EditChrome::composeDimmed(const QRegion& area)
{
    const QRect small = dimmedSmall_.rect();
    QRegion smallArea;
    for (const QRect& rect : area)
        smallArea += QRect(rect.x() / 2, rect.y() / 2, rect.width() / 2, rect.height() / 2);
    QPainter compose(&dimmedSmall_);
    compose.setClipRegion(smallArea);
    compose.setRenderHint(QPainter::SmoothPixmapTransform);
    compose.setCompositionMode(QPainter::CompositionMode_Source);
    const bool blurred = !blurred_.picture.isNull();
    if (blurred)
        compose.drawImage(QRectF(small), blurred_.picture, QRectF(QPointF(), QSizeF(backdrop_.size()) / blurred_.factor));
    else
        compose.fillRect(small, Qt::black);
    compose.setCompositionMode(QPainter::CompositionMode_SourceOver);
    compose.fillRect(small, QColor::fromRgbF(0, 0, 0, static_cast<float>(blurred ? dimOpacity : 1)));
    compose.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    compose.drawImage(small, blurMask_);
    compose.end();

    QPainter enlarge(&dimmed_);
    enlarge.setClipRegion(area);
    enlarge.setRenderHint(QPainter::SmoothPixmapTransform);
    enlarge.setCompositionMode(QPainter::CompositionMode_Source);
    enlarge.drawImage(QRectF(dimmed_.rect()), dimmedSmall_);
}

void EditChrome::paintBackdrop(QPainter& painter)
{
    if (!isShown())
        return;
    if (dimmed_.size() != screen_.toSize() || dimmedSmall_.size() != blurMask_.size()) {
        dimmed_ = QImage(screen_.toSize(), QImage::Format_ARGB32_Premultiplied);
        dimmedSmall_ = QImage(blurMask_.size(), QImage::Format_ARGB32_Premultiplied);
        dimmedStale_ = QRegion(dimmed_.rect());
    }
    if (!dimmedStale_.isEmpty())
        composeDimmed(std::exchange(dimmedStale_, QRegion()));
    painter.save();
    painter.setOpacity(edit_ * (backdrop_.isNull() ? dimOpacity : 1));
    painter.drawImage(QPointF(), dimmed_);
    painter.restore();
}

void EditChrome::layOutRows(std::optional<QPointF> pointer)
{
    BezelEngine& engine = model_.engine();
    const BezelState& state = engine.state();
    std::vector<std::unique_ptr<Row>> kept;
    for (const BlobRuntime& blob : state.blobs) {
        auto found = std::find_if(rows_.begin(), rows_.end(), [&](const auto& row) { return row && row->id == blob.config.id; });
        std::unique_ptr<Row> row = found != rows_.end() ? std::move(*found) : std::make_unique<Row>();
        row->id = blob.config.id;
        double slide = 0;
        if (state.openZone == blob.config.id) {
            if (const auto node = engine.openLayoutNode())
                slide = smoothstep((std::min(1.0, node->amplitude / 214) - 0.14) / 0.44);
        }
        placeRow(*row, blob, slide, pointer);
        kept.push_back(std::move(row));
    }
    rows_ = std::move(kept);
}

void EditChrome::placeRow(Row& row, const BlobRuntime& blob, double slide, std::optional<QPointF> pointer)
{
    const BezelState& state = model_.engine().state();
    row.removed = state.removedPocket == blob.config.id;
    row.opacity = edit_ * (row.removed ? 1 : clamp01(blob.life.value));
    row.nameOpacity = row.opacity * (row.removed ? removedNameOpacity : 1);
    row.arrange = clamp01(blob.arrange.value);
    row.items = blob.itemCount;
    row.removable = !row.removed && model_.engine().canRemoveZone();
    row.lifted = row.removed || (state.liftedItems.contains(blob.config.id) && !state.liftedItems.at(blob.config.id).empty());
    const double y = blob.y.value;
    double right = screen_.width() - rowTrailingInset + (1 - row.opacity) * rowSlideIn - slide * openRowSlide;
    const double slot = row.removable ? row.arrange * roundButton : 0;
    row.remove = row.removable ? QRectF(right - slot / 2 - roundButton / 2, y - roundButton / 2, roundButton, roundButton) : QRectF();
    if (slot > 0)
        right -= slot + rowSpacing;
    row.putBack = row.lifted ? QRectF(right - roundButton, y - roundButton / 2, roundButton, roundButton) : QRectF();
    if (row.lifted)
        right -= roundButton + rowSpacing;
    row.count.setText(row.items > 0 ? QString::number(row.items) : QString());
    const double badgeWidth = std::max(badgeHeight, row.count.width() + 2 * badgePadding);
    row.badge = row.items > 0 ? QRectF(right - badgeWidth, y - badgeHeight / 2, badgeWidth, badgeHeight) : QRectF();
    if (row.items > 0)
        right -= badgeWidth + rowSpacing;
    row.name = QRectF(right - nameWidth, y - fieldHeight / 2, nameWidth, fieldHeight);
    row.nameShadow.setText(QString::fromStdString(blob.config.name));
    const double textLeft = row.name.right() - row.nameShadow.width() - plateInset;
    const double textRight = row.items > 0 ? row.badge.right() : row.name.right();
    row.plate.place(QRectF(textLeft, row.name.top(), textRight - textLeft + plateInset, row.name.height()), backdrop_, screen_, dimOpacity);
    row.hoverRemove = pointer && hovered_ == Hit { Control::removePocket, blob.config.id };
    row.hoverPutBack = pointer && hovered_ == Hit { row.removed ? Control::putBackPocket : Control::putBack, blob.config.id };
    const bool editable = row.opacity > 0.01 && !row.removed && (row.arrange > editableArrange || state.soloEditing == blob.config.id);
    syncField(row, blob.config.name, editable);
}

void EditChrome::syncField(Row& row, const std::string& name, bool editable)
{
    row.shown = isShown() && row.opacity > 0.01;
    row.takesKeys = row.shown && editable && takesInput();
    if (focused_ == row.id && !row.takesKeys)
        focus(nullptr);
    // The name being typed is the user's; any other follows the engine's.
    if (focused_ != row.id && row.field.text().text() != name) {
        row.field.text().setText(name);
        row.field.changed();
    }
}

EditChrome::Row* EditChrome::focusedRow() const
{
    const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const auto& each) { return each->id == focused_; });
    return row == rows_.end() ? nullptr : row->get();
}

void EditChrome::focus(Row* row)
{
    if (Row* before = focusedRow())
        before->field.setFocused(false);
    focused_ = row ? std::optional(row->id) : std::nullopt;
    if (row)
        row->field.setFocused(true);
}

// A fresh pocket's field takes the keyboard as soon as it takes input, with its given name
// selected: typing replaces it.
void EditChrome::focusNewPocket()
{
    if (const auto id = model_.engine().takeNewlyAdded())
        pendingFocus_ = *id;
    if (!pendingFocus_)
        return;
    const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const auto& each) { return each->id == pendingFocus_; });
    if (row == rows_.end()) {
        pendingFocus_.reset();
        return;
    }
    if (!(*row)->takesKeys)
        return;
    focus(row->get());
    edited(**row, (*row)->field.text().apply(TextField::Command::selectAll));
    pendingFocus_.reset();
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
    footer_.setText(lead + shortcutHint(model_.preferences(), model_.defaults().boolValue("kestrane.inputMonitoring").value_or(false)));
    const double footerHeight = footer_.metrics().height() + 22;
    footerFrame_ = QRectF(prefsCentre.x + editLayout::prefsToggleRadius + footerSpacing, prefsCentre.y - footerHeight / 2, footer_.width() + 32, footerHeight);
    drawFooterPicture();
    addOpacity_ = edit_ * clamp01(state.plusAmplitude.value / 18);
    addFrame_ = placeAddLabel();
    const double labelRight = addFrame_.right() - labelReach - 10;
    addPlate_.place(QRectF(labelRight - addLabel_.width() - plateInset, plusLabelY - fieldHeight / 2, addLabel_.width() + 2 * plateInset, fieldHeight), backdrop_, screen_, dimOpacity);
}

bool EditChrome::step(double dt)
{
    bool moving = editToggle_.step(dt) | prefsToggle_.step(dt);
    for (auto& row : rows_) {
        row->removeScale.step(row->hoverRemove ? hoveredScale : 1, dt, buttonScaleMotion);
        row->putBackScale.step(row->hoverPutBack ? hoveredScale : 1, dt, buttonScaleMotion);
        moving = moving || !row->removeScale.isSettled || !row->putBackScale.isSettled;
    }
    return moving;
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
    for (const auto& row : rows_) {
        if (row->opacity <= 0.01)
            continue;
        if (row->removable && row->arrange > editableArrange && row->remove.contains(point))
            return Hit { Control::removePocket, row->id };
        if (row->lifted && row->putBack.contains(point))
            return Hit { row->removed ? Control::putBackPocket : Control::putBack, row->id };
        if (row->name.contains(point) || row->badge.contains(point))
            return Hit { Control::row, row->id };
    }
    if (model_.engine().hitTest({ point.x(), point.y() }))
        return std::nullopt;
    return Hit { Control::backdrop };
}

void EditChrome::press(QPointF point)
{
    pressed_ = hitAt(point);
    const auto row = pressed_ && pressed_->control == Control::row
        ? std::find_if(rows_.begin(), rows_.end(), [&](const auto& each) { return each->id == pressed_->zone && each->takesKeys && each->name.contains(point); })
        : rows_.end();
    // A press anywhere but on a name that takes the keyboard lets the name being edited go.
    if (row == rows_.end())
        return focus(nullptr);
    focus(row->get());
    edited(**row, (*row)->field.text().moveCaretTo((*row)->field.offsetAt(fieldLook(**row), point.x()), false));
    selectingName_ = true;
}

void EditChrome::drag(QPointF point)
{
    if (Row* row = selectingName_ ? focusedRow() : nullptr)
        edited(*row, row->field.text().moveCaretTo(row->field.offsetAt(fieldLook(*row), point.x()), true));
}

bool EditChrome::release(QPointF point)
{
    selectingName_ = false;
    const auto pressed = std::exchange(pressed_, std::nullopt);
    if (!pressed)
        return false;
    if (hitAt(point) == pressed)
        perform(*pressed);
    return true;
}

NameField::Look EditChrome::fieldLook(const Row& row) const
{
    // The text stands where the shadows painted beneath it expect it.
    return { row.name, 13 * row.arrange + 2, white((0.92 + 0.08 * row.arrange) * row.nameOpacity), white(0.45 * row.opacity) };
}

bool EditChrome::type(const KeyPress& press)
{
    Row* row = focusedRow();
    if (!row)
        return false;
    const std::uint16_t key = press.key ? press.key->keyCode : 0;
    const std::uint64_t held = press.key ? press.key->modifierFlags : 0;
    if (press.key && (key == keyCode::returnKey || key == keyCode::keypadEnter)) {
        model_.engine().endSoloEditing();
        focus(nullptr);
        return true;
    }
    if (const auto command = press.key ? textFieldCommand(key, held) : std::nullopt)
        return edited(*row, row->field.text().apply(*command));
    // Keys that type no visible character (Escape, Tab) are the program's.
    const bool printable = std::any_of(press.text.begin(), press.text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; });
    if (!printable || (held & (modifier::control | modifier::command)) != 0)
        return false;
    return edited(*row, row->field.text().insert(press.text));
}

void EditChrome::insertText(std::string_view text)
{
    if (Row* row = focusedRow())
        edited(*row, row->field.text().insert(text));
}

void EditChrome::compose(std::string_view preedit, std::string_view commit)
{
    Row* row = focusedRow();
    if (!row)
        return;
    if (!commit.empty() || preedit.empty())
        edited(*row, row->field.text().commit(commit));
    edited(*row, row->field.text().setPreedit(preedit));
}

QRectF EditChrome::caretRect() const
{
    const Row* row = focusedRow();
    return row ? row->field.caretRect(fieldLook(*row)) : QRectF();
}

// What the user typed renames the pocket; the engine's name then follows it.
bool EditChrome::edited(Row& row, TextField::Change change)
{
    if (change.text)
        model_.engine().rename(row.id, row.field.text().text());
    if (change.repaint)
        row.field.changed();
    return true;
}

void EditChrome::perform(const Hit& hit)
{
    BezelEngine& engine = model_.engine();
    const BezelState& state = engine.state();
    switch (hit.control) {
    case Control::editToggle: engine.setArranging(!state.isArranging); break;
    case Control::prefsToggle: engine.setShowingPreferences(!state.isShowingPreferences); break;
    case Control::removePocket: engine.removeZone(*hit.zone); break;
    case Control::putBack: engine.undoClear(*hit.zone); break;
    case Control::putBackPocket: engine.undoRemoval(); break;
    case Control::row: break;
    case Control::panel:
        if (hit.panelControl)
            panel_.perform(*hit.panelControl);
        break;
    case Control::backdrop:
        if (state.wantsOpen)
            engine.closeDrawer();
        else if (state.isShowingPreferences)
            engine.setShowingPreferences(false);
        else
            engine.setEditing(false);
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
    case Control::editToggle: return state.isArranging ? "Done editing" : "Edit pockets";
    case Control::prefsToggle: return state.isShowingPreferences ? "Close preferences" : "Preferences";
    case Control::removePocket: return "Remove this pocket";
    case Control::putBack: return "Put back what was cleared";
    case Control::putBackPocket: return "Put back this pocket and its items";
    default: break;
    }
    for (const auto& row : rows_) {
        if (row->items > 0 && row->badge.contains(point))
            return row->items == 1 ? QString("1 item") : QString("%1 items").arg(row->items);
    }
    return {};
}

QRegion EditChrome::trackPieces()
{
    pieces_.begin();
    for (const auto& row : rows_) {
        if (row->opacity <= 0.001)
            continue;
        pieces_.note(row->id.string(), row->bounds().toAlignedRect(),
            { row->opacity, row->nameOpacity, row->arrange, double(row->items), double(row->lifted), double(row->removable), double(row->hoverRemove), double(row->hoverPutBack),
                row->removeScale.value, row->putBackScale.value, row->name.left(), row->badge.left(), double(qHash(row->nameShadow.text())),
                double(row->field.revision()) });
    }
    const bool arranging = model_.engine().state().isArranging;
    if (addOpacity_ > 0.001)
        pieces_.note("add", addFrame_.toAlignedRect(), { addOpacity_ });
    auto toggleLook = editToggle_.look();
    toggleLook.insert(toggleLook.end(), { edit_, double(arranging) });
    pieces_.note("edit", editToggle_.bounds().toAlignedRect(), toggleLook);
    auto prefsLook = prefsToggle_.look();
    prefsLook.push_back(edit_);
    pieces_.note("prefs", prefsToggle_.bounds().toAlignedRect(), prefsLook);
    pieces_.note("footer", footerFrame_.adjusted(-labelReach, -labelReach, labelReach, labelReach).toAlignedRect(), { edit_, double(qHash(footer_.text())) });
    return pieces_.end();
}

QRectF EditChrome::placeAddLabel() const
{
    const double right = screen_.width() - rowTrailingInset + (1 - edit_) * rowSlideIn;
    const double reach = labelReach + 10;
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
    for (const auto& row : rows_) {
        if (row->opacity > 0.001 && repainted(row->bounds()))
            paintRow(painter, *row);
    }
    if (addOpacity_ > 0.001 && repainted(addFrame_)) {
        painter.setOpacity(addOpacity_);
        addPlate_.paint(painter, 1);
        const QFontMetricsF metrics = addLabel_.metrics();
        const double right = addFrame_.right() - labelReach - 10;
        addLabel_.paint(painter, { right - addLabel_.width(), plusLabelY + (metrics.ascent() - metrics.descent()) / 2 });
    }
    painter.setOpacity(1);
    panel_.paint(painter);
    const bool arranging = model_.engine().state().isArranging;
    if (repainted(editToggle_.bounds()))
        editToggle_.paint(painter, arranging ? checkmark() : pencil(), edit_);
    if (repainted(prefsToggle_.bounds()))
        prefsToggle_.paint(painter, gear(), edit_, GlassCircleButton::SymbolStyle::filled);
    if (repainted(footerFrame_.adjusted(-labelReach, -labelReach, labelReach, labelReach)))
        paintFooter(painter);
    painter.restore();
}

void EditChrome::paintRow(QPainter& painter, const Row& row) const
{
    painter.setOpacity(row.nameOpacity);
    row.plate.paint(painter, 1);
    painter.setOpacity(row.opacity);
    const double a = row.arrange;
    const double capsuleShown = smoothstep(a / 0.35);
    if (capsuleShown > 0.001) {
        painter.save();
        painter.translate(row.name.center());
        painter.scale(0.34 + 0.66 * a, 1);
        painter.setOpacity(row.nameOpacity * capsuleShown);
        const QRectF capsule(-row.name.width() / 2, -row.name.height() / 2, row.name.width(), row.name.height());
        painter.setBrush(white(0.1 * a));
        painter.setPen(QPen(white(0.12 * a), 1));
        painter.drawRoundedRect(capsule.adjusted(0.5, 0.5, -0.5, -0.5), fieldHeight / 2, fieldHeight / 2);
        painter.restore();
    }
    const QFontMetricsF nameMetrics = row.nameShadow.metrics();
    const double nameRight = row.name.right() - 13 * a - 2;
    painter.setOpacity(row.nameOpacity);
    row.nameShadow.paintShadows(painter, { nameRight - row.nameShadow.width(), row.name.center().y() + (nameMetrics.ascent() - nameMetrics.descent()) / 2 });
    painter.setOpacity(1);
    if (row.shown)
        row.field.paint(painter, fieldLook(row));
    painter.setOpacity(row.opacity);
    if (row.items > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.09));
        painter.drawRoundedRect(row.badge, badgeHeight / 2, badgeHeight / 2);
        const QFontMetricsF metrics = row.count.metrics();
        row.count.paint(painter, { row.badge.center().x() - row.count.width() / 2, row.badge.center().y() + (metrics.ascent() - metrics.descent()) / 2 });
    }
    const auto roundButtonAt = [&](const QRectF& frame, const QPainterPath& symbol, bool hovered, double scale, double opacity) {
        painter.save();
        painter.setOpacity(row.opacity * opacity);
        painter.translate(frame.center());
        painter.scale(scale, scale);
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(hovered ? 0.24 : 0.12));
        painter.drawEllipse(QPointF(0, 0), 12, 12);
        painter.setPen(QPen(white(hovered ? 1.0 : 0.8), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(symbol);
        painter.restore();
    };
    if (row.lifted)
        roundButtonAt(row.putBack, uturn(), row.hoverPutBack, row.putBackScale.value, 1);
    const double w = clamp01(2 * (a - 0.25));
    if (row.removable && w > 0.001)
        roundButtonAt(row.remove, minus(), row.hoverRemove, (a * 0.7 + 0.3) * row.removeScale.value, smoothstep(w));
}

void EditChrome::paintFooter(QPainter& painter) const
{
    painter.setOpacity(edit_);
    painter.drawImage(footerFrame_.topLeft() - QPointF(labelReach, labelReach), footerPicture_);
}

void EditChrome::drawFooterPicture()
{
    if (footerPictureText_ == footer_.text() && !footerPicture_.isNull())
        return;
    footerPictureText_ = footer_.text();
    const QRectF frame(QPointF(labelReach, labelReach), footerFrame_.size());
    const double ratio = scale_;
    footerPicture_ = QImage(((footerFrame_.size() + QSizeF(2 * labelReach, 2 * labelReach)) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
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
