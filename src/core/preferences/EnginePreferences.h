#pragma once

#include "preferences/PrefRow.h"

namespace kestrane {

// What the engine reads from the preferences model while animating the panel.
class EnginePreferences {
public:
    virtual ~EnginePreferences() = default;
    virtual bool isSwitchOn(PrefRow row) const = 0;
    virtual bool blurWholeScreen() const = 0;
};

} // namespace kestrane
