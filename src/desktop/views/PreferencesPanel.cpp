#include "views/PreferencesPanel.h"

#include "engine/BezelEngine.h"
#include "geometry/Easing.h"
#include "graphics/GaussianBlur.h"
#include "onboarding/Onboarding.h"
#include "platform/Defaults.h"
#include "preferences/Preferences.h"
#include "preferences/SessionKeys.h"
#include "views/styles/GlassChip.h"
#include "views/styles/GlassSwitch.h"
#include "views/styles/LegibleLabel.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace kestrane {

namespace {
constexpr double shownPresence = 0.002;
constexpr double maxBlur = 18;
// Blurs are worked out in steps of this much deviation (points).
constexpr double blurStep = 0.25;
constexpr double controlSpacing = 18;
constexpr double detailLineGap = 2;
constexpr double reach = 20;
constexpr double plateMargin = reach - TextPlate::feather;
// Whether the X server sends raw key events, stored under its first name.

const char* titleOf(PrefRow row)
{
    switch (row) {
    case PrefRow::openAtLogin:
        return "Open at login";
    case PrefRow::shortcut:
        return "Shortcut";
    case PrefRow::haptics:
        return "Haptics";
    case PrefRow::blur:
        return "Blur the whole screen";
    case PrefRow::intro:
        return "Introduction";
    case PrefRow::quit:
        return "Quit Kestrane";
    }
    return "";
}

// The rows shown, top to bottom. Haptics has no effect on a desktop without a trackpad
// that taps back; its stored setting is kept but not offered.
constexpr std::array shownRows { PrefRow::openAtLogin, PrefRow::shortcut, PrefRow::blur, PrefRow::intro, PrefRow::quit };
static_assert(shownRows.size() == PreferencesPanel::rowCount);

std::size_t springOf(std::size_t index)
{
    return static_cast<std::size_t>(shownRows[index]);
}

bool hasSwitch(PrefRow row)
{
    return row == PrefRow::openAtLogin || row == PrefRow::haptics || row == PrefRow::blur;
}

// Breaks the text into at most two lines of the width, the second elided.
std::pair<QString, QString> twoLines(const QString& text, const QFontMetricsF& metrics, double width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return { text, {} };
    const QStringList words = text.split(' ');
    QString first;
    int used = 0;
    for (; used < words.size(); ++used) {
        const QString longer = first.isEmpty() ? words[used] : first + ' ' + words[used];
        if (metrics.horizontalAdvance(longer) > width && !first.isEmpty())
            break;
        first = longer;
    }
    return { metrics.elidedText(first, Qt::ElideRight, width), metrics.elidedText(words.mid(used).join(' '), Qt::ElideRight, width) };
}
} // namespace

PreferencesPanel::PreferencesPanel(EditModeModel model)
    : model_(model)
    , header_(legibleLabel(11, QFont::DemiBold, 0.62))
{
    QFont headerFont = header_.font();
    headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    header_ = ShadowedText(headerFont, white(0.62), legibleShadows());
    header_.setText("PREFERENCES");
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].title = legibleLabel(13.5, QFont::Medium, 0.95);
        rows_[i].title.setText(titleOf(shownRows[i]));
        rows_[i].detail = { legibleLabel(11, QFont::Normal, 0.64), legibleLabel(11, QFont::Normal, 0.64) };
        rows_[i].chipLabel = legibleLabel(12, QFont::Medium, 0.94);
    }
}

PreferencesPanel::RowLook PreferencesPanel::rowLook(double presence)
{
    const double r = clamp01(presence);
    return { smoothstep(r / 0.55), (1 - r) * maxBlur, 0.986 + 0.014 * r };
}

QString PreferencesPanel::detailFor(PrefRow row) const
{
    const Preferences& prefs = model_.preferences();
    switch (row) {
    case PrefRow::openAtLogin:
        switch (prefs.loginState().kind) {
        case LoginState::Kind::off:
            return "Kestrane is an edge, not an app you open.";
        case LoginState::Kind::on:
            return "Kestrane starts with your computer.";
        case LoginState::Kind::needsApproval:
            return "Switched off in your desktop's autostart settings.";
        case LoginState::Kind::failed:
            return QString::fromStdString(prefs.loginState().message);
        }
        break;
    case PrefRow::shortcut:
        if (prefs.isRecordingShortcut())
            return "Hold a modifier and press a key \u00B7 esc cancels.";
        if (portalTrigger())
            return "Change it in your desktop\u2019s shortcut settings.";
        if (launchToggles())
            return "Bind \u201Ckestrane\u201D to keys in your desktop\u2019s settings: it opens edit mode.";
        if (!prefs.shortcutRegistered())
            return "Something else on this computer already uses that.";
        if (model_.defaults().boolValue(sessionKeys::rawKeyEventsKey).value_or(false))
            return "Click to change. Double-tap Control works too.";
        return "Click to change. This display hides double-taps of Control.";
    case PrefRow::haptics:
        return "The edge answers under your fingers.";
    case PrefRow::blur:
        return "Off blurs the edge and these controls only.";
    case PrefRow::intro:
        return "Run the first-run sequence again.";
    case PrefRow::quit:
        return "Super+Q does the same thing.";
    }
    return {};
}

