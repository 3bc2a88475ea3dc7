#include "engine/BezelEngine.h"
#include "engine/EngineMotions.h"
#include "geometry/Easing.h"

#include <algorithm>

namespace kestrane {

namespace {
constexpr double rowStagger = 0.075;
constexpr double rowSpan = 0.45;
constexpr double lowestEditBar = 24;
constexpr double editBarLift = 18;
constexpr SpringMotion panelShowMotion { 0.52, 0.96 };
constexpr SpringMotion rowMotion { 0.44, 1.0 };
constexpr SpringMotion hoverMotion { 0.3, 0.8 };
constexpr SpringMotion switchMotion { 0.26, 0.82 };
constexpr SpringMotion blurScopeMotion { 0.6, 1.0 };
constexpr PrefRow steppedSwitches[] = { PrefRow::openAtLogin, PrefRow::haptics, PrefRow::blur, PrefRow::shortcut };
} // namespace

bool BezelEngine::isEditable(const Uuid& id) const
{
    return isArranging || soloEditing == id;
}

void BezelEngine::setEditing(bool on)
{
    if (on == isEditing)
        return;
    isEditing = on;
    if (!on) {
        // Leaving sets the sub-mode flags directly, so the pockets are saved exactly once.
        dragSession.reset();
        isArranging = false;
        soloEditing.reset();
        isShowingPreferences = false;
        saveZones();
    }
    markChanged();
}

void BezelEngine::setArranging(bool on)
{
    if (on == isArranging)
        return;
    isArranging = on;
    soloEditing.reset();
    if (!on) {
        dragSession.reset();
        saveZones();
    } else {
        closeDrawer();
        setShowingPreferences(false);
    }
    markChanged();
}

void BezelEngine::endSoloEditing()
{
    if (!soloEditing)
        return;
    soloEditing.reset();
    saveZones();
    markChanged();
}

void BezelEngine::setShowingPreferences(bool on)
{
    if (on == isShowingPreferences)
        return;
    isShowingPreferences = on;
    if (!on) {
        prefsHovering.fill(false);
        services_.preferenceControl.stopRecordingShortcut();
    } else {
        if (isArranging)
            setArranging(false);
        endSoloEditing();
        closeDrawer();
        services_.preferenceControl.refreshLoginState();
    }
    markChanged();
}

void BezelEngine::setPrefHovering(PrefRow row, bool hovering)
{
    bool& current = prefsHovering[static_cast<std::size_t>(row)];
    if (current == hovering)
        return;
    current = hovering;
    markChanged();
}

double BezelEngine::prefsPresence() const
{
    double presence = prefsProgress.value;
    for (const SpringValue& row : prefsRows)
        presence = std::max(presence, row.value);
    return std::clamp(presence, 0.0, 1.0);
}

double BezelEngine::editBarBottom() const
{
    return std::max(lowestEditBar, bottomInset + editBarLift);
}

std::vector<BlurHalo> BezelEngine::blurHalos() const
{
    const double e = std::clamp(editProgress.value, 0.0, 1.0);
    if (e <= 0.001)
        return {};
    std::vector<BlurHalo> halos { { 0, { 76, size.height - editBarBottom() - 46, 614, 46 }, e } };
    if (auto controls = controlsFrame())
        halos.push_back({ 1, *controls, e });
    if (const double presence = prefsPresence(); presence > 0.002)
        halos.push_back({ 2, { 76, (size.height - 364) / 2, 344, 364 }, e * presence });
    return halos;
}

void BezelEngine::stepPreferences(double dt)
{
    if (isShowingPreferences)
        prefsProgress.step(1, dt, panelShowMotion);
    else
        // The panel leaves at its rows' pace while edit mode stays, with edit mode when it closes.
        prefsProgress.step(0, dt, isEditing ? rowMotion : editClosingMotion);
    const double p = prefsProgress.value;
    // Rows come in one after another; hiding runs the same curve backwards.
    for (std::size_t i = 0; i < prefsRows.size(); ++i) {
        const double x = std::clamp((p - rowStagger * static_cast<double>(i)) / rowSpan, 0.0, 1.0);
        prefsRows[i].step(smoothstep(x), dt, rowMotion);
    }
    for (std::size_t i = 0; i < prefsHovers.size(); ++i)
        prefsHovers[i].step(prefsHovering[i] ? 1 : 0, dt, hoverMotion);
    for (PrefRow row : steppedSwitches) {
        const bool on = services_.preferences.isSwitchOn(row);
        prefsSwitches[static_cast<std::size_t>(row)].step(on ? 1 : 0, dt, switchMotion);
    }
    blurScope.step(services_.preferences.blurWholeScreen() ? 1 : 0, dt, blurScopeMotion);
}

} // namespace kestrane
