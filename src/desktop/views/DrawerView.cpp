#include "views/DrawerView.h"

#include "geometry/BezelGeometry.h"
#include "geometry/Easing.h"
#include "geometry/PocketShape.h"
#include "pockets/Webloc.h"
#include "views/FileIcon.h"
#include "views/PathConversion.h"
#include "views/styles/LegibleLabel.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double fadingRowCount = 6;
constexpr double listMargin = 18;
constexpr double fadeLength = 26;
constexpr double largestFadeShare = 0.24;
constexpr double leadingInset = 13;
constexpr double trailingInset = 38;
constexpr double spacing = 10;
constexpr double iconSide = 26;
constexpr double plateRadius = 11;
constexpr double plateOpacity = 0.11;
constexpr double removeFrame = 30;
constexpr double removeDisc = 22;
constexpr double removeInset = 9;
constexpr double removeMarkHalf = 3.3;
// The list sinks, shrinks and dims by these at a full clearing charge.
constexpr double clearingSink = 30;
constexpr double clearingShrink = 0.1;
constexpr double clearingDim = 0.55;
// The rows fade in while the bulge grows from 18 % to 48 % of its full width.
constexpr double rowsAppear = 0.18;
constexpr double rowsAppearSpan = 0.3;
constexpr double openingScale = 0.88;
constexpr double clickableProgress = 0.85;
constexpr SpringMotion rowMotion { 0.42, 0.82 };
constexpr SpringMotion hoverMotion { 0.26, 0.78 };
// An item that cannot be reached now (its volume is not mounted) is shown faint.
constexpr double unreachableOpacity = 0.45;

QTransform scaledAbout(QPointF centre, double scale)
{
    return QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(scale, scale)
        * QTransform::fromTranslate(centre.x(), centre.y());
}

// The address a link item keeps, cut in the middle when long; empty for other items.
QString linkAddress(const ResolvedPocketItem& item)
{
    constexpr qsizetype longestAddress = 90;
    if (!item.managed || item.path.extension() != ".webloc")
        return {};
    const auto url = weblocFileUrl(item.path);
    const QString address = url ? QString::fromStdString(*url) : QString();
    if (address.size() <= longestAddress)
        return address;
    return address.left(longestAddress - 26) + QChar(0x2026) + address.right(25);
}

} // namespace

DrawerView::DrawerView()
    : nameFont_(uiFont(12, QFont::Medium))
{
}

void DrawerView::warmUp() const
{
    const QString sample = QFontMetricsF(nameFont_).elidedText("Seeded item 1.txt", Qt::ElideMiddle, 40);
    QImage scratch(64, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    painter.setFont(nameFont_);
    painter.drawText(QPointF(0, 20), sample);
    painter.drawPixmap(QRectF(0, 0, iconSide, iconSide), FileIcon::icon("document.txt").pixmap(26, 26), QRectF());
}

void DrawerView::update(BezelEngine& engine, std::optional<QPointF> pointer)
{
    follow(engine);
    layOut(engine);
    updateHover(pointer);
    reportOverscroll(engine);
}

// A drawer that opens starts at the top of its list; rows keep their motion while the
// items change under them.
void DrawerView::follow(const BezelEngine& engine)
{
    const BezelState& state = engine.state();
    if (state.wantsOpen && (!wasWanted_ || pocket_ != state.openZone)) {
        rows_.clear();
        scroll_.reset();
        hovered_.reset();
        reportedOverscroll_.reset();
    }
    wasWanted_ = state.wantsOpen;
    pocket_ = state.openZone;
    std::vector<Row> rows;
    rows.reserve(state.openItems.size());
    for (const auto& item : state.openItems) {
        // Rows already taken over are left empty behind.
        auto old = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.item && row.item->id == item->id; });
        if (old != rows_.end()) {
            rows.push_back(std::move(*old));
            rows.back().item = item;
            continue;
        }
        Row& row = rows.emplace_back();
        row.item = item;
        row.icon = FileIcon::icon(item->path);
        row.fullName = QString::fromStdString(item->name.empty() ? item->path.filename().string() : item->name);
        row.address = linkAddress(*item);
    }
    rows_ = std::move(rows);
    if (hovered_ && !std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) { return row.item->id == *hovered_; }))
        hovered_.reset();
}