bool PreferencesPanel::launchToggles() const
{
    return model_.defaults().boolValue(sessionKeys::launchTogglesKey).value_or(false);
}

std::optional<QString> PreferencesPanel::portalTrigger() const
{
    const auto trigger = model_.defaults().stringValue(sessionKeys::portalTriggerKey);
    return trigger ? std::optional(QString::fromStdString(*trigger)) : std::nullopt;
}

QString PreferencesPanel::chipFor(PrefRow row) const
{
    switch (row) {
    case PrefRow::shortcut:
        // Where only the desktop binds keys, the chip names the keys its portal bound, or
        // else the command to bind.
        if (const auto trigger = portalTrigger())
            return trigger->isEmpty() ? QString("Not set") : *trigger;
        if (launchToggles())
            return "kestrane";
        return model_.preferences().isRecordingShortcut() ? QString("Press keys\u2026")
                                                          : QString::fromStdString(model_.preferences().shortcut().display());
    case PrefRow::intro:
        return "Replay";
    case PrefRow::quit:
        return "Quit";
    default:
        return {};
    }
}

QRectF PreferencesPanel::rowFrame(std::size_t index) const
{
    return { frame_.left(), frame_.top() + headerHeight + rowHeight * static_cast<double>(index), width, rowHeight };
}

QRectF PreferencesPanel::controlFrame(std::size_t index) const
{
    const QRectF row = rowFrame(index);
    const PrefRow prefRow = shownRows[index];
    const double controlWidth = hasSwitch(prefRow)
        ? GlassSwitch::width
        : QFontMetricsF(uiFont(12, QFont::Medium)).horizontalAdvance(rows_[index].chip) + 2 * GlassChip::padding;
    return { row.right() - controlWidth, row.center().y() - GlassChip::height / 2, controlWidth, GlassChip::height };
}

void PreferencesPanel::update(QSizeF screen, std::optional<QPointF> pointer, bool takesInput, const QImage& behind, double dimming)
{
    BezelEngine& engine = model_.engine();
    const BezelState& state = engine.state();
    const bool wasShown = shown_;
    const QRegion before = shown_ ? QRegion(frame_.adjusted(-reach, -reach, reach, reach).toAlignedRect()) : QRegion();
    shown_ = engine.prefsPresence() > shownPresence;
    const Rect frame = editLayout::panelFrame(screen.height());
    frame_ = QRectF(frame.x, frame.y, frame.width, frame.height);
    if (!shown_) {
        changed_ = before;
        return;
    }
    headerProgress_ = clamp01(state.prefsProgress.value);
    plate_.place(frame_.adjusted(-plateMargin, -plateMargin, plateMargin, plateMargin), behind, screen, dimming);
    QString key = QString("%1|%2").arg(headerProgress_).arg(plate_.darkness());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Row& row = rows_[i];
        row.look = rowLook(state.prefsRows[springOf(i)].value);
        row.control = clamp01(state.prefsSwitches[springOf(i)].value);
        row.hover = clamp01(state.prefsHovers[springOf(i)].value);
        row.chip = chipFor(shownRows[i]);
        renderRow(row, i);
        key +=
            QString("|%1|%2|%3|%4").arg(row.sharpKey).arg(row.blurredSigma).arg(row.look.opacity, 0, 'f', 3).arg(row.look.scale, 0, 'f', 4);
    }
    std::optional<PrefRow> hovered;
    if (pointer && takesInput) {
        if (const auto control = controlAt(*pointer))
            hovered = control->row;
    }
    if (hovered != hovered_) {
        if (hovered_)
            engine.setPrefHovering(*hovered_, false);
        if (hovered)
            engine.setPrefHovering(*hovered, true);
        hovered_ = hovered;
    }
    changed_ = (!wasShown || key != key_) ? before + frame_.adjusted(-reach, -reach, reach, reach).toAlignedRect() : QRegion();
    key_ = key;
}

// A row is drawn sharp once per content; while it comes in or goes out only its blur is worked
// out again, from the sharp picture at half its detail, in steps of a quarter point.
void PreferencesPanel::renderRow(Row& row, std::size_t index)
{
    const QString detail = detailFor(shownRows[index]);
    const QString sharpKey = QString("%1|%2|%3|%4").arg(detail, row.chip).arg(row.control, 0, 'f', 3).arg(row.hover, 0, 'f', 3);
    if (sharpKey != row.sharpKey) {
        row.sharpKey = sharpKey;
        drawSharp(row, index, detail);
        row.blurredSigma = -1;
    }
    const double sigma = std::round(row.look.blur / 2 / blurStep) * blurStep;
    if (sigma == row.blurredSigma)
        return;
    row.blurredSigma = sigma;
    if (sigma <= 0) {
        row.picture = row.sharp;
        return;
    }
    row.picture = gaussianBlurred(row.halfSharp, sigma, BlurQuality::draft);
    row.picture.setDevicePixelRatio(1);
}

