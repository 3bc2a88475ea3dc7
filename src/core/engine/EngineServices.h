#pragma once

#include "engine/PrefRow.h"
#include "platform/Uuid.h"

#include <string>
#include <vector>

namespace kestrane {

class Clock;
class Defaults;
class HapticsPerformer;

// What the engine asks of the pocket store.
class EnginePocketStore {
public:
    virtual ~EnginePocketStore() = default;
    virtual int itemCount(const Uuid& zone) const = 0;
    // Deletes every item of a removed pocket, forgets the pocket and saves the index.
    virtual void deleteZone(const Uuid& zone) = 0;
};

// What the engine reads from the preferences model while animating the panel.
class EnginePreferences {
public:
    virtual ~EnginePreferences() = default;
    virtual bool isSwitchOn(PrefRow row) const = 0;
    virtual bool blurWholeScreen() const = 0;
};

// What the engine needs to know of the first-run introduction.
class EngineIntroduction {
public:
    virtual ~EngineIntroduction() = default;
    // True while the introduction is on screen in any phase (it then takes the clicks).
    virtual bool isRunning() const = 0;
};

struct EngineServices {
    Defaults& defaults;
    const Clock& uptime;
    HapticsPerformer& haptics;
    EnginePocketStore& pockets;
    const EnginePreferences& preferences;
    const EngineIntroduction& introduction;
    std::vector<std::string> arguments;
};

} // namespace kestrane
