#pragma once

#include "platform/Uuid.h"
#include "views/PreferencesPanel.h"

#include <optional>

namespace kestrane {

// What takes a press in edit mode's chrome. A press on the panel away from its controls, or
// on a row's name or count, is taken and does nothing.
struct ChromeHit {
    enum class Control { editToggle, prefsToggle, removePocket, putBack, putBackPocket, row, panel, backdrop };

    Control control;
    std::optional<Uuid> pocket = {};
    std::optional<PanelControl> panelControl = {};
    bool operator==(const ChromeHit&) const = default;
};

} // namespace kestrane
