#include "views/PocketRows.h"

#include "geometry/Easing.h"
#include "views/EditBackdrop.h"
#include "views/RepaintTracker.h"

#include <QPainter>

#include <algorithm>

namespace kestrane {

namespace {
// Past this far into arranging, names take the keyboard and rows offer removal.
constexpr double editableArrange = 0.6;
// How far the open pocket's row moves aside for its drawer.
constexpr double openRowSlide = 170;
constexpr double nameWidth = 168;
constexpr double spacing = 7;
constexpr double roundButton = 26;
constexpr double badgeHeight = 19;
constexpr double badgePadding = 6;
// The name of a removed pocket that can still be put back is shown this faint.
constexpr double removedNameOpacity = 0.45;
} // namespace

void PocketRows::layOut(const Frame& frame)
{
    const BezelState& state = engine_.state();
    std::vector<std::unique_ptr<PocketRow>> kept;
    for (const BlobRuntime& pocket : state.blobs) {
        auto found = std::find_if(rows_.begin(), rows_.end(), [&](const auto& row) { return row && row->id == pocket.config.id; });
        std::unique_ptr<PocketRow> row = found != rows_.end() ? std::move(*found) : std::make_unique<PocketRow>();
        row->id = pocket.config.id;
        double slide = 0;
        if (state.openZone == pocket.config.id) {
            if (const auto node = engine_.openLayoutNode())
                slide = smoothstep((std::min(1.0, node->amplitude / 214) - 0.14) / 0.44);
        }
        place(*row, pocket, slide, frame);
        kept.push_back(std::move(row));
    }
    rows_ = std::move(kept);
    focusNewPocket();
}

// From the right: the remove button, the put-back button, the count, then the name.
void PocketRows::place(PocketRow& row, const BlobRuntime& pocket, double slide, const Frame& frame)
{
    const BezelState& state = engine_.state();
    row.removed = state.removedPocket == pocket.config.id;
    row.opacity = frame.edit * (row.removed ? 1 : clamp01(pocket.life.value));
    row.nameOpacity = row.opacity * (row.removed ? removedNameOpacity : 1);
    row.arrange = clamp01(pocket.arrange.value);
    row.items = pocket.itemCount;
    row.removable = !row.removed && engine_.canRemovePocket();
    row.lifted = row.removed || (state.liftedItems.contains(pocket.config.id) && !state.liftedItems.at(pocket.config.id).empty());
    const double y = pocket.y.value;
    double right = frame.screen.width() - PocketRow::trailingInset + (1 - row.opacity) * PocketRow::slideIn - slide * openRowSlide;
    const double slot = row.removable ? row.arrange * roundButton : 0;
    row.remove = row.removable ? QRectF(right - slot / 2 - roundButton / 2, y - roundButton / 2, roundButton, roundButton) : QRectF();
    if (slot > 0)
        right -= slot + spacing;
    row.putBack = row.lifted ? QRectF(right - roundButton, y - roundButton / 2, roundButton, roundButton) : QRectF();
    if (row.lifted)
        right -= roundButton + spacing;
    row.count.setText(row.items > 0 ? QString::number(row.items) : QString());
    const double badgeWidth = std::max(badgeHeight, row.count.width() + 2 * badgePadding);
    row.badge = row.items > 0 ? QRectF(right - badgeWidth, y - badgeHeight / 2, badgeWidth, badgeHeight) : QRectF();
    if (row.items > 0)
        right -= badgeWidth + spacing;
    row.name = QRectF(right - nameWidth, y - PocketRow::height / 2, nameWidth, PocketRow::height);
    row.nameShadow.setText(QString::fromStdString(pocket.config.name));
    const double textLeft = row.name.right() - row.nameShadow.width() - PocketRow::plateInset;
    const double textRight = row.items > 0 ? row.badge.right() : row.name.right();
    row.plate.place(QRectF(textLeft, row.name.top(), textRight - textLeft + PocketRow::plateInset, row.name.height()), frame.backdrop,
        frame.screen, EditBackdrop::dimOpacity);
    row.hoverRemove = frame.hovered == ChromeHit { ChromeHit::Control::removePocket, pocket.config.id };
    row.hoverPutBack =
        frame.hovered == ChromeHit { row.removed ? ChromeHit::Control::putBackPocket : ChromeHit::Control::putBack, pocket.config.id };
    const bool editable = row.opacity > 0.01 && !row.removed && (row.arrange > editableArrange || state.soloEditing == pocket.config.id);
    syncField(row, pocket.config.name, editable, frame.takesInput);
}

void PocketRows::syncField(PocketRow& row, const std::string& name, bool editable, bool takesInput)
{
    row.shown = row.opacity > 0.01;
    row.takesKeys = row.shown && editable && takesInput;
    // Let go of here rather than through focus(): while the rows are laid out, some of their
    // places in rows_ are empty.
    if (focused_ == row.id && !row.takesKeys) {
        row.field.setFocused(false);
        focused_.reset();
    }
    // The name being typed is the user's; any other follows the engine's.
    if (focused_ != row.id && row.field.text().text() != name) {
        row.field.text().setText(name);
        row.field.changed();
    }
}

void PocketRows::hide()
{
    for (auto& row : rows_)
        row->shown = row->takesKeys = false;
    focus(nullptr);
}

bool PocketRows::step(double dt)
{
    bool moving = false;
    for (auto& row : rows_)
        moving = row->step(dt) || moving;
    return moving;
}

void PocketRows::track(RepaintTracker& pieces) const
{
    for (const auto& row : rows_) {
        if (row->opacity <= 0.001)
            continue;
        pieces.note(row->id.string(), row->bounds().toAlignedRect(),
            { row->opacity, row->nameOpacity, row->arrange, double(row->items), double(row->lifted), double(row->removable),
                double(row->hoverRemove), double(row->hoverPutBack), row->removeScale.value, row->putBackScale.value, row->name.left(),
                row->badge.left(), double(qHash(row->nameShadow.text())), double(row->field.revision()) });
    }
}

void PocketRows::paint(QPainter& painter, const QRegion& area) const
{
    for (const auto& row : rows_) {
        if (row->opacity > 0.001 && area.intersects(row->bounds().toAlignedRect()))
            row->paint(painter);
    }
}

std::optional<ChromeHit> PocketRows::hitAt(QPointF point) const
{
    using Control = ChromeHit::Control;
    for (const auto& row : rows_) {
        if (row->opacity <= 0.01)
            continue;
        if (row->removable && row->arrange > editableArrange && row->remove.contains(point))
            return ChromeHit { Control::removePocket, row->id };
        if (row->lifted && row->putBack.contains(point))
            return ChromeHit { row->removed ? Control::putBackPocket : Control::putBack, row->id };
        if (row->name.contains(point) || row->badge.contains(point))
            return ChromeHit { Control::row, row->id };
    }
    return std::nullopt;
}

QString PocketRows::helpAt(QPointF point) const
{
    for (const auto& row : rows_) {
        if (row->items > 0 && row->badge.contains(point))
            return row->items == 1 ? QString("1 item") : QString("%1 items").arg(row->items);
    }
    return {};
}

PocketRow* PocketRows::rowOf(std::optional<Uuid> id) const
{
    const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const auto& each) { return each->id == id; });
    return row == rows_.end() ? nullptr : row->get();
}