void DrawerView::layOut(const BezelEngine& engine)
{
    const BezelState& state = engine.state();
    const double open = std::clamp(state.openProgress.value, 0.0, 1.0);
    const auto node = engine.openPocketNode();
    const auto rect = engine.openContentRect();
    previousBounds_ = bounds_;
    if (!node || !rect || open <= 0.005) {
        opacity_ = 0;
        takesInput_ = false;
        bounds_ = {};
        return;
    }
    content_ = QRectF(rect->x, rect->y, rect->width, rect->height);
    const double n = static_cast<double>(rows_.size());
    fades_ = n > fadingRowCount;
    listHeight_ = fades_ ? 2 * listMargin + n * rowHeight : std::max(n * rowHeight, content_.height());
    scroll_.setExtent(content_.height(), listHeight_);
    const double firstTop = fades_ ? listMargin : (listHeight_ - n * rowHeight) / 2;
    const double nameWidth = std::max(0.0, content_.width() - leadingInset - iconSide - 2 * spacing - trailingInset);
    const QFontMetricsF metrics(nameFont_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Row& row = rows_[i];
        row.targetTop = firstTop + static_cast<double>(i) * rowHeight;
        if (!row.placed)
            row.top.snap(row.targetTop);
        row.placed = true;
        if (std::abs(row.nameWidth - nameWidth) > 0.5) {
            row.nameWidth = nameWidth;
            row.name = fittedName(row.fullName, metrics, nameWidth);
        }
    }
    Path outline;
    BezelGeometry::path({ *node }, state.size.width, state.size.height, outline);
    toPainterPath(outline, pouch_);
    const auto layoutNode = engine.openLayoutNode();
    const double amplitude = layoutNode ? std::clamp(layoutNode->amplitude / drawerWidth, 0.0, 1.0) : 0;
    place(open, std::clamp(state.clearing.value, 0.0, 1.0), amplitude, state.size);
}

// The list sinks and shrinks towards its bottom under a clearing pull, and slides in from
// the edge, growing about the edge's middle, as the bulge swells.
void DrawerView::place(double open, double clearing, double amplitude, Size screen)
{
    const QTransform sink = QTransform::fromTranslate(0, clearingSink * clearing)
        * scaledAbout({ content_.center().x(), content_.bottom() }, 1 - clearingShrink * clearing);
    const QTransform slide = QTransform::fromTranslate((1 - amplitude) * drawerWidth, 0)
        * scaledAbout({ screen.width, screen.height / 2 }, openingScale + (1 - openingScale) * amplitude);
    toScreen_ = sink * slide;
    opacity_ = (1 - clearingDim * clearing) * smoothstep((amplitude - rowsAppear) / rowsAppearSpan);
    takesInput_ = open > clickableProgress;
    bounds_ = (toScreen_.mapRect(content_) & pouch_.boundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1);
}

void DrawerView::updateHover(std::optional<QPointF> pointer)
{
    const bool moved = pointer != pointer_;
    pointer_ = pointer;
    if (!takesInput()) {
        hovered_.reset();
        hoverLive_ = false;
        return;
    }
    const bool fresh = !hoverLive_;
    hoverLive_ = true;
    // Rows moving under a pointer elsewhere leave a highlight chosen by keys alone.
    const bool under = pointer && contains(*pointer);
    if (!fresh && !moved && !(rowsMoved_ && under))
        return;
    const auto at = pointer ? inList(*pointer) : std::nullopt;
    const Row* row = at ? rowAt(*at) : nullptr;
    hovered_ = row ? std::optional(row->item->id) : std::nullopt;
}

void DrawerView::reportOverscroll(BezelEngine& engine)
{
    if (!isShown() && !reportedOverscroll_)
        return;
    const double overscroll = scroll_.bottomOverscroll();
    if (reportedOverscroll_ == overscroll)
        return;
    reportedOverscroll_ = overscroll;
    if (engine.state().openZone)
        engine.setClearingOverscroll(overscroll, *engine.state().openZone);
}

