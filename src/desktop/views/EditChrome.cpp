#include "views/EditChrome.h"

#include "onboarding/Onboarding.h"
#include "platform/Defaults.h"
#include "preferences/Preferences.h"
#include "geometry/Easing.h"
#include "views/GaussianBlur.h"
#include "views/styles/LegibleLabel.h"

#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QWidget>

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
constexpr double leadingInset = 76;
constexpr double editToggleTrailing = 34;
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

double clamp01(double x)
{
    return std::clamp(x, 0.0, 1.0);
}

double quantised(double x)
{
    return std::round(x * 256) / 256;
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

QPainterPath gear()
{
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), 2.4, 2.4);
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        const double angle = i * M_PI / 4;
        teeth.moveTo(4.2 * std::cos(angle), 4.2 * std::sin(angle));
        teeth.lineTo(6.6 * std::cos(angle), 6.6 * std::sin(angle));
    }
    path.addEllipse(QPointF(0, 0), 4.8, 4.8);
    return path + teeth;
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

QString shortcutHint(const Shortcut& shortcut, bool inputMonitoring)
{
    const QString display = QString::fromStdString(shortcut.display());
    if (inputMonitoring)
        return "double-tap control or " + display + " to toggle \u00B7 esc to close";
    return display + " to toggle \u00B7 esc to close \u00B7 allow Input Monitoring for double-tap control";
}
} // namespace

struct EditChrome::Row {
    Uuid id;
    std::unique_ptr<QLineEdit> field;
    ShadowedText nameShadow = legibleLabel(13, QFont::Medium, 0.92);
    ShadowedText count = ShadowedText(uiFont(10.5, QFont::DemiBold), white(0.55), std::vector<Shadow> {});
    double opacity = 0;
    double arrange = 0;
    int items = 0;
    bool lifted = false;
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
        return name.united(remove).adjusted(-labelReach, -labelReach, labelReach, labelReach);
    }
};

EditChrome::EditChrome(EditModeModel model, QWidget& host)
    : model_(model)
    , host_(host)
    , addLabel_(legibleLabel(13, QFont::Medium, 0.9))
    , footer_(legibleLabel(12, QFont::Medium, 0.9))
    , panel_(model)
{
    addLabel_.setText("Add pocket");
    blur_.setRadius(blurRadius);
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
    edit_ = clamp01(state.editProgress.value);
    const QRegion before = drawn_;
    if (!isShown()) {
        for (auto& row : rows_)
            syncField(*row, false);
        blur_.setBackdrop(QImage(), QRectF());
        dimmed_ = QImage();
        changed_ = wasShown ? QRegion(QRectF(QPointF(), screen_).toAlignedRect()) : QRegion();
        drawn_ = QRegion();
        return;
    }
    const bool backdropChanged = blur_.setBackdrop(backdrop, QRectF(QPointF(), screen_));
    const QRegion maskChanged = updateBlurMask();
    if (backdropChanged || !maskChanged.isEmpty())
        dimmed_ = QImage();
    if (pointer && !takesInput())
        pointer.reset();
    layOutRows(pointer);
    layOutControls(pointer);
    panel_.update(screen_, pointer, takesInput());
    focusNewPocket();

    const double shownEditBefore = std::exchange(paintedEdit_, quantised(edit_));
    const bool whole = !wasShown || backdropChanged || shownEditBefore != paintedEdit_;
    drawn_ = drawnRegion();
    changed_ = whole ? QRegion(QRectF(QPointF(), screen_).toAlignedRect()) : before + drawn_ + panel_.changedRegion() + maskChanged;
}

