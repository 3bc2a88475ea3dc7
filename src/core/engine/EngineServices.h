#pragma once

#include "engine/EngineIntroduction.h"
#include "pockets/EnginePocketStore.h"
#include "preferences/EnginePreferenceControl.h"
#include "preferences/EnginePreferences.h"

#include <functional>
#include <string>

namespace kestrane {

class Clock;
class Defaults;
class HapticsPerformer;

// Receives one diagnostic line (no newline) per traced event; empty when tracing is off.
using EngineTrace = std::function<void(const std::string& line)>;

struct EngineServices {
    Defaults& defaults;
    const Clock& uptime;
    HapticsPerformer& haptics;
    EnginePocketStore& pockets;
    const EnginePreferences& preferences;
    EnginePreferenceControl& preferenceControl;
    const EngineIntroduction& introduction;
    // The clearing gesture's over-scroll reports, for tuning it by hand.
    EngineTrace clearingTrace;
    // Told whenever something changed that a frame must show, so that a sleeping frame
    // loop wakes up; may be empty.
    std::function<void()> changed;
};

} // namespace kestrane