bool DrawerView::step(double dt, double now)
{
    bool moving = scroll_.step(dt, now);
    for (Row& row : rows_) {
        row.top.step(row.targetTop, dt, rowMotion);
        moving = moving || !row.top.isSettled;
    }
    rowsMoved_ = moving;
    for (Row& row : rows_) {
        row.hover.step(hovered_ == row.item->id ? 1 : 0, dt, hoverMotion);
        moving = moving || !row.hover.isSettled;
    }
    return moving;
}

QRect DrawerView::changedRegion() const
{
    return previousBounds_.united(bounds_);
}

std::optional<QPointF> DrawerView::inList(QPointF point) const
{
    if (!isShown() || !pouch_.contains(point))
        return std::nullopt;
    bool invertible = false;
    const QPointF at = toScreen_.inverted(&invertible).map(point);
    if (!invertible || !content_.contains(at))
        return std::nullopt;
    return at;
}

bool DrawerView::contains(QPointF point) const
{
    return inList(point).has_value();
}

const DrawerView::Row* DrawerView::rowAt(QPointF listPoint) const
{
    const double y = listPoint.y() - content_.top() + scroll_.offset();
    for (const Row& row : rows_) {
        if (y >= row.top.value && y < row.top.value + rowHeight)
            return &row;
    }
    return nullptr;
}

std::optional<DrawerView::Hit> DrawerView::hitAt(QPointF point) const
{
    const auto at = takesInput() ? inList(point) : std::nullopt;
    const Row* row = at ? rowAt(*at) : nullptr;
    if (!row)
        return std::nullopt;
    const double x = at->x() - content_.left();
    if (x <= content_.width() - removeStrip)
        return Hit { Part::row, row->item };
    // The remove button takes clicks only on the hovered row, inside its round face.
    const QPointF centre(content_.width() - removeInset - removeFrame / 2, row->top.value - scroll_.offset() + rowHeight / 2);
    const QPointF offset = QPointF(x, at->y() - content_.top()) - centre;
    if (hovered_ == row->item->id && std::hypot(offset.x(), offset.y()) <= removeFrame / 2)
        return Hit { Part::removeButton, row->item };
    return std::nullopt;
}

QString DrawerView::fittedName(const QString& name, const QFontMetricsF& metrics, double width)
{
    const qsizetype cut = name.lastIndexOf(QChar(0x2026));
    if (cut < 0 || metrics.horizontalAdvance(name) <= width)
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    const QString tail = name.mid(cut);
    for (qsizetype kept = cut - 1; kept > 0; --kept) {
        QString shorter = name.left(kept);
        while (shorter.endsWith(' '))
            shorter.chop(1);
        shorter += tail;
        if (metrics.horizontalAdvance(shorter) <= width)
            return shorter;
    }
    return metrics.elidedText(name, Qt::ElideRight, width);
}

QString DrawerView::helpAt(QPointF point) const
{
    const auto hit = hitAt(point);
    if (!hit)
        return {};
    if (hit->part == Part::removeButton)
        return "Remove this item";
    const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const Row& candidate) { return candidate.item == hit->item; });
    // A name cut to fit its row is read here in full.
    QString help;
    if (row != rows_.end())
        help = row->fullName + "\n" + (row->address.isEmpty() ? QString() : row->address + "\n");
    return help + "Click to open \u00B7 drag to take it out";
}

void DrawerView::scroll(double delta, bool smooth, double now)
{
    if (takesInput())
        scroll_.scrollBy(delta, smooth, now);
}

void DrawerView::moveHighlight(int by)
{
    if (rows_.empty() || by == 0)
        return;
    const auto current = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.item->id == hovered_; });
    const int last = static_cast<int>(rows_.size()) - 1;
    int index = current == rows_.end() ? (by > 0 ? 0 : last) : static_cast<int>(current - rows_.begin()) + by;
    index = std::clamp(index, 0, last);
    const Row& row = rows_[static_cast<std::size_t>(index)];
    hovered_ = row.item->id;
    const double margin = fades_ ? fadeLength : 0;
    scroll_.reveal(row.targetTop - margin, row.targetTop + rowHeight + margin);
}