void PocketRows::focus(PocketRow* row)
{
    if (PocketRow* before = focusedRow())
        before->field.setFocused(false);
    focused_ = row ? std::optional(row->id) : std::nullopt;
    if (row)
        row->field.setFocused(true);
}

// A fresh pocket's field takes the keyboard as soon as it takes input, with its given name
// selected: typing replaces it.
void PocketRows::focusNewPocket()
{
    if (const auto id = engine_.takeNewlyAdded())
        pendingFocus_ = *id;
    if (!pendingFocus_)
        return;
    PocketRow* row = rowOf(pendingFocus_);
    if (!row) {
        pendingFocus_.reset();
        return;
    }
    if (!row->takesKeys)
        return;
    focus(row);
    edited(*row, row->field.text().apply(TextField::Command::selectAll));
    pendingFocus_.reset();
}

void PocketRows::press(QPointF point, std::optional<Uuid> pressedRow)
{
    PocketRow* row = rowOf(pressedRow);
    if (!row || !row->takesKeys || !row->name.contains(point))
        return focus(nullptr);
    focus(row);
    edited(*row, row->field.text().moveCaretTo(row->field.offsetAt(row->fieldLook(), point.x()), false));
    selectingName_ = true;
}

void PocketRows::drag(QPointF point)
{
    if (PocketRow* row = selectingName_ ? focusedRow() : nullptr)
        edited(*row, row->field.text().moveCaretTo(row->field.offsetAt(row->fieldLook(), point.x()), true));
}

bool PocketRows::type(const KeyPress& press)
{
    PocketRow* row = focusedRow();
    if (!row)
        return false;
    const std::uint16_t key = press.key ? press.key->keyCode : 0;
    const std::uint64_t held = press.key ? press.key->modifierFlags : 0;
    if (press.key && (key == keyCode::returnKey || key == keyCode::keypadEnter)) {
        engine_.endSoloEditing();
        focus(nullptr);
        return true;
    }
    if (const auto command = press.key ? textFieldCommand(key, held) : std::nullopt)
        return edited(*row, row->field.text().apply(*command));
    // Keys that type no visible character (Escape, Tab) are the program's.
    const bool printable =
        std::any_of(press.text.begin(), press.text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; });
    if (!printable || (held & (modifier::control | modifier::super)) != 0)
        return false;
    return edited(*row, row->field.text().insert(press.text));
}

void PocketRows::insertText(std::string_view text)
{
    if (PocketRow* row = focusedRow())
        edited(*row, row->field.text().insert(text));
}

void PocketRows::compose(std::string_view preedit, std::string_view commit)
{
    PocketRow* row = focusedRow();
    if (!row)
        return;
    if (!commit.empty() || preedit.empty())
        edited(*row, row->field.text().commit(commit));
    edited(*row, row->field.text().setPreedit(preedit));
}

QRectF PocketRows::caretRect() const
{
    const PocketRow* row = focusedRow();
    return row ? row->field.caretRect(row->fieldLook()) : QRectF();
}

// What the user typed renames the pocket; the engine's name then follows it.
bool PocketRows::edited(PocketRow& row, TextField::Change change)
{
    if (change.text)
        engine_.rename(row.id, row.field.text().text());
    if (change.repaint)
        row.field.changed();
    return true;
}

} // namespace kestrane