void PreferencesPanel::drawSharp(Row& row, std::size_t index, const QString& detail)
{
    const QRectF local(reach, reach, width, rowHeight);
    constexpr double ratio = 2;
    row.sharp = QImage((local.size() + QSizeF(2 * reach, 2 * reach)).toSize() * ratio, QImage::Format_ARGB32_Premultiplied);
    row.sharp.setDevicePixelRatio(ratio);
    row.sharp.fill(Qt::transparent);
    QPainter painter(&row.sharp);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF control = controlFrame(index).translated(local.topLeft() - rowFrame(index).topLeft());
    const double textWidth = control.left() - controlSpacing - local.left();
    const auto [first, second] = twoLines(detail, row.detail[0].metrics(), textWidth);
    row.detail[0].setText(first);
    row.detail[1].setText(second);
    const QFontMetricsF titleMetrics = row.title.metrics();
    const QFontMetricsF detailMetrics = row.detail[0].metrics();
    const double blockHeight = titleMetrics.height() + detailLineGap + detailMetrics.height() * (second.isEmpty() ? 1 : 2);
    double top = local.center().y() - blockHeight / 2;
    row.title.paint(painter, { local.left(), top + titleMetrics.ascent() });
    top += titleMetrics.height() + detailLineGap;
    for (const ShadowedText& line : row.detail) {
        line.paint(painter, { local.left(), top + detailMetrics.ascent() });
        top += detailMetrics.height();
    }
    paintControl(painter, row, index, control);
    painter.end();
    row.halfSharp = row.sharp.scaled(row.sharp.size() / ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    row.halfSharp.setDevicePixelRatio(1);
}

void PreferencesPanel::paintControl(QPainter& painter, Row& row, std::size_t index, QRectF frame) const
{
    const PrefRow prefRow = shownRows[index];
    if (hasSwitch(prefRow)) {
        GlassSwitch::paint(painter, frame, row.control, row.hover);
        return;
    }
    const double lit = prefRow == PrefRow::shortcut ? row.control : 0;
    GlassChip::paint(painter, frame, row.hover, lit, true);
    row.chipLabel.setText(row.chip);
    const ShadowedText& label = row.chipLabel;
    const QFontMetricsF metrics = label.metrics();
    label.paint(painter, { frame.left() + GlassChip::padding, frame.center().y() + (metrics.ascent() - metrics.descent()) / 2 });
}

void PreferencesPanel::paint(QPainter& painter) const
{
    if (!shown_)
        return;
    painter.save();
    plate_.paint(painter, smoothstep(headerProgress_ / 0.4));
    const double headerOpacity = smoothstep(headerProgress_ / 0.4);
    if (headerOpacity > 0.001) {
        painter.setOpacity(headerOpacity);
        header_.paint(painter, { frame_.left(), frame_.top() + header_.metrics().ascent() + 4 });
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        if (row.picture.isNull() || row.look.opacity <= 0.001)
            continue;
        const QRectF frame = rowFrame(i);
        painter.save();
        painter.setOpacity(row.look.opacity);
        painter.translate(frame.left(), frame.center().y());
        painter.scale(row.look.scale, row.look.scale);
        painter.drawImage(QPointF(-reach, -rowHeight / 2 - reach), row.picture);
        painter.restore();
    }
    painter.restore();
}

std::optional<PanelControl> PreferencesPanel::controlAt(QPointF point) const
{
    if (!contains(point))
        return std::nullopt;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].look.opacity > 0.5 && controlFrame(i).contains(point))
            return PanelControl { shownRows[i] };
    }
    return std::nullopt;
}

void PreferencesPanel::perform(PanelControl control)
{
    Preferences& prefs = model_.preferences();
    switch (control.row) {
    case PrefRow::openAtLogin:
        prefs.setOpenAtLogin(prefs.loginState().kind != LoginState::Kind::on);
        break;
    case PrefRow::shortcut:
        if (!launchToggles())
            prefs.beginRecordingShortcut();
        break;
    case PrefRow::haptics:
        prefs.setHapticsEnabled(!prefs.hapticsEnabled());
        break;
    case PrefRow::blur:
        prefs.setBlurWholeScreen(!prefs.blurWholeScreen());
        break;
    case PrefRow::intro: {
        model_.engine().setEditing(false);
        model_.defaults().setBool(Onboarding::seenKey, false);
        Onboarding& introduction = model_.introduction();
        QTimer::singleShot(replayDelay, [&introduction] { introduction.start(); });
        break;
    }
    case PrefRow::quit:
        QCoreApplication::quit();
        break;
    }
}

} // namespace kestrane