ResolvedPocketItems::value_type DrawerView::hoveredItem() const
{
    for (const Row& row : rows_) {
        if (row.item->id == hovered_)
            return row.item;
    }
    return nullptr;
}

void DrawerView::removeHighlighted(BezelEngine& engine)
{
    const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.item->id == hovered_; });
    if (found == rows_.end())
        return;
    const Uuid removed = found->item->id;
    const auto next = found + 1 != rows_.end() ? found + 1 : found == rows_.begin() ? rows_.end() : found - 1;
    hovered_ = next == rows_.end() ? std::nullopt : std::optional(next->item->id);
    engine.removeOpenItem(removed);
}

void DrawerView::paint(QPainter& painter) const
{
    if (!isShown())
        return;
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(content_.width() * ratio)), static_cast<int>(std::ceil(content_.height() * ratio)));
    if (layer_.size() != pixels)
        layer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    layer_.setDevicePixelRatio(ratio);
    layer_.fill(Qt::transparent);
    {
        QPainter list(&layer_);
        list.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
        list.translate(0, -scroll_.offset());
        for (const Row& row : rows_) {
            const double top = row.top.value - scroll_.offset();
            if (top < content_.height() && top + rowHeight > 0)
                paintRow(list, row);
        }
        if (fades_) {
            list.resetTransform();
            fadeEnds(list);
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(pouch_, Qt::IntersectClip);
    painter.setTransform(toScreen_, true);
    painter.setOpacity(opacity_);
    painter.drawImage(content_.topLeft(), layer_);
    painter.restore();
}

void DrawerView::paintRow(QPainter& painter, const Row& row) const
{
    const double top = row.top.value;
    const double width = content_.width();
    const double hover = std::clamp(row.hover.value, 0.0, 1.0);
    painter.setPen(Qt::NoPen);
    if (hover > 0.001) {
        painter.setBrush(white(plateOpacity * hover));
        painter.drawRoundedRect(QRectF(5, top, width - 7, rowHeight), plateRadius, plateRadius);
    }
    painter.setOpacity(row.item->available ? 1 : unreachableOpacity);
    const QRectF iconBox(leadingInset, top + (rowHeight - iconSide) / 2, iconSide, iconSide);
    painter.drawPixmap(iconBox, row.icon.pixmap(QSize(26, 26), painter.device()->devicePixelRatioF()), QRectF());
    painter.setFont(nameFont_);
    painter.setPen(white(0.94));
    painter.drawText(QRectF(iconBox.right() + spacing, top, row.nameWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, row.name);
    painter.setOpacity(1);
    if (hover <= 0.001)
        return;
    const QPointF centre(width - removeInset - removeFrame / 2, top + rowHeight / 2);
    painter.setOpacity(hover);
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.18));
    painter.drawEllipse(centre, removeDisc / 2, removeDisc / 2);
    QPen mark(white(0.92), 1.6, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(mark);
    painter.drawLine(centre + QPointF(-removeMarkHalf, -removeMarkHalf), centre + QPointF(removeMarkHalf, removeMarkHalf));
    painter.drawLine(centre + QPointF(-removeMarkHalf, removeMarkHalf), centre + QPointF(removeMarkHalf, -removeMarkHalf));
    painter.setOpacity(1);
}

// The list fades over its first and last 26 points, at most a quarter of its height each.
void DrawerView::fadeEnds(QPainter& painter) const
{
    const double height = content_.height();
    const double share = std::min(height > 1 ? fadeLength / height : fadeLength, largestFadeShare);
    QLinearGradient fade(0, 0, 0, height);
    fade.setColorAt(0, Qt::transparent);
    fade.setColorAt(share, Qt::black);
    fade.setColorAt(1 - share, Qt::black);
    fade.setColorAt(1, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(QRectF(0, 0, content_.width(), height), fade);
}

} // namespace kestrane