QRegion EditChrome::updateBlurMask()
{
    const BezelState& state = model_.engine().state();
    const double scope = quantised(clamp01(state.blurScope.value));
    auto halos = model_.engine().blurHalos();
    for (BlurHalo& halo : halos)
        halo.presence = quantised(clamp01(halo.presence));
    const QRect whole = QRectF(QPointF(), screen_).toAlignedRect();
    if (scope == maskScope_ && halos == maskHalos_ && blurMask_.size() == (screen_ * maskScale).toSize())
        return {};
    // A halo reaches half its growth and three of its blur's deviations beyond its rect.
    const double reach = haloGrowth / 2 + 1.5 * haloBlur + 1;
    const auto haloRegion = [&](const std::vector<BlurHalo>& list) {
        QRegion region;
        for (const BlurHalo& halo : list)
            region += QRectF(halo.rect.x, halo.rect.y, halo.rect.width, halo.rect.height).adjusted(-reach, -reach, reach, reach).toAlignedRect();
        return region;
    };
    const QRegion changed = scope != maskScope_ ? QRegion(whole) : haloRegion(maskHalos_) + haloRegion(halos);
    maskScope_ = scope;
    maskHalos_ = halos;
    const QSize size = (screen_ * maskScale).toSize();
    QImage haloLayer((screen_ * haloScale).toSize(), QImage::Format_ARGB32_Premultiplied);
    haloLayer.fill(Qt::transparent);
    QPainter haloPainter(&haloLayer);
    haloPainter.setRenderHint(QPainter::Antialiasing);
    haloPainter.scale(haloScale, haloScale);
    haloPainter.setPen(Qt::NoPen);
    for (const BlurHalo& halo : halos) {
        const QRectF rect = QRectF(halo.rect.x, halo.rect.y, halo.rect.width, halo.rect.height).adjusted(-haloGrowth / 2, -haloGrowth / 2, haloGrowth / 2, haloGrowth / 2);
        haloPainter.setBrush(white(clamp01(halo.presence)));
        haloPainter.drawRoundedRect(rect, haloCorner, haloCorner);
    }
    haloPainter.end();

    blurMask_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    blurMask_.fill(Qt::transparent);
    QPainter mask(&blurMask_);
    mask.scale(maskScale, maskScale);
    mask.fillRect(whole, white(clamp01(state.blurScope.value)));
    QLinearGradient band(screen_.width() - bandWidth, 0, screen_.width(), 0);
    band.setColorAt(0, white(0));
    band.setColorAt(0.5, white(1));
    band.setColorAt(1, white(1));
    mask.fillRect(QRectF(screen_.width() - bandWidth, 0, bandWidth, screen_.height()), band);
    mask.setRenderHint(QPainter::SmoothPixmapTransform);
    mask.drawImage(QRectF(whole), gaussianBlurred(haloLayer, haloBlur / 2 * haloScale));
    return changed;
}

