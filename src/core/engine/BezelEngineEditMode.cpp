#include "engine/BezelEngine.h"

#include <algorithm>

namespace kestrane {

namespace {
constexpr double rowStagger = 0.075;
constexpr double rowSpan = 0.45;
constexpr PrefRow steppedSwitches[] = { PrefRow::openAtLogin, PrefRow::haptics, PrefRow::blur, PrefRow::shortcut };
} // namespace

bool BezelEngine::isEditable(const Uuid& id) const
{
    return isArranging || soloEditing == id;
}

void BezelEngine::stepPreferences(double dt)
{
    if (isShowingPreferences)
        prefsProgress.step(1, dt, 0.52, 0.96);
    else
        prefsProgress.step(0, dt, isEditing ? 0.44 : 0.15, 1.0);
    const double p = prefsProgress.value;
    // Rows come in one after another; hiding runs the same curve backwards.
    for (int i = 0; i < prefRowCount; ++i) {
        const double x = std::clamp((p - rowStagger * i) / rowSpan, 0.0, 1.0);
        prefsRows[i].step(x * x * (3 - 2 * x), dt, 0.44, 1.0);
    }
    for (int i = 0; i < prefRowCount; ++i)
        prefsHovers[i].step(prefsHovering[i] ? 1 : 0, dt, 0.3, 0.8);
    for (PrefRow row : steppedSwitches) {
        const bool on = services_.preferences.isSwitchOn(row);
        prefsSwitches[static_cast<int>(row)].step(on ? 1 : 0, dt, 0.26, 0.82);
    }
    blurScope.step(services_.preferences.blurWholeScreen() ? 1 : 0, dt, 0.6, 1.0);
}

} // namespace kestrane