void EditChrome::paintBackdrop(QPainter& painter)
{
    if (!isShown())
        return;
    if (dimmed_.isNull()) {
        dimmed_ = QImage(blurMask_.size(), QImage::Format_ARGB32_Premultiplied);
        dimmed_.fill(Qt::black);
        if (blur_.hasBackdrop() && blurredKey_ != blur_.blurred().cacheKey()) {
            blurredKey_ = blur_.blurred().cacheKey();
            smallBlur_ = blur_.blurred().scaled(dimmed_.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
        if (blur_.hasBackdrop())
            dimmed_ = smallBlur_.copy();
        QPainter compose(&dimmed_);
        compose.fillRect(dimmed_.rect(), QColor::fromRgbF(0, 0, 0, static_cast<float>(blur_.hasBackdrop() ? dimOpacity : 1)));
        compose.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        compose.drawImage(0, 0, blurMask_);
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(edit_ * (blur_.hasBackdrop() ? 1 : dimOpacity));
    painter.drawImage(QRectF(QPointF(), screen_), dimmed_);
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
        if (!row->field) {
            row->id = blob.config.id;
            row->field = std::make_unique<QLineEdit>(&host_);
            QLineEdit& field = *row->field;
            field.setFrame(false);
            field.setPlaceholderText("Name");
            field.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            field.setFont(uiFont(13, QFont::Medium));
            field.setAttribute(Qt::WA_InputMethodEnabled);
            field.setStyleSheet("QLineEdit { background: transparent; border: none; }");
            const Uuid id = row->id;
            QObject::connect(&field, &QLineEdit::textEdited, &host_, [this, id](const QString& text) { model_.engine().rename(id, text.toStdString()); });
            QObject::connect(&field, &QLineEdit::returnPressed, &host_, [this, &field] {
                model_.engine().endSoloEditing();
                field.clearFocus();
                host_.setFocus();
            });
        }
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
    const double life = clamp01(blob.life.value);
    row.opacity = edit_ * life;
    row.arrange = clamp01(blob.arrange.value);
    row.items = blob.itemCount;
    row.lifted = state.liftedItems.contains(blob.config.id) && !state.liftedItems.at(blob.config.id).empty();
    const double y = blob.y.value;
    double right = screen_.width() - rowTrailingInset + (1 - row.opacity) * rowSlideIn - slide * openRowSlide;
    const double slot = row.arrange * roundButton;
    row.remove = QRectF(right - slot / 2 - roundButton / 2, y - roundButton / 2, roundButton, roundButton);
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
    row.hoverRemove = pointer && hovered_ == Hit { Control::removePocket, blob.config.id };
    row.hoverPutBack = pointer && hovered_ == Hit { Control::putBack, blob.config.id };
    const bool editable = row.opacity > 0.01 && (row.arrange > editableArrange || state.soloEditing == blob.config.id);
    syncField(row, editable);
}

void EditChrome::syncField(Row& row, bool editable)
{
    QLineEdit& field = *row.field;
    const bool visible = isShown() && row.opacity > 0.01;
    field.setVisible(visible);
    if (!visible)
        return;
    if (!field.hasFocus() && field.text() != row.nameShadow.text())
        field.setText(row.nameShadow.text());
    field.setGeometry(row.name.translated(-QPointF(origin_)).toAlignedRect());
    const int padding = static_cast<int>(std::lround(13 * row.arrange));
    field.setTextMargins(padding, 0, padding, 0);
    QPalette palette = field.palette();
    palette.setColor(QPalette::Text, white((0.92 + 0.08 * row.arrange) * row.opacity));
    palette.setColor(QPalette::PlaceholderText, white(0.45 * row.opacity));
    field.setPalette(palette);
    const bool takes = editable && takesInput();
    field.setAttribute(Qt::WA_TransparentForMouseEvents, !takes);
    field.setFocusPolicy(takes ? Qt::ClickFocus : Qt::NoFocus);
    if (!takes && field.hasFocus()) {
        field.clearFocus();
        host_.setFocus();
    }
}

// A fresh pocket's field takes the keyboard once the event loop has placed and shown it and
// it takes input; until then every frame tries again.
void EditChrome::focusNewPocket()
{
    if (const auto id = model_.engine().takeNewlyAdded())
        pendingFocus_ = *id;
    if (!pendingFocus_ || focusQueued_)
        return;
    focusQueued_ = true;
    QTimer::singleShot(0, &host_, [this] {
        focusQueued_ = false;
        const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const auto& each) { return each->id == pendingFocus_; });
        if (row == rows_.end()) {
            pendingFocus_.reset();
            return;
        }
        QLineEdit& field = *(*row)->field;
        if (!field.isVisible() || field.focusPolicy() == Qt::NoFocus)
            return;
        field.setFocus(Qt::OtherFocusReason);
        // Typing replaces the name it was given.
        field.selectAll();
        pendingFocus_.reset();
    });
}

void EditChrome::layOutControls(std::optional<QPointF> pointer)
{
    const BezelState& state = model_.engine().state();
    hovered_ = pointer ? hitAt(*pointer) : std::nullopt;
    const double bottom = screen_.height() - std::max(24.0, state.bottomInset + 18);
    editToggle_.setCentre({ screen_.width() - editToggleTrailing - 27, bottom - 27 });
    prefsToggle_.setCentre({ leadingInset + 21, bottom - 21 });
    const auto hovering = [&](Control control) { return hovered_ && hovered_->control == control; };
    const auto pressing = [&](Control control) { return pressed_ && pressed_->control == control && hovering(control); };
    editToggle_.setState(hovering(Control::editToggle), pressing(Control::editToggle), state.isArranging);
    prefsToggle_.setState(hovering(Control::prefsToggle), pressing(Control::prefsToggle), state.isShowingPreferences);
    const QString lead = state.isArranging ? "Drag to move \u00B7 rename inline \u00B7 " : "Click a pocket to see what's inside \u00B7 ";
    footer_.setText(lead + shortcutHint(model_.preferences().shortcut(), model_.defaults().boolValue("kestrane.inputMonitoring")));
    const double footerHeight = footer_.metrics().height() + 22;
    footerFrame_ = QRectF(leadingInset + 42 + footerSpacing, bottom - 21 - footerHeight / 2, footer_.width() + 32, footerHeight);
    addOpacity_ = edit_ * clamp01(state.plusAmplitude.value / 18);
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
        if (row->arrange > editableArrange && row->remove.contains(point))
            return Hit { Control::removePocket, row->id };
        if (row->lifted && row->putBack.contains(point))
            return Hit { Control::putBack, row->id };
    }
    if (model_.engine().hitTest({ point.x(), point.y() }))
        return std::nullopt;
    return Hit { Control::backdrop };
}

void EditChrome::press(QPointF point)
{
    pressed_ = hitAt(point);
}

bool EditChrome::release(QPointF point)
{
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
    case Control::editToggle: engine.setArranging(!state.isArranging); break;
    case Control::prefsToggle: engine.setShowingPreferences(!state.isShowingPreferences); break;
    case Control::removePocket: engine.removeZone(*hit.zone); break;
    case Control::putBack: engine.undoClear(*hit.zone); break;
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
    default: break;
    }
    for (const auto& row : rows_) {
        if (row->items > 0 && row->badge.contains(point))
            return row->items == 1 ? QString("1 item") : QString("%1 items").arg(row->items);
    }
    return {};
}

QRegion EditChrome::drawnRegion() const
{
    QRegion region;
    for (const auto& row : rows_) {
        if (row->opacity > 0.001)
            region += row->bounds().toAlignedRect();
    }
    region += QRectF(0, plusLabelY - labelReach - 10, screen_.width(), 2 * (labelReach + 10)).toAlignedRect();
    region += editToggle_.bounds().toAlignedRect();
    region += prefsToggle_.bounds().toAlignedRect();
    region += footerFrame_.adjusted(-labelReach, -labelReach, labelReach, labelReach).toAlignedRect();
    return region + panel_.changedRegion();
}

void EditChrome::paint(QPainter& painter) const
{
    if (!isShown())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& row : rows_) {
        if (row->opacity > 0.001)
            paintRow(painter, *row);
    }
    if (addOpacity_ > 0.001) {
        painter.setOpacity(addOpacity_);
        const QFontMetricsF metrics = addLabel_.metrics();
        const double right = screen_.width() - rowTrailingInset + (1 - edit_) * rowSlideIn;
        addLabel_.paint(painter, { right - addLabel_.width(), plusLabelY + (metrics.ascent() - metrics.descent()) / 2 });
    }
    painter.setOpacity(1);
    panel_.paint(painter);
    const bool arranging = model_.engine().state().isArranging;
    editToggle_.paint(painter, arranging ? checkmark() : pencil(), edit_);
    prefsToggle_.paint(painter, gear(), edit_);
    paintFooter(painter);
    painter.restore();
}

void EditChrome::paintRow(QPainter& painter, const Row& row) const
{
    painter.setOpacity(row.opacity);
    const double a = row.arrange;
    const double capsuleShown = smoothstep(a / 0.35);
    if (capsuleShown > 0.001) {
        painter.save();
        painter.translate(row.name.center());
        painter.scale(0.34 + 0.66 * a, 1);
        painter.setOpacity(row.opacity * capsuleShown);
        const QRectF capsule(-row.name.width() / 2, -row.name.height() / 2, row.name.width(), row.name.height());
        painter.setBrush(white(0.1 * a));
        painter.setPen(QPen(white(0.12 * a), 1));
        painter.drawRoundedRect(capsule.adjusted(0.5, 0.5, -0.5, -0.5), fieldHeight / 2, fieldHeight / 2);
        painter.restore();
    }
    const QFontMetricsF nameMetrics = row.nameShadow.metrics();
    const double nameRight = row.name.right() - 13 * a - 2;
    row.nameShadow.paintShadows(painter, { nameRight - row.nameShadow.width(), row.name.center().y() + (nameMetrics.ascent() - nameMetrics.descent()) / 2 });
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
    if (w > 0.001)
        roundButtonAt(row.remove, minus(), row.hoverRemove, (a * 0.7 + 0.3) * row.removeScale.value, smoothstep(w));
}

void EditChrome::paintFooter(QPainter& painter) const
{
    painter.setOpacity(edit_);
    const QRectF frame = footerFrame_;
    painter.setPen(Qt::NoPen);
    for (int ring = 3; ring >= 1; --ring) {
        const double grow = 6.0 * ring;
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.35F / 4));
        painter.drawRoundedRect(frame.translated(0, 6).adjusted(-grow, -grow, grow, grow), 14 + grow, 14 + grow);
    }
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.55F));
    painter.setPen(QPen(white(0.12), 1));
    painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    const QFontMetricsF metrics = footer_.metrics();
    footer_.paint(painter, { frame.left() + 16, frame.center().y() + (metrics.ascent() - metrics.descent()) / 2 });
}

} // namespace kestrane
